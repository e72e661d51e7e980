#include "link_categories.h"
#include "resources_section.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

QStringList lines(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QStringList items(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestResourcesSection : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> m_fixture;

    // The user's category folder with exactly these files, then the window on it.
    void start(const QList<QPair<QString, QByteArray>>& files = {}, bool seedFirst = false)
    {
        m_fixture = std::make_unique<WindowFixture>([&](RegistryStore& registry) {
            registry.writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
            const QString folder = LinkCategories::userFolder();
            if (!seedFirst)
                QDir().mkpath(folder);
            for (const auto& [name, bytes] : files)
                QVERIFY(writeFile(folder + '/' + name, bytes));
        });
        m_fixture->window->Timer1Timer(); // the first tick enables the window
        m_fixture->window->showSection(18);
    }
    ResourcesSection* section()
    {
        return m_fixture->window->sectionBox("Resources")->findChild<ResourcesSection*>("ResourcesSection");
    }
    ScriptedMessageBoxes& boxes() { return m_fixture->seams.boxes; }
    QString file(const QString& name) const { return LinkCategories::userFolder() + '/' + name + ".dat"; }
    void choose(const QString& name) { section()->ComboBox2->setCurrentText(name); }
    void select(int row)
    {
        QListWidget* list = section()->ListBox4;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

private slots:
    void cleanup() { m_fixture.reset(); }

    void startupSeedsTheUsersFolderOnceAndFillsTheBox()
    {
        m_fixture = std::make_unique<WindowFixture>();
        const QString folder = LinkCategories::userFolder();
        QVERIFY(folder.startsWith(m_fixture->home.path()));
        // The shipped categories were copied before the section was ever shown.
        const QStringList shipped =
            QDir(TestHome::programFolder() + "Resources").entryList({"*.dat"}, QDir::Files, QDir::Name);
        QVERIFY(shipped.size() >= 4);
        QCOMPARE(QDir(folder).entryList({"*.dat"}, QDir::Files, QDir::Name), shipped);
        QCOMPARE(QFile::permissions(folder) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

        m_fixture->window->showSection(18);
        QStringList names = items(section()->ComboBox2);
        names.sort();
        QStringList expected;
        for (const QString& each : shipped)
            expected.append(each.chopped(4));
        QCOMPARE(names, expected);
        QCOMPARE(section()->ComboBox2->currentText(), QString());
        QCOMPARE(section()->ListBox4->count(), 0);
        QCOMPARE(section()->Label15->text(), QStringLiteral("Избранное. Вы можете добавлять URL-адреса"));
        for (QPushButton* pictureOnly : {section()->BitBtn11, section()->BitBtn12}) {
            QVERIFY(pictureOnly->text().isEmpty() && !pictureOnly->icon().isNull());
            QVERIFY(!pictureOnly->toolTip().isEmpty() && !pictureOnly->accessibleName().isEmpty());
        }
        // Every shipped link is a link line with a real web address.
        choose(QStringLiteral("Новости"));
        QVERIFY(section()->ListBox4->count() >= 3);
        for (const QString& line : lines(section()->ListBox4))
            QVERIFY2(line.startsWith(QStringLiteral(" https://")), qPrintable(line));

        // A category the user deleted stays deleted at the next start: the seeding is done once.
        QVERIFY(QFile::remove(file(QStringLiteral("Новости"))));
        m_fixture->window.reset();
        m_fixture->window = std::make_unique<TForm1>(*m_fixture->registry);
        QVERIFY(!QFile::exists(file(QStringLiteral("Новости"))));
    }

    void addingCategoriesTakesTheDefaultOnCancelAndRefusesBadNames()
    {
        start();
        // Cancel gives the default name.
        QTest::mouseClick(section()->BitBtn11, Qt::LeftButton);
        QCOMPARE(boxes().inputPrompts,
                 QStringList{QStringLiteral("Добавить...|Введите название новой категории")});
        QCOMPARE(contents(file(QStringLiteral("Категория1"))), QByteArray());
        QCOMPARE(items(section()->ComboBox2), QStringList{QStringLiteral("Категория1")});
        QCOMPARE(section()->ComboBox2->currentText(), QStringLiteral("Категория1"));
        QVERIFY(boxes().shown.isEmpty());

        section()->BitBtn11Click();
        QCOMPARE(boxes().texts(), QStringList{QStringLiteral("Такая категория уже существует!")});
        QCOMPARE(int(boxes().shown.last().icon), int(MessageBoxes::Icon::Critical));

        boxes().inputs.enqueue(QString());
        section()->BitBtn11Click();
        QCOMPARE(boxes().texts().last(), QStringLiteral("Категория должна иметь имя!"));

        // Names that would put a file outside the folder, or a hidden one, are refused.
        const QStringList bad = {"../Вне", "a/b",  "a\\b",          ".скрытая",
                                 "..",     "x..y", "с\tтабуляцией", QString("ноль") + QChar(0)};
        for (const QString& name : bad) {
            boxes().shown.clear();
            boxes().inputs.enqueue(name);
            section()->BitBtn11Click();
            QCOMPARE(boxes().shown.size(), 1);
            QVERIFY2(boxes().texts().first().startsWith(QStringLiteral("Название категории не может")),
                     qPrintable(name));
        }
        QCOMPARE(items(section()->ComboBox2), QStringList{QStringLiteral("Категория1")});
        QCOMPARE(QDir(LinkCategories::userFolder())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Категория1.dat")});
        QVERIFY(!QFile::exists(QFileInfo(LinkCategories::userFolder()).path() + "/Вне.dat"));
    }

    void linksAreAddedOpenedAndDeleted()
    {
        start({{"Поиск.dat",
                " https://ya.ru/\r\nhttps://no-blank.example/\r\n https://a.example/?q=a b&x=1\r\n"}});
        // No category chosen: nothing happens and nothing is shown.
        boxes().inputs.enqueue(QStringLiteral("https://lost.example/"));
        QTest::mouseClick(section()->BitBtn13, Qt::LeftButton);
        QVERIFY(boxes().shown.isEmpty());
        QCOMPARE(section()->ListBox4->count(), 0);
        QVERIFY(m_fixture->window->statusMessage() != QStringLiteral("Ссылка добавлена!"));

        choose(QStringLiteral("Поиск"));
        QCOMPARE(lines(section()->ListBox4), QStringList({" https://ya.ru/", "https://no-blank.example/",
                                                          " https://a.example/?q=a b&x=1"}));
        // Opening with nothing selected hands the shell an empty text.
        QTest::mouseClick(section()->BitBtn15, Qt::LeftButton);
        select(1);
        QTest::mouseClick(section()->BitBtn15, Qt::LeftButton);
        select(2);
        QTest::mouseClick(section()->BitBtn15, Qt::LeftButton);
        QCOMPARE(m_fixture->seams.shell.opened,
                 QStringList({QString(), "ttps://no-blank.example/", "https://a.example/?q=a b&x=1"}));
        // Enter on a line opens it too.
        QTest::keyClick(section()->ListBox4, Qt::Key_Return);
        QCOMPARE(m_fixture->seams.shell.opened.last(), QStringLiteral("https://a.example/?q=a b&x=1"));
        m_fixture->seams.shell.opened.clear();

        // Cancelling the prompt adds "http://".
        QTest::mouseClick(section()->BitBtn13, Qt::LeftButton);
        QCOMPARE(section()->ListBox4->item(3)->text(), QStringLiteral(" http://"));
        QCOMPARE(m_fixture->window->statusMessage(), QStringLiteral("Ссылка добавлена!"));
        QCOMPARE(contents(file("Поиск")), QByteArray(" https://ya.ru/\r\nhttps://no-blank.example/\r\n"
                                                     " https://a.example/?q=a b&x=1\r\n http://\r\n"));

        // Deleting asks first; No keeps the line.
        select(0);
        boxes().answers.enqueue(MessageBoxes::Button::No);
        QTest::mouseClick(section()->BitBtn14, Qt::LeftButton);
        QCOMPARE(section()->ListBox4->count(), 4);
        select(0);
        boxes().answers.enqueue(MessageBoxes::Button::Yes);
        QTest::mouseClick(section()->BitBtn14, Qt::LeftButton);
        QCOMPARE(boxes().texts().last(), QStringLiteral("Вы действительно хотите удалить эту ссылку?"));
        QCOMPARE(int(boxes().shown.last().icon), int(MessageBoxes::Icon::Warning));
        QCOMPARE(m_fixture->window->statusMessage(), QStringLiteral("Ссылка удалена!"));
        // The lines are written back unchanged, also the one without its blank.
        QCOMPARE(contents(file("Поиск")),
                 QByteArray("https://no-blank.example/\r\n https://a.example/?q=a b&x=1\r\n http://\r\n"));
    }

    void deletingACategoryRemovesItsFileAndItsName()
    {
        start({{"Первая.dat", " https://one.example/\r\n"}, {"Вторая.dat", ""}});
        choose(QStringLiteral("Первая"));
        QCOMPARE(section()->ListBox4->count(), 1);
        boxes().answers.enqueue(MessageBoxes::Button::No);
        QTest::mouseClick(section()->BitBtn12, Qt::LeftButton);
        QVERIFY(QFile::exists(file("Первая")));
        QTest::mouseClick(section()->BitBtn12, Qt::LeftButton); // unscripted: the harmless No
        boxes().answers.enqueue(MessageBoxes::Button::Yes);
        QTest::mouseClick(section()->BitBtn12, Qt::LeftButton);
        QCOMPARE(boxes().texts().value(0),
                 QStringLiteral("Вы действительно хотите удалить категорию Первая?"));
        QCOMPARE(boxes().texts().last(), QStringLiteral("Категория удалена!"));
        QCOMPARE(int(boxes().shown.last().icon), int(MessageBoxes::Icon::Information));
        QVERIFY(!QFile::exists(file("Первая")));
        QCOMPARE(items(section()->ComboBox2), QStringList{QStringLiteral("Вторая")});
        QCOMPARE(section()->ListBox4->count(), 0);

        // A name with no file: nothing is asked.
        boxes().shown.clear();
        choose(QStringLiteral("Нет такой"));
        QTest::mouseClick(section()->BitBtn12, Qt::LeftButton);
        QTest::mouseClick(section()->BitBtn14, Qt::LeftButton);
        QVERIFY(boxes().shown.isEmpty());
    }

    void filesFromTheWindowsVersionReadRight()
    {
        // Windows-1251 with CR LF, UTF-16 with its mark, and lone CR and LF line ends.
        const QByteArray cp1251 =
            " https://\xFF\xED\xE4\xE5\xEA\xF1.\xF0\xF4/\r\n \xCF\xF0\xE8\xE2\xE5\xF2\r\n";
        QByteArray utf16 = "\xFF\xFE";
        for (const QChar c : QStringLiteral(" https://пример.рф/\r\n"))
            utf16 += char(c.unicode() & 0xFF), utf16 += char(c.unicode() >> 8);
        start({{"Старые.dat", cp1251}, {"Юникод.dat", utf16}, {"Смесь.dat", " a\r b\n c"}});
        choose(QStringLiteral("Старые"));
        QCOMPARE(lines(section()->ListBox4), QStringList({" https://яндекс.рф/", " Привет"}));
        // A link added to such a file keeps the old lines readable.
        boxes().inputs.enqueue(QStringLiteral("https://новое.рф/"));
        section()->BitBtn13Click();
        choose(QString());
        choose(QStringLiteral("Старые"));
        QCOMPARE(lines(section()->ListBox4),
                 QStringList({" https://яндекс.рф/", " Привет", " https://новое.рф/"}));
        choose(QStringLiteral("Юникод"));
        QCOMPARE(lines(section()->ListBox4), QStringList{QStringLiteral(" https://пример.рф/")});
        choose(QStringLiteral("Смесь"));
        QCOMPARE(lines(section()->ListBox4), QStringList({" a", " b", " c"}));
    }
};

QUILL_TEST_MAIN(TestResourcesSection)
#include "tst_resources_section.moc"
