#include "single_instance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// The socket is a plain Unix-domain one watched by the event loop: the whole
// of Qt's network library (and the Kerberos, proxy and compression libraries
// it brings) would otherwise be loaded at every start for these few bytes.

namespace {

const QByteArray kRequest = QByteArrayLiteral("raise\n");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
constexpr int kConnectWait = 1000;
// A copy busy with a long task (a restore, a modal window's own loop) may
// take its time to answer; it is running all the same.
constexpr int kAnswerWait = 3000;
constexpr int kLockWait = 10000;

bool addressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

int newSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// Waits until fd is ready for events, at most milliseconds.
bool waitFor(int fd, short events, int milliseconds)
{
    pollfd watched{fd, events, 0};
    int ready = 0;
    do
        ready = ::poll(&watched, 1, milliseconds);
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

} // namespace

// One later start talking to this copy.
struct SingleInstance::Caller
{
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    QByteArray received;
};

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
    if (isHeld())
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
    sockaddr_un address;
    if (!addressOf(m_socketPath, address))
        return false;
    const int fd = newSocket();
    if (fd < 0)
        return false;
    bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EAGAIN || errno == EINPROGRESS) && waitFor(fd, POLLOUT, kConnectWait)) {
        int error = 0;
        socklen_t size = sizeof error;
        connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    if (connected) {
        ::send(fd, kRequest.constData(), size_t(kRequest.size()), MSG_NOSIGNAL);
        // Whatever the answer, a copy is there: this one must not run as well.
        waitFor(fd, POLLIN, kAnswerWait);
    }
    ::close(fd);
    return connected;
}

bool SingleInstance::listen()
{
    sockaddr_un address;
    if (!addressOf(m_socketPath, address))
        return false;
    const int fd = newSocket();
    if (fd < 0)
        return false;
    const auto bindName = [&] {
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    // Nobody answered on a name that is there, so it is a leftover of a killed copy.
    if (!bindName() && !(errno == EADDRINUSE && ::unlink(address.sun_path) == 0 && bindName())) {
        ::close(fd);
        return false;
    }
    // Only this user may knock (the runtime folder is private as well).
    ::chmod(address.sun_path, S_IRUSR | S_IWUSR);
    if (::listen(fd, 8) != 0) {
        ::close(fd);
        ::unlink(address.sun_path);
        return false;
    }
    m_listener = fd;
    m_listenerNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listenerNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptCallers);
    return true;
}

void SingleInstance::acceptCallers()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        auto caller = std::make_unique<Caller>();
        caller->fd = fd;
        caller->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(caller->notifier, &QSocketNotifier::activated, this, [this, fd] { readCaller(fd); });
        m_callers.emplace(fd, std::move(caller));
    }
}

void SingleInstance::readCaller(int fd)
{
    const auto found = m_callers.find(fd);
    if (found == m_callers.end())
        return;
    Caller& caller = *found->second;
    char buffer[64];
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0) {
        dropCaller(fd);
        return;
    }
    caller.received.append(buffer, qsizetype(got));
    // Only the one request is understood; anything longer is not it.
    if (caller.received.size() > kRequest.size()) {
        dropCaller(fd);
        return;
    }
    if (!caller.received.contains('\n'))
        return;
    const bool asked = caller.received == kRequest;
    if (asked)
        ::send(fd, kAnswer.constData(), size_t(kAnswer.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    dropCaller(fd);
    if (asked)
        emit activationRequested();
}

void SingleInstance::dropCaller(int fd)
{
    const auto found = m_callers.find(fd);
    if (found == m_callers.end())
        return;
    // The notifier may be the one whose signal is being handled.
    found->second->notifier->setEnabled(false);
    found->second->notifier->deleteLater();
    ::close(fd);
    m_callers.erase(found);
}

void SingleInstance::release()
{
    if (!isHeld())
        return;
    while (!m_callers.empty())
        dropCaller(m_callers.begin()->first);
    delete m_listenerNotifier;
    m_listenerNotifier = nullptr;
    ::close(m_listener);
    m_listener = -1;
    QFile::remove(m_socketPath);
}
