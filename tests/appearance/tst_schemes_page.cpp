#include "appearance.h"
#include "main_window.h"
#include "registry_store.h"
#include "schemes_page.h"
#include "scripted_scheme_dialogs.h"
#include "scripted_seams.h"
#include "settings.h"
#include "skinned_dialog.h"
#include "test_home.h"
#include "test_main.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {

const QString kConfig = QStringLiteral("Software\\Quillarbor\\Config");

struct StoredScheme
{
    QString name;
    QString face;
    int size;
    QColor text;
    QColor background;
    QString treeFace;
    int treeSize;
    QColor treeText;
};

QVariantMap valuesOf(const StoredScheme& scheme)
{
    return {{"Наименование", scheme.name},
            {"Название", scheme.face},
            {"Размер", scheme.size},
            {"FЦветR", scheme.text.red()},
            {"FЦветG", scheme.text.green()},
            {"FЦветB", scheme.text.blue()},
            {"ЦветR", scheme.background.red()},
            {"ЦветG", scheme.background.green()},
            {"ЦветB", scheme.background.blue()},
            {"Название2", scheme.treeFace},
            {"Размер2", scheme.treeSize},
            {"FЦветR2", scheme.treeText.red()},
            {"FЦветG2", scheme.treeText.green()},
            {"FЦветB2", scheme.treeText.blue()}};
}

QColor windowColour(const QWidget* widget)
{
    return widget->palette().color(QPalette::Window);
}

QColor textColour(const QWidget* widget)
{
    return widget->palette().color(QPalette::WindowText);
}

QString fontOf(const QWidget* widget)
{
    return widget->font().family() + QLatin1Char('/') + QString::number(widget->font().pointSize());
}

} // namespace

class TestSchemesPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_dialogs = std::make_unique<ScriptedSchemeDialogs>();
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
    }
    void cleanup()
    {
        m_window.reset();
        m_registry.reset();
        m_dialogs.reset();
        m_seams.reset();
        m_home.reset();
    }

    void startUpPutsTheStoredSchemeOnTheWindow()
    {
        addSchemes({{"Ночь's", "DejaVu Serif", 12, QColor(10, 20, 30), QColor(200, 210, 220), "Nimbus Sans",
                     20, QColor(40, 50, 60)}});
        m_registry->writeString(kConfig, "Skin", "Ночь's");
        startWindow();

        QCOMPARE(windowColour(m_window.get()), QColor(200, 210, 220));
        QCOMPARE(textColour(m_window.get()), QColor(10, 20, 30));
        QCOMPARE(fontOf(m_window.get()), QStringLiteral("DejaVu Serif/12"));
        for (const QString box : {"GroupBox2", "Config", "EveryDay"}) {
            QCOMPARE(fontOf(m_window->sectionBox(box)), QStringLiteral("DejaVu Serif/12"));
            QCOMPARE(windowColour(m_window->sectionBox(box)), QColor(200, 210, 220));
        }
        QCOMPARE(fontOf(m_window->PageControl1), QStringLiteral("DejaVu Serif/12"));
        // A size of 20 from the table is applied as 20.
        QCOMPARE(fontOf(m_window->TreeView1), QStringLiteral("Nimbus Sans/20"));
        QCOMPARE(m_window->TreeView1->palette().color(QPalette::Text), QColor(40, 50, 60));
        QCOMPARE(m_window->mainFont().family(), QStringLiteral("DejaVu Serif"));

        // The controls directly in a section box take the font, whatever they had.
        QGroupBox* book = m_window->sectionBox("GroupBox2");
        const QFont odd("Nimbus Mono PS", 7);
        QList<QWidget*> controls = {new QLineEdit(book), new QLabel("Имя", book),
                                    new QPushButton("Добавить", book), new QPlainTextEdit(book),
                                    new QListWidget(book)};
        for (QWidget* control : controls)
            control->setFont(odd);
        auto* inner = new QWidget(book);
        auto* nested = new QLabel("вложенная", inner);
        m_window->appearance()->applyStoredScheme();
        for (QWidget* control : controls) {
            QCOMPARE(fontOf(control), QStringLiteral("DejaVu Serif/12"));
            QCOMPARE(textColour(control), QColor(10, 20, 30));
        }
        QCOMPARE(fontOf(nested), QStringLiteral("DejaVu Serif/12"));

        // Secondary windows take the applied font, its colour and the window's colour.
        SkinnedDialog secondary(m_window.get());
        m_window->prepareSecondary(secondary);
        QString seen;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            seen = fontOf(window) + "|" + windowColour(window).name() + "|" + textColour(window).name();
        });
        ModalWindows::exec(&secondary);
        QCOMPARE(seen, QStringLiteral("DejaVu Serif/12|#c8d2dc|#0a141e"));
    }

    void aSkinWithoutASchemeKeepsTheDesignLook()
    {
        m_registry->writeString(kConfig, "Skin", "Удалённая");
        startWindow();
        QCOMPARE(windowColour(m_window.get()), QColor(255, 251, 240));
        QCOMPARE(m_window->mainFont(), m_window->sectionBox("GroupBox1")->font());
        QVERIFY(m_seams->boxes.shown.isEmpty());
    }

    void thePageListsPicksAndTypes()
    {
        addSchemes({{"Дубль", "DejaVu Sans", 9, Qt::black, QColor(1, 1, 1), "DejaVu Sans", 9, Qt::black},
                    {"Дубль", "DejaVu Sans", 9, Qt::black, QColor(2, 2, 2), "DejaVu Sans", 9, Qt::black}});
        startWindow(); // Skin is "Metal"
        SchemesPage* page = showPage();
        QCOMPARE(items(page),
                 (QStringList{"Modern", "Metal", "Classic", "Forest", "Lavender", "Дубль", "Дубль"}));
        QCOMPARE(page->ComboBox5->currentText(), QStringLiteral("Metal"));
        QCOMPARE(page->Edit15->text(), QStringLiteral("Metal"));
        QCOMPARE(page->Edit16->text(), QStringLiteral("DejaVu Sans; 9 pt"));
        QCOMPARE(page->Edit16->font().pointSize(), 9);
        QCOMPARE(page->Edit17->palette().color(QPalette::Base), QColor(214, 220, 227));
        QCOMPARE(page->Edit18->text(), QStringLiteral("DejaVu Sans; 9 pt"));
        QVERIFY(!m_window->settingsChanged());

        // Picking a scheme applies it at once and makes it the one in use.
        page->ComboBox5->setCurrentIndex(2);
        QCOMPARE(m_window->settings().skin, QStringLiteral("Classic"));
        QVERIFY(m_window->settingsChanged());
        QCOMPARE(windowColour(m_window.get()), QColor(250, 244, 228));
        QCOMPARE(fontOf(m_window->sectionBox("GroupBox5")), QStringLiteral("P052/11"));
        QCOMPARE(fontOf(m_window->TreeView1), QStringLiteral("C059/9"));
        QCOMPARE(m_window->mainFont().family(), QStringLiteral("P052"));

        // With two schemes of one name the last one counts.
        page->ComboBox5->setCurrentIndex(5);
        QCOMPARE(windowColour(m_window.get()), QColor(2, 2, 2));

        // A typed name of no scheme applies the editor unchanged and is the new Skin.
        page->ComboBox5->setCurrentIndex(2);
        page->ComboBox5->setEditText("Моя тема");
        QCOMPARE(m_window->settings().skin, QStringLiteral("Моя тема"));
        QCOMPARE(windowColour(m_window.get()), QColor(250, 244, 228));
        QCOMPARE(page->Edit15->text(), QStringLiteral("Classic"));

        // Coming back to the page with a Skin of no scheme selects the first.
        switchPage(0);
        showPage();
        QCOMPARE(page->ComboBox5->currentText(), QStringLiteral("Modern"));
        QCOMPARE(m_window->settings().skin, QStringLiteral("Моя тема"));
    }

    void theEditorChoosesSavesAndApplies()
    {
        startWindow();
        SchemesPage* page = showPage();
        const int rowsBefore = m_window->database().ColorsTable.count();

        // A 16-point font is shown and saved as 14; black text on white.
        m_dialogs->fonts.enqueue({QFont("DejaVu Serif", 16), QColor(0, 0, 0)});
        QTest::mouseClick(page->Button18, Qt::LeftButton);
        QCOMPARE(m_dialogs->fontsOffered.last().font.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(page->Edit16->text(), QStringLiteral("DejaVu Serif; 14 pt"));
        QCOMPARE(page->Edit16->font().pointSize(), 14);
        m_dialogs->colours.enqueue(QColor(255, 255, 255));
        QTest::mouseClick(page->Button19, Qt::LeftButton);
        QCOMPARE(m_dialogs->coloursOffered.last(), QColor(214, 220, 227));
        QTest::mouseClick(page->Button20, Qt::LeftButton); // cancelled
        QCOMPARE(page->Edit18->text(), QStringLiteral("DejaVu Sans; 9 pt"));

        // An apostrophe in the name is just a letter.
        page->Edit15->setText("Chloe's");
        QTest::mouseClick(page->Button21, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.texts(), QStringList{"Сохранено."});
        QCOMPARE(m_seams->boxes.titles(), QStringList{"Успех"});
        const auto saved = m_window->database().ColorsTable.first(TableFilter("Наименование", "Chloe's"));
        QVERIFY(saved);
        QCOMPARE(saved->value("Размер").toInt(), 14);
        QCOMPARE(saved->value("Название").toString(), QStringLiteral("DejaVu Serif"));
        for (const QString field : {"FЦветR", "FЦветG", "FЦветB"})
            QCOMPARE(saved->value(field).toInt(), 0);
        for (const QString field : {"ЦветR", "ЦветG", "ЦветB"})
            QCOMPARE(saved->value(field).toInt(), 255);
        QCOMPARE(items(page).last(), QStringLiteral("Chloe's"));
        QCOMPARE(m_window->database().ColorsTable.count(), rowsBefore + 1);
        // Saving neither applies nor changes Skin.
        QCOMPARE(m_window->settings().skin, QStringLiteral("Metal"));
        QCOMPARE(windowColour(m_window.get()), QColor(214, 220, 227));

        // Black and white come back unchanged and apply.
        page->ComboBox5->setCurrentIndex(0);
        page->ComboBox5->setCurrentIndex(int(items(page).indexOf("Chloe's")));
        QCOMPARE(page->Edit16->text(), QStringLiteral("DejaVu Serif; 14 pt"));
        QCOMPARE(page->Edit16->palette().color(QPalette::Text), QColor(0, 0, 0));
        QCOMPARE(windowColour(m_window.get()), QColor(255, 255, 255));
        QCOMPARE(textColour(m_window.get()), QColor(0, 0, 0));
        QCOMPARE(m_window->settings().skin, QStringLiteral("Chloe's"));

        // Saving under an existing name overwrites that row.
        page->Edit15->setText("Metal");
        QTest::mouseClick(page->Button21, Qt::LeftButton);
        QCOMPARE(m_window->database().ColorsTable.count(), rowsBefore + 1);
        const auto metal = m_window->database().ColorsTable.rows(TableFilter("Наименование", "Metal"));
        QCOMPARE(metal.size(), 1);
        QCOMPARE(metal.first().value("ЦветR").toInt(), 255);

        // "Применить" puts the editor on the window without storing it.
        m_dialogs->colours.enqueue(QColor(230, 240, 250));
        QTest::mouseClick(page->Button19, Qt::LeftButton);
        QTest::mouseClick(page->Button23, Qt::LeftButton);
        QCOMPARE(windowColour(m_window.get()), QColor(230, 240, 250));
        QCOMPARE(windowColour(m_window->sectionBox("Config")), QColor(230, 240, 250));
        QCOMPARE(m_window->database().ColorsTable.count(TableFilter("ЦветR", 230)), 0);
        SkinnedDialog secondary(m_window.get());
        m_window->prepareSecondary(secondary);
        QCOMPARE(secondary.FoneColor, QColor(230, 240, 250));
        QCOMPARE(secondary.Font1.pointSize(), 14);
    }

    void aFailedOrNamelessSaveChangesNothing()
    {
        startWindow();
        SchemesPage* page = showPage();
        const QStringList listed = items(page);
        const auto before = m_window->database().ColorsTable.rows();

        page->Edit15->setText("   ");
        QTest::mouseClick(page->Button21, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown.first().title, QStringLiteral("Произошла ошибка!"));

        QSqlQuery refuse(m_window->database().BigBd());
        QVERIFY(refuse.exec(
            "CREATE TRIGGER refuse BEFORE UPDATE ON \"Темы\" BEGIN SELECT RAISE(ABORT, 'full'); END"));
        QVERIFY(refuse.exec(
            "CREATE TRIGGER refuse2 BEFORE INSERT ON \"Темы\" BEGIN SELECT RAISE(ABORT, 'full'); END"));
        m_dialogs->colours.enqueue(QColor(9, 9, 9));
        QTest::mouseClick(page->Button19, Qt::LeftButton);
        for (const QString name : {"Metal", "Новая"}) {
            m_seams->boxes.shown.clear();
            page->Edit15->setText(name);
            QTest::mouseClick(page->Button21, Qt::LeftButton);
            QCOMPARE(m_seams->boxes.titles(), QStringList{"Произошла ошибка!"});
            QVERIFY(m_seams->boxes.texts().first().contains(name));
            const auto after = m_window->database().ColorsTable.rows();
            QCOMPARE(after.size(), before.size());
            for (int i = 0; i < after.size(); ++i)
                QCOMPARE(after[i].values, before[i].values);
            QCOMPARE(items(page), listed);
        }
        // The table is usable again afterwards.
        QVERIFY(refuse.exec("DROP TRIGGER refuse2"));
        QTest::mouseClick(page->Button21, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.texts().last(), QStringLiteral("Сохранено."));
        QCOMPARE(m_window->database().ColorsTable.count(), before.size() + 1);
    }

    void deletingSchemes()
    {
        addSchemes({{"modern", "DejaVu Sans", 9, Qt::black, Qt::white, "DejaVu Sans", 9, Qt::black},
                    {"O'Hara", "DejaVu Sans", 9, Qt::black, Qt::white, "DejaVu Sans", 9, Qt::black}});
        startWindow();
        SchemesPage* page = showPage();
        const int rowsBefore = m_window->database().ColorsTable.count();

        page->ComboBox5->setCurrentIndex(0);
        QTest::mouseClick(page->Button22, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.texts().size(), 1);
        QVERIFY(m_seams->boxes.texts().first().startsWith("Нельзя удалить этот скин!"));
        QCOMPARE(m_window->database().ColorsTable.count(), rowsBefore);

        for (const QString name : {"modern", "O'Hara"}) {
            page->ComboBox5->setCurrentIndex(int(items(page).indexOf(name)));
            QTest::mouseClick(page->Button22, Qt::LeftButton);
            QCOMPARE(m_window->database().ColorsTable.count(TableFilter("Наименование", name)), 0);
            QVERIFY(!items(page).contains(name));
            QCOMPARE(page->ComboBox5->currentText(), QString());
        }
        QCOMPARE(m_window->database().ColorsTable.count(), rowsBefore - 2);
        QCOMPARE(m_window->database().ColorsTable.count(TableFilter("Наименование", "Modern")), 1);
        // Skin stays what was chosen last; deleting does not choose.
        QCOMPARE(m_window->settings().skin, QStringLiteral("O'Hara"));

        // A typed name of no scheme deletes nothing and says nothing.
        page->ComboBox5->setEditText("Нет такой");
        QTest::mouseClick(page->Button22, Qt::LeftButton);
        QCOMPARE(m_window->database().ColorsTable.count(), rowsBefore - 2);
        QCOMPARE(m_seams->boxes.shown.size(), 1);
    }

private:
    void addSchemes(const QList<StoredScheme>& schemes)
    {
        ProfileDatabase database;
        QVERIFY(database.open(m_home->documents(), TestHome::programFolder()));
        for (const StoredScheme& scheme : schemes)
            QVERIFY(database.ColorsTable.insert(valuesOf(scheme)));
    }

    void startWindow()
    {
        m_window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(m_window->startedUp());
        m_window->show();
        m_window->Timer1Timer();
    }

    void switchPage(int index) { m_window->PageControl1->setCurrentIndex(index); }

    SchemesPage* showPage()
    {
        m_window->showSection(15);
        switchPage(Appearance::kSchemesPage);
        return m_window->appearance()->schemesPage();
    }

    static QStringList items(const SchemesPage* page)
    {
        QStringList list;
        for (int i = 0; i < page->ComboBox5->count(); ++i)
            list.append(page->ComboBox5->itemText(i));
        return list;
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<ScriptedSchemeDialogs> m_dialogs;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
};

QUILL_TEST_MAIN(TestSchemesPage)
#include "tst_schemes_page.moc"
