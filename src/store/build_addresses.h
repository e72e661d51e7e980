#pragma once

#include <QString>

// The addresses of the program's publisher, set when the program is built
// (CMake cache entries QUILL_SITE_URL, QUILL_SUPPORT_MAILBOX,
// QUILL_PLUGIN_SERVER_URL, QUILL_PLUGIN_PAGE_URL). A build made without one
// has an empty text for it, and whatever would use the address says so or
// shows the program's own help instead: no address ever leads nowhere.
namespace BuildAddresses {

// The program's web site, ending in a slash.
QString site();
// The mail-box of the support, where the support letter goes.
QString supportMailbox();
// The plug-in server's base address (HTTPS), ending in a slash.
QString pluginServer();
// The web page that lists the plug-ins.
QString pluginPage();

// Tests try both kinds of build in one program.
struct Set
{
    QString site;
    QString supportMailbox;
    QString pluginServer;
    QString pluginPage;
};
// nullptr goes back to the addresses of the build.
void setForTests(const Set* addresses);

} // namespace BuildAddresses
