#pragma once

#include "mail_message.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// Sends one letter over SMTP through libcurl. Blocking: callers run it off the
// main thread. Every call makes a connection of its own and closes it.
namespace SmtpClient {

struct Server
{
    QString url; // smtp://host:port or smtps://host:port
    bool valid = false;
};

// The server box: "host" (port 25) or "host:port"; port 465 means TLS from
// the start, anything else STARTTLS when the server offers it.
Server parseServer(const QString& text);

struct Request
{
    QString server;   // as the server box holds it
    QString userName; // the whole mail-box address; empty sends without login
    QString password;
    QString from;
    QStringList recipients; // bare addresses
    QByteArray message;     // the whole message, CR LF line ends
    QString caFile;         // a certificate authority of its own, for tests
    int connectTimeoutSeconds = 20;
    int transferTimeoutSeconds = 120;
    // Polled while the transfer runs; true abandons it.
    std::function<bool()> cancelled;
};

enum class Outcome { Sent, ConnectFailed, SendFailed };

struct Result
{
    Outcome outcome = Outcome::SendFailed;
    QString detail; // libcurl's reason, for the curious; the user sees the fixed messages
};

Result send(const Request& request);

} // namespace SmtpClient
