#pragma once

#include <QString>

// Web addresses the program opens.
namespace Addresses {
inline const QString kMakerSite = QStringLiteral("https://quillarbor.example.org/");
inline const QString kPluginDownloadPage =
    QStringLiteral("https://quillarbor.example.org/load/quillarbor/plaginy_k_quillarbor/6");
inline const QString kSearchEngine = QStringLiteral("https://www.google.com/");
inline const QString kNews = QStringLiteral("https://news.google.com/?hl=ru&gl=RU&ceid=RU:ru");
inline const QString kWeather = QStringLiteral("https://www.gismeteo.ru/");
} // namespace Addresses
