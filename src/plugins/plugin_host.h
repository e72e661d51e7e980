#pragma once

#include "plugin_crash_guard.h"
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
    // stateFolder: where the crash guard keeps its record and the list of
    // switched-off libraries.
    explicit PluginHost(QString makerSite, QString stateFolder = PluginCrashGuard::defaultFolder());
    ~PluginHost();
    Q_DISABLE_COPY_MOVE(PluginHost)

    // $XDG_DATA_HOME/Quillarbor/Plugins: where downloads go.
    static QString userFolder();
    // The folders the scan reads, in order: the program folder's, then the user's.
    static QStringList scanFolders(const QString& programFolder);
    // Library files of one folder in name order: *.dll and *.so.
    static QStringList libraryFiles(const QString& folder);

    // Lists every library of the folders and starts those that ask for it.
    // A library that ended the last run while it was being called is
    // switched off first, and the user is told.
    void scan(const QStringList& folders);

    // The library switched off at this start because it ended the last run.
    const QString& crashedAtLastRun() const { return m_crashedAtLastRun; }
    // Entry i is a library that is switched off: listed, never loaded.
    bool isSwitchedOff(int index) const;
    // Switches entry i on again for the next start; false when the list of
    // switched-off libraries could not be written.
    bool switchOn(int index);

    // The list box entries and the path of each, index for index.
    const QStringList& names() const { return m_names; }
    const QStringList& PluginPaths() const { return m_paths; }

    // The two lines describing entry i; nothing (after an error box) when the
    // library failed while describing itself. A switched-off library is not
    // loaded: the lines say that it is off and why.
    std::optional<QStringList> describe(int index);
    // "Запуск": InitPlugin of entry i; failures are ignored, and a
    // switched-off library is not run.
    void run(int index);
    // "Удалить": deletes the file of entry i and drops the entry (and from the
    // switched-off list); false when it could not.
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

    PluginCrashGuard m_guard;
    QString m_crashedAtLastRun;
    QString m_autoRunPath;
    QString m_makerSite;
    QStringList m_paths;
    QStringList m_names;
    std::vector<std::unique_ptr<HostObject>> m_il;
    HostObject* m_current = nullptr;
    TAutoRun m_autoRunEntry = nullptr;
    bool m_runningAutoRun = false;
};
