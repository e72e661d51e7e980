#pragma once

#include "sections.h"

#include <QString>

// Web addresses the program opens.
namespace Addresses {
inline const QString kMakerSite = QStringLiteral("https://quillarbor.example.org/");
inline const QString kPluginDownloadPage =
    QStringLiteral("https://quillarbor.example.org/load/quillarbor/plaginy_k_quillarbor/6");
// The mail-box of the maker's support, where the support letter goes.
inline const QString kSupportMailbox = QStringLiteral("support@quillarbor.example.org");
inline const QString kSearchEngine = QStringLiteral("https://www.google.com/");
inline const QString kNews = QStringLiteral("https://lenta.ru/");
inline const QString kWeather = QStringLiteral("https://www.gismeteo.ru/");

// The page that a link node of the tree opens in the browser section, or an
// empty text for any other section.
inline QString browserPageOf(int section)
{
    switch (section) {
    case Sections::kNews:
        return kNews;
    case Sections::kWeather:
        return kWeather;
    case Sections::kSite:
    case Sections::kNewVersions:
        return kMakerSite;
    case Sections::kPluginDownloads:
        return kPluginDownloadPage;
    default:
        return {};
    }
}
} // namespace Addresses
