#include "single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>

namespace {

const QByteArray kRequest = QByteArrayLiteral("raise\n");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
constexpr int kConnectWait = 1000;
// A copy busy with a long task (a restore, a modal window's own loop) may
// take its time to answer; it is running all the same.
constexpr int kAnswerWait = 3000;
constexpr int kLockWait = 10000;

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder), m_socketPath(folder + QStringLiteral("/quillarbor.socket"))
{
}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::defaultFolder()
{
    // Qt makes the folder private (0700) and refuses one that another user owns.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

SingleInstance::Claim SingleInstance::claim()
{
    if (m_server)
        return Claim::First;
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder)) {
        qWarning("No runtime folder: a second copy of the program will not be noticed");
        return Claim::Unguarded;
    }
    // Starts that come together take turns, so that two of them never both
    // find the name free and both take it. The lock file names its owner,
    // and one left by a killed copy is taken over.
    QLockFile turn(m_folder + QStringLiteral("/quillarbor.lock"));
    turn.setStaleLockTime(0);
    if (!turn.tryLock(kLockWait))
        qWarning("The start-up lock was not had in time; going on without it");
    if (askRunningCopy())
        return Claim::HandedOver;
    if (!listen()) {
        qWarning("The program's socket cannot be opened: a second copy of the program will not be noticed");
        return Claim::Unguarded;
    }
    return Claim::First;
}

bool SingleInstance::askRunningCopy() const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectWait))
        return false;
    socket.write(kRequest);
    socket.waitForBytesWritten(kConnectWait);
    // Whatever the answer, a copy is there: this one must not run as well.
    socket.waitForReadyRead(kAnswerWait);
    return true;
}

bool SingleInstance::listen()
{
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_socketPath)) {
        // Nobody answered on it, so the name is a leftover of a killed copy.
        QLocalServer::removeServer(m_socketPath);
        if (!server->listen(m_socketPath)) {
            delete server;
            return false;
        }
    }
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    m_server = server;
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket = QPointer<QLocalSocket>(socket)] {
            if (!socket)
                return;
            // Only the one request is understood; anything longer is not it.
            if (socket->bytesAvailable() > kRequest.size()) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine())
                return;
            const bool asked = socket->readLine() == kRequest;
            if (asked)
                socket->write(kAnswer);
            socket->disconnectFromServer();
            if (asked)
                emit activationRequested();
        });
    }
}

void SingleInstance::release()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}
