#include "settings_section.h"

#include "message_boxes.h"
#include "profile_database.h"
#include "registry_store.h"
#include "secret_store.h"
#include "section_host.h"
#include "settings.h"
#include "system_info.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QString kWriteFailed = QStringLiteral("Ошибка записи настроек!");

template <typename Widget> Widget* place(QWidget* page, const char* name, const QRect& geometry)
{
    auto* widget = new Widget(page);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* label(QWidget* page, const char* name, const QString& text, const QRect& geometry)
{
    auto* item = place<QLabel>(page, name, geometry);
    item->setText(text);
    return item;
}

} // namespace

SettingsSection::SettingsSection(QTabWidget* pages, SectionHost& host) : QObject(pages), m_host(host)
{
    buildGeneralPage(pages->widget(0));
    buildMailPage(pages->widget(1));
    pages->setCurrentIndex(0);
}

void SettingsSection::buildGeneralPage(QWidget* page)
{
    CheckBox1 = place<QCheckBox>(page, "CheckBox1", {16, 16, 420, 24});
    CheckBox1->setText(QStringLiteral("Автозапуск при старте Windows"));
    CheckBox2 = place<QCheckBox>(page, "CheckBox2", {16, 44, 420, 24});
    CheckBox2->setText(QStringLiteral("При запуске - свернуться в трею"));
    CheckBox3 = place<QCheckBox>(page, "CheckBox3", {40, 72, 396, 24});
    CheckBox3->setText(QStringLiteral("Автозакачка плагинов"));
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3})
        connect(box, &QCheckBox::clicked, this, &SettingsSection::markChangedByUser);

    Label23 = label(page, "Label23", QStringLiteral("Действия:"), {16, 112, 300, 24});
    Button10 = place<QPushButton>(page, "Button10", {16, 140, 320, 30});
    Button10->setText(QStringLiteral("Закачать плагины"));
    Button12 = place<QPushButton>(page, "Button12", {16, 176, 320, 30});
    Button12->setText(QStringLiteral("Сменить пароль для банка паролей"));
    // Wired by the plug-in download and the password bank when they arrive.
    Button10->setEnabled(false);
    Button12->setEnabled(false);
    ProgressBar1 = place<QProgressBar>(page, "ProgressBar1", {16, 216, 620, 20});
    ProgressBar1->hide();

    // The backup group is kept but never shown.
    Label34 = label(page, "Label34", QStringLiteral("Файл резервной копии:"), {16, 260, 200, 24});
    Edit20 = place<QLineEdit>(page, "Edit20", {16, 288, 520, 26});
    Button28 = place<QPushButton>(page, "Button28", {544, 288, 40, 26});
    Button28->setText(QStringLiteral("..."));
    Button26 = place<QPushButton>(page, "Button26", {16, 324, 300, 30});
    Button26->setText(QStringLiteral("Резервная копия профиля"));
    Button27 = place<QPushButton>(page, "Button27", {324, 324, 300, 30});
    Button27->setText(QStringLiteral("Восстановить из резервной копии"));
    for (QWidget* hidden : std::initializer_list<QWidget*>{Label34, Edit20, Button28, Button26, Button27})
        hidden->hide();
}

void SettingsSection::buildMailPage(QWidget* page)
{
    Label1 = label(page, "Label1", QStringLiteral("Почтовый ящик(SMTP-протокол):"), {16, 16, 400, 24});
    Label2 = label(page, "Label2", QStringLiteral("Адрес:"), {16, 52, 90, 26});
    Edit10 = place<QLineEdit>(page, "Edit10", {110, 52, 360, 26});
    Label12 = label(page, "Label12", QStringLiteral("Сервер:"), {16, 88, 90, 26});
    Edit9 = place<QLineEdit>(page, "Edit9", {110, 88, 360, 26});
    Label16 = label(page, "Label16", QStringLiteral("Пароль:"), {16, 124, 90, 26});
    Edit11 = place<QLineEdit>(page, "Edit11", {110, 124, 360, 26});
    Edit11->setMaxLength(50);
    // Where the password is kept, in one line.
    PasswordPlaceLabel = label(page, "PasswordPlaceLabel", QString(), {110, 156, 560, 40});
    PasswordPlaceLabel->setWordWrap(true);
    for (QLineEdit* edit : {Edit9, Edit10, Edit11})
        connect(edit, &QLineEdit::textChanged, this, &SettingsSection::markChangedByUser);
}

void SettingsSection::fill()
{
    const Settings::Record& record = m_host.settings();
    m_filling = true;
    Edit9->setText(record.smtpServer);
    Edit10->setText(record.myBoxes);
    Edit11->setText(kHiddenPassword);
    PasswordPlaceLabel->setText(SecretStore(m_host.registry(), SecretStore::kMail).placeLine());
    CheckBox3->setChecked(record.autoLoadNewPlugins);
    CheckBox1->setChecked(record.autorun);
    CheckBox2->setChecked(record.hideInTray);
    Edit20->setText(record.backupPath);
    m_filling = false;
}

void SettingsSection::markChanged()
{
    m_changed = true;
}

void SettingsSection::markChangedByUser()
{
    // Filling the controls is no change.
    if (m_host.startupFinished() && !m_filling)
        markChanged();
}

bool SettingsSection::saveIfChanged()
{
    if (!m_changed)
        return true;
    if (!save())
        return false;
    m_changed = false;
    return true;
}

bool SettingsSection::save()
{
    RegistryStore& registry = m_host.registry();
    Settings::Record& record = m_host.settings();
    const QString config = Settings::fullKey("Config");
    // The settings reach the file in one piece, when the batch ends: a save
    // cut short leaves the old settings or the new ones, never some of each.
    RegistryStore::Batch batch(registry);

    record.autorun = CheckBox1->isChecked();
    if (record.autorun) {
        if (!Settings::writeAutorun(registry, SystemInfo::executablePath()))
            return false;
        m_host.setStatusMessage(QStringLiteral("Программа успешно добавлена в автозапуск!"));
    } else {
        if (!Settings::removeAutorun(registry))
            return false;
        m_host.setStatusMessage(QStringLiteral("Программа успешно убрана из автозапуска!"));
    }
    registry.writeBool(config, QStringLiteral("Autorun"), record.autorun);

    record.hideInTray = CheckBox2->isChecked();
    m_host.setStatusMessage(QStringLiteral("Настройка режима запуска выполнена!"));
    registry.writeBool(config, QStringLiteral("HideInTray"), record.hideInTray);

    record.backupPath = Edit20->text();
    registry.writeString(config, QStringLiteral("BackupPath"), record.backupPath);

    record.autoLoadNewPlugins = CheckBox3->isChecked();
    registry.writeBool(Settings::fullKey("Updates"), QStringLiteral("AutoLoadNewPlug-ins"),
                       record.autoLoadNewPlugins);

    if (readSlidePage)
        readSlidePage(record);
    const QString slides = Settings::fullKey("Slides");
    registry.writeInteger(slides, QStringLiteral("Type"), record.slideType);
    registry.writeString(slides, QStringLiteral("Directory"), record.slideDirectory);
    registry.writeInteger(slides, QStringLiteral("Interval"), record.slideInterval);
    registry.writeInteger(slides, QStringLiteral("IntervalType"), record.slideIntervalType);
    registry.writeBool(slides, QStringLiteral("Random"), record.slideRandom);

    const QString mail = Settings::fullKey("Mail");
    record.myBoxes = Edit10->text();
    registry.writeString(mail, QStringLiteral("MyBoxes"), record.myBoxes);
    record.smtpServer = Edit9->text();
    registry.writeString(mail, QStringLiteral("SmtpServer"), record.smtpServer);
    registry.writeString(config, QStringLiteral("Skin"), record.skin);
    if (saveSyncPage)
        saveSyncPage(registry, record);
    // Any value that did not reach the file fails the whole save.
    if (!batch.commit()) {
        m_host.setStatusMessage(kWriteFailed);
        return false;
    }

    storeMailPassword();
    if (setUpSlides)
        setUpSlides();
    const QSignalBlocker quiet(Edit11);
    Edit11->setText(kHiddenPassword);
    return true;
}

void SettingsSection::storeMailPassword()
{
    if (Edit11->text() == kHiddenPassword)
        return;
    SecretStore store(m_host.registry(), SecretStore::kMail);
    QString error;
    // An emptied box takes the stored password away.
    const bool done = Edit11->text().isEmpty() ? store.erase(&error) : store.store(Edit11->text(), &error);
    if (!done)
        MessageBoxes::errorBox(QStringLiteral("Пароль почтового ящика не сохранён: ") + error);
    PasswordPlaceLabel->setText(store.placeLine());
}
