#include "backup_controls.h"

#include "clock.h"
#include "date_formats.h"
#include "error_handler.h"
#include "file_dialogs.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "registry_store.h"
#include "restore_source_window.h"
#include "section_host.h"
#include "settings.h"
#include "settings_section.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

namespace {

const QString kSuffix = QStringLiteral(".zip");
const QString kRestoreFilter = QStringLiteral("ZIP архив (*.zip)|*.zip|Копия базы данных (*.mdb)|*.mdb");

QString withZipSuffix(const QString& path)
{
    return QFileInfo(path).suffix().isEmpty() ? path + kSuffix : path;
}

} // namespace

BackupControls::BackupControls(SettingsSection& section, SectionHost& host, QWidget* window)
    : QObject(section.Button26), m_section(section), m_host(host), m_window(window)
{
    // The group is offered: users ask for backups.
    for (QWidget* control : std::initializer_list<QWidget*>{section.Label34, section.Edit20, section.Button28,
                                                            section.Button26, section.Button27})
        control->show();
    section.Label34->setBuddy(section.Edit20);
    section.Button28->setToolTip(QStringLiteral("Выбрать файл резервной копии"));
    section.Button28->setAccessibleName(QStringLiteral("Выбрать файл резервной копии"));
    // A path typed by hand is saved like one chosen with "...".
    connect(section.Edit20, &QLineEdit::textEdited, this, [this] { m_host.markSettingsChanged(); });
    const auto guarded = [this](void (BackupControls::*handler)()) {
        return [this, handler] { ErrorHandler::guard([this, handler] { (this->*handler)(); }); };
    };
    connect(section.Button28, &QPushButton::clicked, this, guarded(&BackupControls::Button28Click));
    connect(section.Button26, &QPushButton::clicked, this, guarded(&BackupControls::Button26Click));
    connect(section.Button27, &QPushButton::clicked, this, guarded(&BackupControls::Button27Click));
}

QString BackupControls::proposedPath(const QString& stored)
{
    static const QRegularExpression windowsPath(QStringLiteral("^([A-Za-z]:|\\\\\\\\)"));
    if (stored.trimmed().isEmpty() || windowsPath.match(stored).hasMatch() ||
        stored.contains(QLatin1Char('\\')))
        return QDir::homePath() + QStringLiteral("/Quillarbor-backup.zip");
    return stored;
}

ProfileBackup::Locations BackupControls::locations() const
{
    return ProfileBackup::Locations::standard(m_host.settings().documentsFolder,
                                              m_host.registry().filePath());
}

void BackupControls::Button28Click()
{
    const QString chosen =
        FileDialogs::saveFileName(m_window, kDialogTitle, kFilter, proposedPath(m_section.Edit20->text()));
    if (chosen.isEmpty())
        return;
    m_section.Edit20->setText(withZipSuffix(chosen));
    // Written to BackupPath by the next save of the settings.
    m_host.markSettingsChanged();
}

void BackupControls::Button26Click()
{
    const QString chosen =
        FileDialogs::saveFileName(m_window, kDialogTitle, kFilter, proposedPath(m_section.Edit20->text()));
    if (chosen.isEmpty())
        return;
    // The archive carries the settings as the page shows them.
    m_section.saveIfChanged();
    const ProfileBackup::Outcome outcome = ProfileBackup::write(
        locations(), withZipSuffix(chosen), Settings::kVersion, Clock::now(), showProgress());
    endProgress();
    if (outcome.ok)
        MessageBoxes::information(QStringLiteral("Успех"),
                                  QStringLiteral("Создание резервной копии заверщено"));
    else
        MessageBoxes::critical(QStringLiteral("Ошибка"),
                               QStringLiteral("Ошибка при записи данных\r\n") + outcome.error);
}

QString BackupControls::chooseRestoreSource()
{
    const QStringList copies = ProfileBackup::dailyCopies(locations().profileFolder);
    if (!copies.isEmpty()) {
        RestoreSourceWindow window(copies, m_window);
        m_host.prepareSecondary(window);
        if (ModalWindows::exec(&window) != QDialog::Accepted)
            return {};
        if (const QString copy = window.chosenCopy(); !copy.isEmpty())
            return copy;
    }
    const QString stored = proposedPath(m_section.Edit20->text());
    return FileDialogs::openFileName(m_window, kRestoreTitle, kRestoreFilter,
                                     QFileInfo(stored).absolutePath());
}

void BackupControls::Button27Click()
{
    const QString source = chooseRestoreSource();
    if (source.isEmpty())
        return;
    QString why;
    const auto contents = ProfileBackup::inspect(source, &why);
    if (!contents) {
        MessageBoxes::critical(
            QStringLiteral("Ошибка"),
            QStringLiteral("Эту резервную копию нельзя восстановить: %1.\r\nПрофиль не изменён.").arg(why));
        return;
    }
    const QDateTime now = Clock::now();
    const ProfileBackup::Locations where = locations();
    const QString made =
        contents->created.isValid() ? DateFormats::moment(contents->created) : QStringLiteral("?");
    QString question =
        contents->dailyCopy
            ? QStringLiteral("Восстановить базу данных профиля из ежедневной копии от %1?").arg(made)
            : QStringLiteral("Восстановить профиль из резервной копии от %1 (версия программы %2)?")
                  .arg(made, contents->version);
    question += QStringLiteral("\r\n\r\nБудет заменено:\r\n") + ProfileBackup::describeReplaced(*contents);
    question +=
        contents->dailyCopy
            ? QStringLiteral("\r\n\r\nТекущая база данных будет сохранена в папке профиля под именем, "
                             "содержащим сегодняшнюю дату.")
            : QStringLiteral("\r\n\r\nТекущий профиль будет сохранён в папке:\r\n") +
                  ProfileBackup::keptProfileFolder(where, now);
    question += QStringLiteral("\r\n\r\nПосле восстановления программа будет перезапущена.");
    if (MessageBoxes::ask({MessageBoxes::Icon::Warning,
                           kRestoreTitle,
                           question,
                           {MessageBoxes::Button::Yes, MessageBoxes::Button::No}}) !=
        MessageBoxes::Button::Yes)
        return;

    if (closeProfile)
        closeProfile();
    const ProfileBackup::RestoreOutcome outcome = ProfileBackup::restore(where, source, now, showProgress());
    endProgress();
    if (!outcome.ok) {
        MessageBoxes::critical(
            QStringLiteral("Ошибка"),
            QStringLiteral("Профиль не восстановлен: %1.\r\nТекущий профиль оставлен как был.")
                .arg(outcome.error));
        if (reopenProfile)
            reopenProfile();
        return;
    }
    // The settings in memory are those of the archive from now on, so that
    // nothing of the replaced ones is written back.
    m_host.registry().load();
    QString message = QStringLiteral("Профиль восстановлен из резервной копии.");
    if (!outcome.keptAside.isEmpty())
        message += QStringLiteral("\r\nПрежние данные сохранены:\r\n") +
                   outcome.keptAside.join(QStringLiteral("\r\n"));
    message += QStringLiteral("\r\nПрограмма будет перезапущена.");
    MessageBoxes::successBox(message);
    if (restartProgram)
        restartProgram();
}

ProfileBackup::Progress BackupControls::showProgress()
{
    QProgressBar* bar = m_section.ProgressBar1;
    m_progressWasHidden = bar->isHidden();
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->show();
    return [bar](int percent) {
        bar->setValue(percent);
        // The work runs on this thread: paint the bar now.
        bar->repaint();
    };
}

void BackupControls::endProgress()
{
    if (m_progressWasHidden)
        m_section.ProgressBar1->hide();
}
