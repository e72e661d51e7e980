// The profile as a whole in the main window: its deletion, the backup group
// of the settings page with the restore and its restart, and the daily copy
// of the database.
#include "main_window.h"

#include "backup_controls.h"
#include "clock.h"
#include "folder_tree.h"
#include "message_boxes.h"
#include "profile_backup.h"
#include "registry_store.h"
#include "secret_store.h"
#include "settings_section.h"
#include "shell.h"
#include "system_info.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {
constexpr int kPathsNamed = 5;
}

void TForm1::DeleteProfileClick()
{
    if (!MessageBoxes::askYesNo(
            QStringLiteral("Предупреждение"),
            QStringLiteral("ВНИМАНИЕ!!! Если Вы удалите профиль, то все Ваши записи и настройки "
                           "будут уничтожены! Вы хотите удалить профиль ") +
                m_settings.userName + QStringLiteral("?")))
        return;
    // The boxes below run event loops of their own: the monitor must not
    // reach for a profile that is going.
    Timer1->stop();
    lockSecrets();
    // The passwords in the Secret Service and the key file go with the
    // settings; the autorun value and its desktop entry lie outside and stay.
    QString keychainError;
    const bool secretsErased = SecretStore::eraseAll(m_registry, &keychainError);
    m_registry.deleteKey(Settings::kRoot);
    m_database.close();

    const QString folder = ProfileDatabase::profileFolder(m_settings.documentsFolder);
    QStringList remaining;
    const auto couldNotDelete = [&remaining](const QString& path) {
        remaining.append(path);
        MessageBoxes::plain(QStringLiteral("Could NOT delete ") + path);
    };
    // What restores put aside holds the same records and goes too; the daily
    // copies lie inside the profile folder.
    for (const QString& aside : ProfileBackup::keptAside(
             ProfileBackup::Locations::standard(m_settings.documentsFolder, m_registry.filePath()))) {
        const QFileInfo info(aside);
        if (info.isDir() && !info.isSymLink())
            FolderTree::remove(aside, couldNotDelete);
        else if (!QFile::remove(aside))
            couldNotDelete(aside);
    }
    bool deleted = FolderTree::remove(folder, couldNotDelete) && remaining.isEmpty();
    if (!secretsErased) {
        deleted = false;
        remaining.append(keychainError);
    }
    if (deleted) {
        MessageBoxes::successBox(QStringLiteral("Профиль удалён!"));
    } else {
        // The settings are gone by now: say what is left on the disk.
        QString message = QStringLiteral("Произошла ошибка при удалении данных пользователя ") +
                          m_settings.userName;
        if (QFileInfo::exists(folder))
            message += QStringLiteral("\r\nНа диске осталась папка профиля:\r\n") + folder;
        if (!remaining.isEmpty()) {
            message += QStringLiteral("\r\nНе удалены файлы:\r\n") +
                       remaining.mid(0, kPathsNamed).join(QStringLiteral("\r\n"));
            if (remaining.size() > kPathsNamed)
                message += QStringLiteral("\r\n... и ещё %1").arg(remaining.size() - kPathsNamed);
        }
        MessageBoxes::errorBox(message);
    }
    // Nothing is saved on the way out: no close processing.
    endAtOnce();
}

void TForm1::buildBackupControls()
{
    m_backup = new BackupControls(*m_settingsSection, *this, this);
    m_backup->closeProfile = [this] {
        Timer1->stop();
        lockSecrets();
        m_database.close();
    };
    m_backup->reopenProfile = [this] {
        if (!m_database.open(m_settings.documentsFolder, m_settings.programFolder)) {
            MessageBoxes::errorBox(ProfileDatabase::openFailureMessage());
            endAtOnce();
            return;
        }
        Timer1->start();
    };
    m_backup->restartProgram = [this] {
        // The new run reads the restored settings and profile; this one
        // writes nothing more.
        emit restarting();
        Shell::open(SystemInfo::executablePath());
        endAtOnce();
    };
}

BackupControls* TForm1::backupControls() const
{
    settingsSection();
    return m_backup;
}

void TForm1::makeDailyCopy()
{
    const QString folder = ProfileDatabase::profileFolder(m_settings.documentsFolder);
    const ProfileBackup::Outcome outcome = ProfileBackup::makeDailyCopy(folder, Clock::today());
    if (!outcome.ok)
        MessageBoxes::warning(
            QStringLiteral("Предупреждение"),
            QStringLiteral("Ежедневная копия базы данных не сделана: %1").arg(outcome.error));
}
