#pragma once

#include "profile_backup.h"

#include <QObject>
#include <functional>

class QWidget;
class SectionHost;
class SettingsSection;

// The backup group of the page "Основные": the backup file, a backup of the
// profile now, and the restore from an archive or from a daily copy.
class BackupControls : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackupControls)

public:
    inline static const QString kFilter = QStringLiteral("ZIP архив (*.zip)|*.zip");
    inline static const QString kDialogTitle = QStringLiteral("Резервная копия профиля");
    inline static const QString kRestoreTitle = QStringLiteral("Восстановление профиля");

    BackupControls(SettingsSection& section, SectionHost& host, QWidget* window);

    // "..." : the file the backup goes to.
    void Button28Click();
    // "Резервная копия профиля"
    void Button26Click();
    // "Восстановить из резервной копии"
    void Button27Click();

    // What the save dialog proposes: the stored path, unless it is empty or a
    // Windows path (the default from the Windows version), which no Linux
    // user can use; then ~/Quillarbor-backup.zip.
    static QString proposedPath(const QString& stored);

    ProfileBackup::Locations locations() const;

    // The main window closes the profile before a restore and opens it again
    // when the restore put nothing in place; after a restore it starts the
    // program anew and ends this run.
    std::function<void()> closeProfile;
    std::function<void()> reopenProfile;
    std::function<void()> restartProgram;

private:
    QString chooseRestoreSource();
    // The progress bar shows the work and is put back as it was afterwards.
    ProfileBackup::Progress showProgress();
    void endProgress();

    SettingsSection& m_section;
    SectionHost& m_host;
    QWidget* m_window;
    bool m_progressWasHidden = true;
};
