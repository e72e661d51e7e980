#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// Debian's Radicale on a free loopback port, with its storage, users and
// (for https) a self-signed certificate in a temporary folder, for as long
// as the object lives or until stop(): a server that goes away.
class RadicaleServer
{
public:
    struct Options
    {
        QMap<QString, QString> users{{QStringLiteral("anna"), QStringLiteral("secret")}}; // login → password
        bool https = false;
    };

    RadicaleServer();
    explicit RadicaleServer(const Options& options);
    ~RadicaleServer();
    Q_DISABLE_COPY_MOVE(RadicaleServer)

    bool isRunning() const { return m_process.state() == QProcess::Running && m_port != 0; }
    QString error() const { return m_error; }
    int port() const { return m_port; }
    QUrl root() const;
    QUrl principal(const QString& user) const; // also the user's home set
    // https: the certificate's SHA-256 as openssl prints it ("AB:CD:…").
    QString certificateSha256() const { return m_certificateSha256; }

    // Where Radicale keeps the collections: a test may put back a copy of it
    // while the server is stopped.
    QString storageFolder() const { return m_dir.filePath(QStringLiteral("collections")); }

    // Every user's collection of that name (their "calendar/", say) reads
    // but takes no writes from now on; an empty name takes that back.
    bool setReadOnly(const QString& collection);

    void stop();
    // Starts it again on the same storage, users and certificate, and on the
    // same port, as a server that comes back where it was: the sync state
    // knows an address book by its address. Only should another process have
    // taken the port meanwhile does it change.
    bool restart();

private:
    bool makeCertificate();
    bool writeConfig(const Options& options, int port);
    bool start(const Options& options, int port);

    QTemporaryDir m_dir;
    Options m_options;
    QProcess m_process;
    int m_port = 0;
    bool m_https = false;
    QString m_certificateSha256;
    QString m_error;
    QString m_readOnly;
};

// A loopback port on which nobody listens.
int closedPort();
