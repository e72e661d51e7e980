#include "radicale_server.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Python from Debian: the one that sees Debian's radicale module.
const QString kPython = QStringLiteral("/usr/bin/python3");

QString run(const QString& program, const QStringList& arguments, bool* ok)
{
    QProcess process;
    process.start(program, arguments);
    *ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
          process.exitCode() == 0;
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

bool portAnswers(int port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    return socket.waitForConnected(200);
}

} // namespace

int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

RadicaleServer::RadicaleServer() : RadicaleServer(Options()) {}

RadicaleServer::RadicaleServer(const Options& options) : m_options(options), m_https(options.https)
{
    if (m_https && !makeCertificate())
        return;
    // The free port is found before Radicale takes it: should another
    // process take it first, the next one is tried.
    for (int attempt = 0; attempt < 3 && !start(options, closedPort()); ++attempt) {
    }
}

RadicaleServer::~RadicaleServer()
{
    stop();
}

QUrl RadicaleServer::root() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/")
                    .arg(m_https ? QStringLiteral("https") : QStringLiteral("http"))
                    .arg(m_port));
}

QUrl RadicaleServer::principal(const QString& user) const
{
    return root().resolved(QUrl(user + QLatin1Char('/')));
}

void RadicaleServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

bool RadicaleServer::restart()
{
    stop();
    const int previous = m_port;
    m_port = 0;
    m_error.clear();
    if (previous != 0 && start(m_options, previous))
        return true;
    for (int attempt = 0; attempt < 3; ++attempt)
        if (start(m_options, closedPort()))
            return true;
    return false;
}

bool RadicaleServer::makeCertificate()
{
    bool ok = false;
    // A name that is not the address: the certificate is trusted by being
    // accepted, not by its name.
    const QString output =
        run(QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
             QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
             QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
             QStringLiteral("/CN=radicale.test"), QStringLiteral("-keyout"),
             m_dir.filePath(QStringLiteral("server.key")), QStringLiteral("-out"),
             m_dir.filePath(QStringLiteral("server.crt"))},
            &ok);
    if (!ok) {
        m_error = QStringLiteral("openssl req: ") + output;
        return false;
    }
    const QString fingerprint =
        run(QStringLiteral("openssl"),
            {QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
             QStringLiteral("-sha256"), QStringLiteral("-in"), m_dir.filePath(QStringLiteral("server.crt"))},
            &ok);
    // "sha256 Fingerprint=AB:CD:…"
    m_certificateSha256 = fingerprint.section(QLatin1Char('='), 1).trimmed();
    if (!ok || m_certificateSha256.isEmpty()) {
        m_error = QStringLiteral("openssl x509: ") + fingerprint;
        return false;
    }
    return true;
}

bool RadicaleServer::setReadOnly(const QString& collection)
{
    // Each user owns what is under their name, as Radicale's owner_only
    // rights say; Radicale reads this file again at every request.
    m_readOnly = collection;
    QString rights;
    if (!collection.isEmpty())
        rights += QStringLiteral("[read-only]\nuser: .+\ncollection: {user}/%1\npermissions: r\n")
                      .arg(QRegularExpression::escape(collection));
    rights += QStringLiteral("[root]\nuser: .+\ncollection:\npermissions: R\n"
                             "[principal]\nuser: .+\ncollection: {user}\npermissions: RW\n"
                             "[collections]\nuser: .+\ncollection: {user}/[^/]+\npermissions: rw\n");
    QSaveFile file(m_dir.filePath(QStringLiteral("rights")));
    return file.open(QIODevice::WriteOnly) && file.write(rights.toUtf8()) > 0 && file.commit();
}

bool RadicaleServer::writeConfig(const Options& options, int port)
{
    QFile users(m_dir.filePath(QStringLiteral("users")));
    if (!users.open(QIODevice::WriteOnly))
        return false;
    for (auto it = options.users.cbegin(); it != options.users.cend(); ++it)
        users.write((it.key() + QLatin1Char(':') + it.value() + QLatin1Char('\n')).toUtf8());
    users.close();

    QString config = QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n").arg(port);
    if (m_https)
        config += QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n")
                      .arg(m_dir.filePath(QStringLiteral("server.crt")),
                           m_dir.filePath(QStringLiteral("server.key")));
    config += QStringLiteral("[auth]\ntype = htpasswd\nhtpasswd_filename = %1\nhtpasswd_encryption = plain\n"
                             "delay = 0\n"
                             "[rights]\ntype = from_file\nfile = %4\n"
                             "[storage]\nfilesystem_folder = %2\n"
                             "[web]\ntype = none\n"
                             "[logging]\nlevel = %3\nmask_passwords = True\n")
                  .arg(users.fileName(), m_dir.filePath(QStringLiteral("collections")),
                       // Over https the tests mean to break handshakes: no need to hear of each.
                       m_https ? QStringLiteral("critical") : QStringLiteral("error"),
                       m_dir.filePath(QStringLiteral("rights")));
    QFile file(m_dir.filePath(QStringLiteral("config")));
    return file.open(QIODevice::WriteOnly) && file.write(config.toUtf8()) > 0 && setReadOnly(m_readOnly);
}

bool RadicaleServer::start(const Options& options, int port)
{
    if (!writeConfig(options, port)) {
        m_error = QStringLiteral("cannot write the configuration");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(kPython, {QStringLiteral("-m"), QStringLiteral("radicale"), QStringLiteral("--config"),
                              m_dir.filePath(QStringLiteral("config"))});
    if (!m_process.waitForStarted(10000)) {
        m_error = m_process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(30000);
    // Waiting for the process also notices it ending (a taken port, a bad
    // configuration): no event loop does that here.
    while (!deadline.hasExpired() && !m_process.waitForFinished(50)) {
        if (portAnswers(port)) {
            m_port = port;
            return true;
        }
    }
    m_error = QStringLiteral("Radicale did not start listening on port %1").arg(port);
    stop();
    return false;
}
