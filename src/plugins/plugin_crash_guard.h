#pragma once

#include <QString>
#include <QStringList>

// Remembers across a crash which plug-in library the program was calling.
// Before each call into a library its path is written to a small record file,
// and the record goes when the call returns. A record found at the next start
// names the library that ended the program: it is switched off, kept in a
// list of its own, and not loaded again until the user switches it on. The
// library's file itself is never touched here.
class PluginCrashGuard
{
public:
    // folder: where the record and the list are kept (the user's data folder).
    explicit PluginCrashGuard(QString folder);
    Q_DISABLE_COPY_MOVE(PluginCrashGuard)

    // $XDG_DATA_HOME/Quillarbor.
    static QString defaultFolder();

    // At start: the library the last run was calling when it ended, switched
    // off now; empty when the last run ended outside any plug-in.
    QString takeCrashRecord();

    bool isSwitchedOff(const QString& path) const { return m_switchedOff.contains(path); }
    const QStringList& switchedOff() const { return m_switchedOff; }
    // False when the list could not be written; it is then as it was.
    bool switchOff(const QString& path);
    bool switchOn(const QString& path);

    // Marks the span of one call into a library; calls may nest (a plug-in's
    // window lets the user select another entry), and the innermost is the
    // one recorded.
    class Call
    {
    public:
        Call(PluginCrashGuard& guard, const QString& path);
        ~Call();
        Q_DISABLE_COPY_MOVE(Call)

    private:
        PluginCrashGuard& m_guard;
    };

    QString recordFile() const;
    QString listFile() const;

private:
    void enter(const QString& path);
    void leave();
    void writeRecord();
    bool writeList(const QStringList& paths);

    QString m_folder;
    QStringList m_calls;
    QStringList m_switchedOff;
};
