// "Калькулятор дат": the days between two dates (and the working days among
// them), the date a number of days away, and a countdown to one event that
// the organiser shows at start-up when the user asks for it.
#include "quillarbor_plugin.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

// The name in Windows-1251: its 15 letters fill the record's 15 bytes.
const char kName[] = "\xCA\xE0\xEB\xFC\xEA\xF3\xEB\xFF\xF2\xEE\xF0\x20\xE4\xE0\xF2"; // Калькулятор дат
const QString kDateFormat = QStringLiteral("dd.MM.yyyy");

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillarbor/date_calculator.ini");
}

struct Countdown
{
    bool atStartUp = false;
    QString event;
    QDate date;
};

Countdown readCountdown()
{
    QSettings stored(settingsFile(), QSettings::IniFormat);
    return {stored.value(QStringLiteral("countdown/atStartUp"), false).toBool(),
            stored.value(QStringLiteral("countdown/event")).toString(),
            QDate::fromString(stored.value(QStringLiteral("countdown/date")).toString(), kDateFormat)};
}

// False with the reason when the settings could not be written.
bool writeCountdown(const Countdown& countdown, QString* reason)
{
    QSettings stored(settingsFile(), QSettings::IniFormat);
    stored.setValue(QStringLiteral("countdown/atStartUp"), countdown.atStartUp);
    stored.setValue(QStringLiteral("countdown/event"), countdown.event);
    stored.setValue(QStringLiteral("countdown/date"), countdown.date.toString(kDateFormat));
    stored.sync();
    if (stored.status() == QSettings::NoError)
        return true;
    *reason = stored.status() == QSettings::AccessError
                  ? QStringLiteral("нет доступа к файлу ") + settingsFile()
                  : QStringLiteral("файл ") + settingsFile() + QStringLiteral(" повреждён");
    return false;
}

QString daysWord(qint64 days)
{
    const qint64 n = days < 0 ? -days : days;
    if (n % 10 == 1 && n % 100 != 11)
        return QStringLiteral("день");
    if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14))
        return QStringLiteral("дня");
    return QStringLiteral("дней");
}

qint64 workingDays(QDate from, QDate to)
{
    if (from > to)
        std::swap(from, to);
    const qint64 all = from.daysTo(to);
    qint64 working = (all / 7) * 5;
    for (QDate day = from.addDays((all / 7) * 7); day < to; day = day.addDays(1))
        if (day.dayOfWeek() <= 5)
            ++working;
    return working;
}

QString weekday(const QDate& date)
{
    return QLocale(QLocale::Russian).dayName(date.dayOfWeek());
}

QString countdownText(const Countdown& countdown, const QDate& today)
{
    const qint64 days = today.daysTo(countdown.date);
    if (days == 0)
        return QStringLiteral("Сегодня: %1!").arg(countdown.event);
    if (days > 0)
        return QStringLiteral("До события «%1» (%2) осталось %3 %4.")
            .arg(countdown.event, countdown.date.toString(kDateFormat))
            .arg(days)
            .arg(daysWord(days));
    return QStringLiteral("Событие «%1» (%2) было %3 %4 назад.")
        .arg(countdown.event, countdown.date.toString(kDateFormat))
        .arg(-days)
        .arg(daysWord(days));
}

QDateEdit* dateEdit(QWidget* parent, const char* name, const QDate& date)
{
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setDisplayFormat(kDateFormat);
    edit->setCalendarPopup(true);
    return edit;
}

void complain(TIPluginDemo* host, const QString& text)
{
    host->lpVtbl->PluginErrorMessage(host, reinterpret_cast<const char16_t*>(text.utf16()));
}

} // namespace

extern "C" {

QUILLARBOR_PLUGIN_EXPORT void GetPluginInfo(TPluginInfo* info)
{
    QUILLARBOR_SET(info->Name, kName);
    QUILLARBOR_SET(info->Version, "1.0");
    QUILLARBOR_SET(info->HostVersion, QUILLARBOR_HOST_VERSION);
    QUILLARBOR_SET(info->Description, "Считает дни между датами и рабочие дни, находит дату через N дней, "
                                      "при запуске напоминает, сколько осталось до события.");
}

// Asks to run at start-up; the run itself shows something only when the
// user has set a countdown up.
QUILLARBOR_PLUGIN_EXPORT unsigned char GetCanAutoRun(void)
{
    return 1;
}

QUILLARBOR_PLUGIN_EXPORT void AutoRun(TIPluginDemo* host)
{
    const Countdown countdown = readCountdown();
    if (!countdown.atStartUp || countdown.event.isEmpty() || !countdown.date.isValid())
        return;
    auto* application = static_cast<QApplication*>(host->lpVtbl->GetApplication(host));
    QDialog window(application->activeWindow());
    window.setObjectName(QStringLiteral("DateCountdown"));
    window.setWindowTitle(QStringLiteral("Калькулятор дат"));
    auto* text = new QLabel(countdownText(countdown, QDate::currentDate()), &window);
    text->setObjectName(QStringLiteral("CountdownText"));
    text->setWordWrap(true);
    QFont larger = text->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.3);
    text->setFont(larger);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &window);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Хорошо"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(text);
    layout->addWidget(buttons);
    window.setMinimumWidth(360);
    window.exec();
}

QUILLARBOR_PLUGIN_EXPORT void InitPlugin(TIPluginDemo* host)
{
    auto* application = static_cast<QApplication*>(host->lpVtbl->GetApplication(host));
    const QDate today = QDate::currentDate();
    QDialog window(application->activeWindow());
    window.setObjectName(QStringLiteral("DateCalculator"));
    window.setWindowTitle(QStringLiteral("Калькулятор дат"));
    auto* layout = new QVBoxLayout(&window);

    auto* between = new QGroupBox(QStringLiteral("Сколько дней между датами"), &window);
    auto* from = dateEdit(between, "From", today);
    auto* to = dateEdit(between, "To", today.addDays(30));
    auto* difference = new QLabel(between);
    difference->setObjectName(QStringLiteral("Difference"));
    auto* betweenForm = new QFormLayout(between);
    betweenForm->addRow(QStringLiteral("&С:"), from);
    betweenForm->addRow(QStringLiteral("&По:"), to);
    betweenForm->addRow(difference);
    layout->addWidget(between);

    auto* shift = new QGroupBox(QStringLiteral("Какая дата будет через N дней"), &window);
    auto* start = dateEdit(shift, "Start", today);
    auto* days = new QSpinBox(shift);
    days->setObjectName(QStringLiteral("Days"));
    days->setRange(-36500, 36500);
    days->setValue(100);
    auto* shifted = new QLabel(shift);
    shifted->setObjectName(QStringLiteral("Shifted"));
    auto* shiftForm = new QFormLayout(shift);
    shiftForm->addRow(QStringLiteral("&От даты:"), start);
    shiftForm->addRow(QStringLiteral("&Дней (минус — назад):"), days);
    shiftForm->addRow(shifted);
    layout->addWidget(shift);

    const Countdown stored = readCountdown();
    auto* countdownBox = new QGroupBox(QStringLiteral("Напоминание при запуске программы"), &window);
    auto* atStartUp = new QCheckBox(QStringLiteral("&Показывать, сколько осталось до события"), countdownBox);
    atStartUp->setObjectName(QStringLiteral("AtStartUp"));
    atStartUp->setChecked(stored.atStartUp);
    auto* event = new QLineEdit(stored.event, countdownBox);
    event->setObjectName(QStringLiteral("Event"));
    event->setMaxLength(100);
    auto* eventDate =
        dateEdit(countdownBox, "EventDate", stored.date.isValid() ? stored.date : today.addDays(7));
    auto* showNow = new QPushButton(QStringLiteral("Показать &сейчас"), countdownBox);
    showNow->setObjectName(QStringLiteral("ShowNow"));
    auto* countdownForm = new QFormLayout(countdownBox);
    countdownForm->addRow(atStartUp);
    countdownForm->addRow(QStringLiteral("&Событие:"), event);
    countdownForm->addRow(QStringLiteral("Д&ата:"), eventDate);
    countdownForm->addRow(showNow);
    layout->addWidget(countdownBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    layout->addWidget(buttons);

    const auto recount = [=] {
        const qint64 n = from->date().daysTo(to->date());
        difference->setText(QStringLiteral("%1 %2, из них рабочих: %3 (%4 — %5)")
                                .arg(n)
                                .arg(daysWord(n))
                                .arg(workingDays(from->date(), to->date()))
                                .arg(weekday(from->date()), weekday(to->date())));
        const QDate result = start->date().addDays(days->value());
        shifted->setText(
            result.isValid()
                ? QStringLiteral("Получится %1, %2").arg(result.toString(kDateFormat), weekday(result))
                : QStringLiteral("Такой даты нет в календаре"));
        showNow->setEnabled(atStartUp->isChecked() && !event->text().trimmed().isEmpty());
    };
    for (QDateEdit* edit : {from, to, start, eventDate})
        QObject::connect(edit, &QDateEdit::dateChanged, &window, recount);
    QObject::connect(days, &QSpinBox::valueChanged, &window, recount);
    QObject::connect(atStartUp, &QCheckBox::toggled, &window, recount);
    QObject::connect(event, &QLineEdit::textChanged, &window, recount);
    recount();

    const auto save = [&]() -> bool {
        QString reason;
        if (writeCountdown({atStartUp->isChecked(), event->text().trimmed(), eventDate->date()}, &reason))
            return true;
        complain(host, QStringLiteral("Не удалось сохранить напоминание калькулятора дат: ") + reason + '.');
        return false;
    };
    // The organiser runs our start-up entry again, with what was just set.
    QObject::connect(showNow, &QPushButton::clicked, &window, [&] {
        if (save())
            host->lpVtbl->SetAction(host, u"UPDATE");
    });
    window.exec();
    const Countdown now{atStartUp->isChecked(), event->text().trimmed(), eventDate->date()};
    if (now.atStartUp != stored.atStartUp || now.event != stored.event ||
        (now.atStartUp && now.date != stored.date))
        save();
}

} // extern "C"
