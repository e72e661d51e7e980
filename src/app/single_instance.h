#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>

class QSocketNotifier;

// One organiser per user: two running copies would each pop up the same
// reminder, each launch the same task and each write the same settings file.
// The first run holds a local socket in the user's runtime folder; a later
// start finds it, asks the running copy to come to the front, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    enum class Claim {
        First,      // this run holds the name and goes on
        HandedOver, // another copy runs and was asked to come forward
        Unguarded,  // no runtime folder or socket: go on, as before this guard existed
    };

    // folder: where the socket lives; the user's runtime folder by default.
    explicit SingleInstance(const QString& folder = defaultFolder(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultFolder();
    QString socketPath() const { return m_socketPath; }

    // Takes the name for this run, or hands over to the copy that holds it.
    // A name left behind by a copy that was killed is removed and taken.
    Claim claim();

    // Frees the name so that a copy started from now on runs: the restart
    // after a restore starts the new copy while this one is still ending.
    void release();
    bool isHeld() const { return m_listener >= 0; }

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    struct Caller;
    bool askRunningCopy() const;
    bool listen();
    void acceptCallers();
    void readCaller(int fd);
    void dropCaller(int fd);

    QString m_folder;
    QString m_socketPath;
    int m_listener = -1;
    QSocketNotifier* m_listenerNotifier = nullptr;
    std::map<int, std::unique_ptr<Caller>> m_callers;
};
