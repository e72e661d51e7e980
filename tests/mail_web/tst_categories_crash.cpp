// A child process adds a link to a long link category, or fills the user's
// category folder from the shipped one on its first start, and is killed with
// SIGKILL at a random moment; the next start must find the whole old category
// or the whole new one, and every shipped category copied whole.
#include "crash_child.h"
#include "folder_tree.h"
#include "link_categories.h"
#include "resources_section.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

const QString kCategory = QStringLiteral("Справочники");
const QString kNewLink = QStringLiteral(" https://example.org/новая-ссылка");
constexpr int kLinks = 40000;
constexpr int kShipped = 40;

QStringList oldLinks()
{
    QStringList links;
    for (int n = 0; n < kLinks; ++n)
        links.append(QStringLiteral(" https://example.org/справочник/%1/раздел").arg(n));
    return links;
}

// A program folder of our own whose Resources ships many categories.
QString bigProgramFolder(const TestHome& home)
{
    return home.path() + QStringLiteral("/program/");
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QMap<QString, QByteArray> filesOf(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, bytesOf(folder + QLatin1Char('/') + name));
    return files;
}

int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = CrashChild::arguments(argc, argv);
    if (arguments.at(0) == QLatin1String("seed")) {
        CrashChild::sayReady();
        // As start-up opens the categories.
        return ResourcesSection::openCategories(arguments.at(1)).names().isEmpty() ? 3 : 0;
    }
    const LinkCategories categories(LinkCategories::userFolder());
    CrashChild::sayReady();
    // As "Добавить ссылку" does.
    return categories.append(kCategory, kNewLink) ? 0 : 3;
}

} // namespace

class TestCategoriesCrash : public QObject
{
    Q_OBJECT

private slots:
    void anAddedLinkIsWholeOrNotAtAll()
    {
        TestHome home;
        const LinkCategories seeded = ResourcesSection::openCategories(TestHome::programFolder());
        QStringList names = seeded.names();
        names.sort();
        QVERIFY(names.contains(kCategory));
        const QStringList older = oldLinks();
        const QStringList newer = older + QStringList{kNewLink};
        QVERIFY(seeded.write(kCategory, older));
        const QByteArray oldBytes = bytesOf(seeded.fileOf(kCategory));
        QStringList files;
        for (const QString& name : names)
            files.append(name + QStringLiteral(".dat"));
        // What the next start reads: the list of categories and this one's links.
        const auto readBack = [&](QStringList* links) {
            const LinkCategories categories = ResourcesSection::openCategories(TestHome::programFolder());
            QStringList listed = categories.names();
            listed.sort();
            if (listed != names)
                return QStringLiteral("categories listed: ") + listed.join(QStringLiteral(", "));
            if (!categories.read(kCategory, links))
                return QStringLiteral("the category does not read");
            const QStringList stray = CrashChild::strayFiles(categories.folder(), files);
            return stray.isEmpty() ? QString()
                                   : QStringLiteral("left behind: ") + stray.join(QStringLiteral(", "));
        };

        const CrashChild::Run whole = CrashChild::runToEnd({QStringLiteral("append")});
        QVERIFY2(whole.ready && whole.exitCode == 0, whole.errors.constData());
        QStringList links;
        QCOMPARE(readBack(&links), QString());
        QCOMPARE(links, newer);

        const int kills = CrashChild::kills(15);
        int olds = 0, news = 0;
        for (int kill = 0; kill < kills; ++kill) {
            QFile reset(seeded.fileOf(kCategory));
            QVERIFY(reset.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(reset.write(oldBytes) == oldBytes.size());
            reset.close();
            QVERIFY(CrashChild::killAfter({QStringLiteral("append")},
                                          CrashChild::randomDelay(whole.milliseconds)));
            links.clear();
            const QString failure = readBack(&links);
            QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(failure)));
            QVERIFY2(links == older || links == newer,
                     qPrintable(QStringLiteral("kill %1: %2 links").arg(kill).arg(links.size())));
            (links == older ? olds : news) += 1;
        }
        qInfo("add a link: whole run %lld ms; after %d kills: %d old, %d new", whole.milliseconds, kills,
              olds, news);
    }

    void aFirstStartCutShortStillGetsEveryShippedCategory()
    {
        TestHome home;
        const QString program = bigProgramFolder(home);
        const QString shipped = LinkCategories::shippedFolder(program);
        QVERIFY(QDir().mkpath(shipped));
        for (int n = 0; n < kShipped; ++n) {
            QFile file(shipped + QStringLiteral("/Категория %1.dat").arg(n));
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int line = 0; line < 1000; ++line)
                file.write(QStringLiteral(" https://example.org/%1/%2\r\n").arg(n).arg(line).toUtf8());
        }
        const QMap<QString, QByteArray> expected = filesOf(shipped);
        const QString user = LinkCategories::userFolder();
        const QString dataFolder = QFileInfo(user).absolutePath();
        // The next start: it opens the categories again and must find all of them whole.
        const auto nextStart = [&] {
            const LinkCategories categories = ResourcesSection::openCategories(program);
            if (categories.names().size() != kShipped)
                return QStringLiteral("%1 categories listed").arg(categories.names().size());
            if (filesOf(user) != expected)
                return QStringLiteral("the copies differ from the shipped files");
            const QStringList beside =
                QDir(dataFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            if (beside != QStringList{QStringLiteral("Resources")})
                return QStringLiteral("beside the categories: ") + beside.join(QStringLiteral(", "));
            return QString();
        };

        const CrashChild::Run whole = CrashChild::runToEnd({QStringLiteral("seed"), program});
        QVERIFY2(whole.ready && whole.exitCode == 0, whole.errors.constData());
        QCOMPARE(nextStart(), QString());

        const int kills = CrashChild::kills(15);
        int none = 0, all = 0;
        for (int kill = 0; kill < kills; ++kill) {
            QVERIFY(FolderTree::remove(dataFolder));
            QVERIFY(CrashChild::killAfter({QStringLiteral("seed"), program},
                                          CrashChild::randomDelay(whole.milliseconds)));
            (QFileInfo(user).isDir() ? all : none) += 1;
            const QString failure = nextStart();
            QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(failure)));
        }
        qInfo("first filling: whole run %lld ms; after %d kills: %d not begun or cut short, %d done",
              whole.milliseconds, kills, none, all);
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv);
    QCoreApplication application(argc, argv);
    TestCategoriesCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_categories_crash.moc"
