#pragma once

#include "build_addresses.h"
#include "help_pages.h"
#include "sections.h"

#include <QString>
#include <QUrl>

// Web addresses the program opens.
namespace Addresses {
inline const QString kSearchEngine = QStringLiteral("https://www.google.com/");
inline const QString kNews = QStringLiteral("https://lenta.ru/");
inline const QString kWeather = QStringLiteral("https://www.gismeteo.ru/");

// Help pages shown in place of the publisher's pages when this build has no
// address for them: the program's own "about" page, and the one on plug-ins.
constexpr int kAboutPage = 1;
constexpr int kPluginsPage = 14;

// The address when it is set, else the local help page as a file address.
inline QString orHelpPage(const QString& address, const QString& programFolder, int page)
{
    return address.isEmpty() ? QUrl::fromLocalFile(HelpPages::pathOf(programFolder, page)).toString()
                             : address;
}

// The page that a link node of the tree opens in the browser section, or an
// empty text for any other section.
inline QString browserPageOf(int section, const QString& programFolder)
{
    switch (section) {
    case Sections::kNews:
        return kNews;
    case Sections::kWeather:
        return kWeather;
    case Sections::kSite:
    case Sections::kNewVersions:
        return orHelpPage(BuildAddresses::site(), programFolder, kAboutPage);
    case Sections::kPluginDownloads:
        return orHelpPage(BuildAddresses::pluginPage(), programFolder, kPluginsPage);
    default:
        return {};
    }
}
} // namespace Addresses
