#pragma once

#include "quillarbor_plugin.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// The program's side of the plug-in contract: the scan at start-up with its
// auto-runs, the host objects handed to plug-ins, and what the section
// "Плагины" asks of a listed library (describe, run, delete).
class PluginHost
{
public:
    explicit PluginHost(QString makerSite);
    ~PluginHost();
    Q_DISABLE_COPY_MOVE(PluginHost)

    // $XDG_DATA_HOME/Quillarbor/Plugins: where downloads go.
    static QString userFolder();
    // The folders the scan reads, in order: the program folder's, then the user's.
    static QStringList scanFolders(const QString& programFolder);
    // Library files of one folder in name order: *.dll and *.so.
    static QStringList libraryFiles(const QString& folder);

    // Lists every library of the folders and starts those that ask for it.
    void scan(const QStringList& folders);

    // The list box entries and the path of each, index for index.
    const QStringList& names() const { return m_names; }
    const QStringList& PluginPaths() const { return m_paths; }

    // The two lines describing entry i; nothing (after an error box) when the
    // library failed while describing itself.
    std::optional<QStringList> describe(int index);
    // "Запуск": InitPlugin of entry i; failures are ignored.
    void run(int index);
    // "Удалить": deletes the file of entry i and drops the entry; false when it
    // could not.
    bool remove(int index);

    // The host operations, as plug-ins reach them.
    int32_t SetAction(const QString& act);
    TIPluginDemo* PInterface() const { return m_current ? &m_current->face : nullptr; }
    TAutoRun AutoRunEntry() const { return m_autoRunEntry; }
    // Host objects the scan handed out, kept until the end.
    int hostObjectCount() const { return int(m_il.size()); }

    // A host object: what a plug-in sees is its first word, the table of
    // operations; the rest lets those operations find their host.
    struct HostObject
    {
        TIPluginDemo face;
        PluginHost* owner;
    };

private:
    HostObject* createHostObject();
    void scanFile(const QString& path);

    QString m_makerSite;
    QStringList m_paths;
    QStringList m_names;
    std::vector<std::unique_ptr<HostObject>> m_il;
    HostObject* m_current = nullptr;
    TAutoRun m_autoRunEntry = nullptr;
    bool m_runningAutoRun = false;
};
