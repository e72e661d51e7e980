// Categories whose names differ only in letter case are different files:
// every action reaches the one the user named and leaves the others alone.
#include "link_categories.h"
#include "profile_database.h"
#include "quiet_section_host.h"
#include "registry_store.h"
#include "resources_section.h"
#include "scripted_seams.h"
#include "settings.h"
#include "test_home.h"
#include "test_main.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>

namespace {

// The names in an order where the first of each pair in another case comes first.
const QStringList kNames = {QStringLiteral("News"),    QStringLiteral("news"),    QStringLiteral("NEWS"),
                            QStringLiteral("НОВОСТИ"), QStringLiteral("Новости"), QStringLiteral("новости")};

QByteArray linkOf(const QString& name)
{
    return " https://example.org/" + QUrl::toPercentEncoding(name) + "\r\n";
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A folder holding one file per name, each with a link of its own.
LinkCategories folderWithEveryName()
{
    const LinkCategories categories(LinkCategories::userFolder());
    QDir().mkpath(categories.folder());
    for (const QString& name : kNames) {
        QFile file(categories.fileOf(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(linkOf(name)) < 0)
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
    return categories;
}

// What went wrong with the files: a removed name still there, or another
// name's file changed or gone. Empty when every file is as it should be.
QString faultAmong(const LinkCategories& categories, const QStringList& removed)
{
    for (const QString& name : kNames) {
        const QByteArray expected = removed.contains(name) ? QByteArray("<missing>") : linkOf(name);
        if (contents(categories.fileOf(name)) != expected)
            return name + QStringLiteral(": ") + QString::fromUtf8(contents(categories.fileOf(name)));
    }
    return {};
}

QStringList items(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

} // namespace

class TestLinkCategories : public QObject
{
    Q_OBJECT

private slots:
    void eachNameReachesItsOwnFile()
    {
        TestHome home;
        const LinkCategories categories = folderWithEveryName();
        for (const QString& name : kNames)
            QVERIFY2(categories.exists(name), qPrintable(name));
        // A name in yet another case is no category at all.
        for (const char* other : {"nEwS", "НоВоСтИ"}) {
            QVERIFY(!categories.exists(QString::fromUtf8(other)));
            QVERIFY(!categories.remove(QString::fromUtf8(other)));
            QVERIFY(!categories.append(QString::fromUtf8(other), QStringLiteral(" https://x.example/")));
        }
        QCOMPARE(faultAmong(categories, {}), QString());

        QVERIFY(categories.remove(QStringLiteral("news")));
        QVERIFY(categories.remove(QStringLiteral("Новости")));
        const QStringList twoRemoved = {QStringLiteral("news"), QStringLiteral("Новости")};
        QCOMPARE(faultAmong(categories, twoRemoved), QString());
        // Gone is gone: a second removal, or a link added to it, touches no other file.
        QVERIFY(!categories.remove(QStringLiteral("news")));
        QVERIFY(!categories.append(QStringLiteral("Новости"), QStringLiteral(" https://x.example/")));
        QCOMPARE(faultAmong(categories, twoRemoved), QString());

        // New categories beside ones that differ in case only.
        for (const QString& name : {QStringLiteral("NeWs"), QStringLiteral("НоВоСтИ")}) {
            QVERIFY(categories.create(name));
            QVERIFY(categories.append(name, QStringLiteral(" https://new.example/")));
            QCOMPARE(contents(categories.fileOf(name)), QByteArray(" https://new.example/\r\n"));
        }
        QCOMPARE(faultAmong(categories, twoRemoved), QString());
        QStringList names = categories.names();
        names.sort();
        QStringList expected = kNames;
        expected.removeOne(QStringLiteral("news"));
        expected.removeOne(QStringLiteral("Новости"));
        expected << QStringLiteral("NeWs") << QStringLiteral("НоВоСтИ");
        expected.sort();
        QCOMPARE(names, expected);
    }

    void theSectionDeletesTheChosenCategory()
    {
        TestHome home;
        TestSeams seams;
        const LinkCategories categories = folderWithEveryName();
        RegistryStore registry(home.registryFile());
        QuietSectionHost host(registry);
        QGroupBox box;
        ResourcesSection section(host, &box, categories, kNames);
        box.show();

        // Picked from the list.
        section.ComboBox2->setCurrentIndex(int(kNames.indexOf(QStringLiteral("news"))));
        QCOMPARE(section.ListBox4->item(0)->text() + "\r\n",
                 QString::fromLatin1(linkOf(QStringLiteral("news"))));
        seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
        QTest::mouseClick(section.BitBtn12, Qt::LeftButton);
        QCOMPARE(seams.boxes.texts().value(0),
                 QStringLiteral("Вы действительно хотите удалить категорию news?"));
        QCOMPARE(seams.boxes.texts().last(), QStringLiteral("Категория удалена!"));
        QCOMPARE(faultAmong(categories, {QStringLiteral("news")}), QString());
        QStringList left = kNames;
        left.removeOne(QStringLiteral("news"));
        QCOMPARE(items(section.ComboBox2), left);

        // Typed and confirmed with Enter: the box keeps the name as typed.
        QLineEdit* edit = section.ComboBox2->lineEdit();
        edit->setFocus();
        edit->setText(QStringLiteral("Новости"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(section.ComboBox2->currentText(), QStringLiteral("Новости"));
        QCOMPARE(section.ListBox4->item(0)->text() + "\r\n",
                 QString::fromUtf8(linkOf(QStringLiteral("Новости"))));
        // A link added now goes to that category.
        seams.boxes.inputs.enqueue(QStringLiteral("https://added.example/"));
        QTest::mouseClick(section.BitBtn13, Qt::LeftButton);
        QCOMPARE(contents(categories.fileOf(QStringLiteral("Новости"))),
                 linkOf(QStringLiteral("Новости")) + " https://added.example/\r\n");
        QCOMPARE(contents(categories.fileOf(QStringLiteral("НОВОСТИ"))), linkOf(QStringLiteral("НОВОСТИ")));

        seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
        QTest::mouseClick(section.BitBtn12, Qt::LeftButton);
        const QStringList twoRemoved = {QStringLiteral("news"), QStringLiteral("Новости")};
        QCOMPARE(seams.boxes.texts().value(seams.boxes.texts().size() - 2),
                 QStringLiteral("Вы действительно хотите удалить категорию Новости?"));
        QCOMPARE(faultAmong(categories, twoRemoved), QString());
        left.removeOne(QStringLiteral("Новости"));
        QCOMPARE(items(section.ComboBox2), left);

        // Leaving the box with a name typed in another case chooses nothing.
        edit->setText(QStringLiteral("nEwS"));
        emit edit->editingFinished();
        QCOMPARE(section.ComboBox2->currentText(), QStringLiteral("nEwS"));
        seams.boxes.shown.clear();
        QTest::mouseClick(section.BitBtn12, Qt::LeftButton);
        QVERIFY(seams.boxes.shown.isEmpty());
        QCOMPARE(faultAmong(categories, twoRemoved), QString());
    }
};

QUILL_TEST_MAIN(TestLinkCategories)
#include "tst_link_categories.moc"
