#pragma once

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// Debian's aiosmtpd on a free loopback port, for as long as the object lives.
class SmtpTestServer
{
public:
    struct Options
    {
        QString mode = QStringLiteral("login"); // login, noauth or starttls
        QString user;
        QString password;
        double delaySeconds = 0;
    };

    explicit SmtpTestServer(const Options& options)
    {
        QStringList arguments = {QStringLiteral(QUILL_TEST_DATA "/smtp_server.py"),
                                 QStringLiteral("--out"),
                                 m_out.path(),
                                 QStringLiteral("--mode"),
                                 options.mode,
                                 QStringLiteral("--user"),
                                 options.user,
                                 QStringLiteral("--password"),
                                 options.password,
                                 QStringLiteral("--delay"),
                                 QString::number(options.delaySeconds),
                                 QStringLiteral("--cert"),
                                 certificate(),
                                 QStringLiteral("--key"),
                                 QStringLiteral(QUILL_TEST_DATA "/test_server.key")};
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Debian's own interpreter: it is the one that sees Debian's aiosmtpd.
        m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
        if (!m_process.waitForStarted(10000))
            return;
        QByteArray line;
        while (!line.endsWith('\n') && m_process.waitForReadyRead(15000))
            line += m_process.readLine();
        if (line.startsWith("port "))
            m_port = line.mid(5).trimmed().toInt();
    }
    ~SmtpTestServer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    Q_DISABLE_COPY_MOVE(SmtpTestServer)

    static QString certificate() { return QStringLiteral(QUILL_TEST_DATA "/test_server.crt"); }

    int port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    QJsonObject letter(int number) const
    {
        QFile file(m_out.filePath(QStringLiteral("letter%1.json").arg(number)));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    int letterCount() const
    {
        return int(QDir(m_out.path()).entryList({QStringLiteral("letter*.json")}, QDir::Files).size());
    }
    QStringList events() const
    {
        QFile file(m_out.filePath(QStringLiteral("events.log")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_out;
    QProcess m_process;
    int m_port = 0;
};

// A loopback port on which nobody listens.
inline int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}
