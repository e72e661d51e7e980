#include "build_addresses.h"

#include "build_addresses_config.h"

namespace BuildAddresses {

namespace {
const Set* forTests = nullptr;
}

QString site()
{
    return forTests ? forTests->site : QStringLiteral(QUILL_SITE_URL);
}

QString supportMailbox()
{
    return forTests ? forTests->supportMailbox : QStringLiteral(QUILL_SUPPORT_MAILBOX);
}

QString pluginServer()
{
    return forTests ? forTests->pluginServer : QStringLiteral(QUILL_PLUGIN_SERVER_URL);
}

QString pluginPage()
{
    return forTests ? forTests->pluginPage : QStringLiteral(QUILL_PLUGIN_PAGE_URL);
}

void setForTests(const Set* addresses)
{
    forTests = addresses;
}

} // namespace BuildAddresses
