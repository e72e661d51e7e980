// The two plug-ins that ship with the program, found by the real scan in
// the program folder and driven through their own windows.
#include "plugin_host.h"
#include "plugins_section.h"
#include "sections.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>

namespace {

// Runs the script on the next modal window to open, then closes it.
void onNextWindow(const QString& name, std::function<void(QDialog*)> script, bool* seen)
{
    QTimer::singleShot(0, qApp, [=] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!window || window->objectName() != name) {
            if (window)
                window->reject();
            return;
        }
        *seen = true;
        script(window);
        window->reject();
    });
}

int rowOf(const PluginsSection& section, const QString& name)
{
    for (int i = 0; i < section.ListBox6->count(); ++i)
        if (section.ListBox6->item(i)->text() == name)
            return i;
    return -1;
}

QString calculatorSettings()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillarbor/date_calculator.ini");
}

} // namespace

class TestStandardPlugins : public QObject
{
    Q_OBJECT

private slots:
    void bothAreListedWithTheirDescriptions()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        PluginsSection& section = *window.pluginsSection();
        window.showSection(Sections::kPlugins);
        const int calculator = rowOf(section, QStringLiteral("Калькулятор дат"));
        const int generator = rowOf(section, QStringLiteral("Мастер паролей"));
        QVERIFY(calculator >= 0);
        QVERIFY(generator >= 0);
        section.ListBox6->setCurrentRow(calculator);
        const QStringList lines = section.Memo2->toPlainText().split('\n');
        QCOMPARE(lines.first(), QStringLiteral("Калькулятор дат 1.0 для Quillarbor 3.2"));
        QVERIFY(lines.at(1).startsWith(QStringLiteral("Считает дни между датами")));
        section.ListBox6->setCurrentRow(generator);
        QCOMPARE(section.Memo2->toPlainText().split('\n').first(),
                 QStringLiteral("Мастер паролей 1.0 для Quillarbor 3.2"));
        // The calculator asks to run at start-up, and is the entry "UPDATE" runs.
        QVERIFY(window.pluginHost()->AutoRunEntry());
        // With no countdown set up, its start-up run showed nothing.
        QVERIFY(fixture.seams.boxes.shown.isEmpty());
    }

    void thePasswordGeneratorMakesPasswordsAndSaysWhenItCannot()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        PluginsSection& section = *window.pluginsSection();
        window.showSection(Sections::kPlugins);
        section.ListBox6->setCurrentRow(rowOf(section, QStringLiteral("Мастер паролей")));
        bool seen = false;
        QString made;
        QString copied;
        onNextWindow(
            QStringLiteral("PasswordGenerator"),
            [&](QDialog* generator) {
                QCOMPARE(generator->windowTitle(), QStringLiteral("Мастер паролей"));
                auto* password = generator->findChild<QLineEdit*>(QStringLiteral("Password"));
                made = password->text();
                generator->findChild<QSpinBox*>(QStringLiteral("Length"))->setValue(20);
                generator->findChild<QCheckBox*>(QStringLiteral("Set4"))->setChecked(true);
                generator->findChild<QPushButton*>(QStringLiteral("Make"))->click();
                QCOMPARE(password->text().size(), 20);
                generator->findChild<QPushButton*>(QStringLiteral("Copy"))->click();
                copied = QApplication::clipboard()->text();
                QCOMPARE(copied, password->text());
                // No set of characters: the plug-in reports it through the host.
                for (int i = 1; i <= 4; ++i)
                    generator->findChild<QCheckBox*>(QStringLiteral("Set%1").arg(i))->setChecked(false);
                generator->findChild<QPushButton*>(QStringLiteral("Make"))->click();
            },
            &seen);
        section.BitBtn24->click();
        QVERIFY(seen);
        // Twelve characters of letters and digits at first, each set present.
        QCOMPARE(made.size(), 12);
        QVERIFY(made.contains(QRegularExpression("[a-z]")));
        QVERIFY(made.contains(QRegularExpression("[A-Z]")));
        QVERIFY(made.contains(QRegularExpression("[0-9]")));
        QVERIFY(!made.contains(QRegularExpression("[^a-zA-Z0-9]")));
        QVERIFY(copied.contains(QRegularExpression("[!#$%&*+\\-=?@^_~]")));
        QCOMPARE(fixture.seams.boxes.shown.size(), 1);
        QCOMPARE(fixture.seams.boxes.shown.first().title, QStringLiteral("Plugin Error"));
        QCOMPARE(fixture.seams.boxes.shown.first().text,
                 QStringLiteral("Пароль не создан: отметьте хотя бы один набор символов."));
    }

    void theDateCalculatorCountsAndRemindsAtStartUp()
    {
        const QDate today = QDate::currentDate();
        {
            WindowFixture fixture;
            TForm1& window = *fixture.window;
            PluginsSection& section = *window.pluginsSection();
            window.showSection(Sections::kPlugins);
            section.ListBox6->setCurrentRow(rowOf(section, QStringLiteral("Калькулятор дат")));
            bool seen = false;
            bool countdownSeen = false;
            QString countdown;
            onNextWindow(
                QStringLiteral("DateCalculator"),
                [&](QDialog* calculator) {
                    calculator->findChild<QDateEdit*>(QStringLiteral("From"))
                        ->setDate(QDate(2026, 3, 2)); // Monday
                    calculator->findChild<QDateEdit*>(QStringLiteral("To"))->setDate(QDate(2026, 3, 16));
                    QCOMPARE(calculator->findChild<QLabel*>(QStringLiteral("Difference"))
                                 ->text()
                                 .section(',', 0, 1),
                             QStringLiteral("14 дней, из них рабочих: 10 (понедельник — понедельник)"));
                    calculator->findChild<QDateEdit*>(QStringLiteral("Start"))->setDate(QDate(2026, 12, 31));
                    calculator->findChild<QSpinBox*>(QStringLiteral("Days"))->setValue(1);
                    QCOMPARE(calculator->findChild<QLabel*>(QStringLiteral("Shifted"))->text(),
                             QStringLiteral("Получится 01.01.2027, пятница"));
                    auto* showNow = calculator->findChild<QPushButton*>(QStringLiteral("ShowNow"));
                    QVERIFY(!showNow->isEnabled());
                    calculator->findChild<QCheckBox*>(QStringLiteral("AtStartUp"))->setChecked(true);
                    calculator->findChild<QLineEdit*>(QStringLiteral("Event"))
                        ->setText(QStringLiteral("Отпуск"));
                    calculator->findChild<QDateEdit*>(QStringLiteral("EventDate"))->setDate(today.addDays(3));
                    QVERIFY(showNow->isEnabled());
                    // "Показать сейчас" goes through SetAction("UPDATE") to the start-up run.
                    onNextWindow(
                        QStringLiteral("DateCountdown"),
                        [&](QDialog* reminder) {
                            countdown = reminder->findChild<QLabel*>(QStringLiteral("CountdownText"))->text();
                        },
                        &countdownSeen);
                    showNow->click();
                },
                &seen);
            section.BitBtn24->click();
            QVERIFY(seen);
            QVERIFY(countdownSeen);
            QCOMPARE(countdown, QStringLiteral("До события «Отпуск» (%1) осталось 3 дня.")
                                    .arg(today.addDays(3).toString("dd.MM.yyyy")));
            QVERIFY(fixture.seams.boxes.shown.isEmpty());
            QVERIFY(QFile::exists(calculatorSettings()));
        }
        {
            // The next start shows the countdown from the start-up run.
            TestHome home;
            QDir().mkpath(QFileInfo(calculatorSettings()).absolutePath());
            QSettings stored(calculatorSettings(), QSettings::IniFormat);
            stored.setValue("countdown/atStartUp", true);
            stored.setValue("countdown/event", QStringLiteral("День рождения"));
            stored.setValue("countdown/date", today.toString("dd.MM.yyyy"));
            stored.sync();
            bool seen = false;
            QString text;
            onNextWindow(
                QStringLiteral("DateCountdown"),
                [&](QDialog* reminder) {
                    text = reminder->findChild<QLabel*>(QStringLiteral("CountdownText"))->text();
                },
                &seen);
            TestSeams seams;
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            Settings::writeFirstRunDefaults(registry);
            TForm1 window(registry);
            QVERIFY(seen);
            QCOMPARE(text, QStringLiteral("Сегодня: День рождения!"));
        }
    }
};

QUILL_TEST_MAIN(TestStandardPlugins)
#include "tst_standard_plugins.moc"
