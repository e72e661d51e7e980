#pragma once

#include "profile_backup.h"
#include "zip_library.h"

#include <QFile>
#include <QString>
#include <algorithm>
#include <memory>
#include <optional>

// What the writing of archives, the restore and the daily copies share: the
// archive's layout and the file steps that make each of them safe to kill.
namespace ProfileBackup::Detail {

inline const QString kProgram = QStringLiteral("Quillarbor");
constexpr int kFormat = 1;
inline const QString kProfilePrefix = QStringLiteral("profile/");
inline const QString kSettingsEntry = QStringLiteral("settings/registry.json");
inline const QString kResourcesPrefix = QStringLiteral("data/Resources/");
inline const QString kPluginsPrefix = QStringLiteral("data/Plugins/");
inline const QString kDailyPrefix = QStringLiteral("profile-");
inline const QString kDailySuffix = QStringLiteral(".mdb");
constexpr QFile::Permissions kPrivateFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kPrivateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

Outcome failed(const QString& why);

bool syncFile(const QString& path);
// rename(2): replaces the target in one step.
bool replaceFile(const QString& from, const QString& to, QString* error);
// The first bytes of an SQLite database file.
bool looksLikeDatabase(const QString& path);

struct ZipDiscarder
{
    void operator()(zip_t* archive) const { ZipLibrary::get().zip_discard(archive); }
};
using Zip = std::unique_ptr<zip_t, ZipDiscarder>;

QString zipError(zip_t* archive);

// Reading our archives, for the check and for the restore.
Zip openArchive(const QString& path, QString* error);
// The manifest found, read and parsed.
std::optional<Manifest> readManifest(zip_t* archive, QString* error);
// True when the archive holds name with the size the manifest gives it.
bool inArchive(zip_t* archive, const QString& name, qint64 size, zip_int64_t* indexOut, QString* error);
// Copies one entry into a file; libzip checks the CRC as the last bytes are read.
bool extractEntry(zip_t* archive, zip_int64_t index, const QString& target, qint64 expected, QString* error);

struct ProgressState
{
    const Progress* progress = nullptr;
    int from = 0;
    int to = 100;
    int last = -1;
    void report(double done)
    {
        if (!progress || !*progress)
            return;
        const int percent = from + int((to - from) * std::clamp(done, 0.0, 1.0));
        if (percent != last) {
            last = percent;
            (*progress)(percent);
        }
    }
};

} // namespace ProfileBackup::Detail
