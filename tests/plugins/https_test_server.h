#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The local HTTPS server of https_server.py for as long as the object lives:
// files put into root() are served under /plugins/.
class HttpsTestServer
{
public:
    explicit HttpsTestServer(double delaySeconds = 0)
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("root"));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral(QUILL_TEST_DATA "/https_server.py"), QStringLiteral("--root"), root(),
                         QStringLiteral("--out"), m_dir.path(), QStringLiteral("--delay"),
                         QString::number(delaySeconds)});
        if (!m_process.waitForStarted(10000))
            return;
        QByteArray line;
        while (!line.endsWith('\n') && m_process.waitForReadyRead(20000))
            line += m_process.readLine();
        if (line.startsWith("port "))
            m_port = line.mid(5).trimmed().toInt();
    }
    ~HttpsTestServer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    Q_DISABLE_COPY_MOVE(HttpsTestServer)

    int port() const { return m_port; }
    QString base() const { return QStringLiteral("https://127.0.0.1:%1/plugins/").arg(m_port); }
    QString root() const { return m_dir.path() + QStringLiteral("/root"); }
    // The certificate the server shows, and one that has nothing to do with it.
    QString certificate() const { return m_dir.path() + QStringLiteral("/server.crt"); }
    QString otherCertificate() const { return m_dir.path() + QStringLiteral("/other.crt"); }

    void serve(const QString& name, const QByteArray& bytes) const
    {
        QFile file(root() + QLatin1Char('/') + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QStringList requests() const
    {
        QFile file(m_dir.path() + QStringLiteral("/requests.log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
