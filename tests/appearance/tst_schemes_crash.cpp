// A child process saves colour schemes one after another, as the button
// "Сохранить" of the scheme page does, and is killed with SIGKILL at a random
// moment; every save must then be there whole or not at all, and the schemes
// must read as start-up reads them.
#include "colour_scheme.h"
#include "crash_child.h"
#include "profile_database.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

namespace {

constexpr int kStored = 30;
// The first kStored saves overwrite a scheme, the rest add one.
constexpr int kSaves = 40;

ColourScheme scheme(int n, int shade)
{
    ColourScheme made;
    made.name = QStringLiteral("Схема %1").arg(n);
    made.main = {QStringLiteral("DejaVu Sans %1").arg(shade), 8 + (n + shade) % 7, QColor(shade, n % 256, 3)};
    made.background = QColor((n * 7) % 256, shade, 200);
    made.tree = {QStringLiteral("Шрифт дерева %1").arg(shade), 9 + n % 5, QColor(1, shade, n % 256)};
    return made;
}

int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = CrashChild::arguments(argc, argv);
    ProfileDatabase database;
    if (!database.open(arguments.at(0), arguments.at(1)))
        return 2;
    SchemeStore store(database.ColorsTable);
    CrashChild::sayReady();
    for (int n = 0; n < kSaves; ++n) {
        QString error;
        if (!store.save(scheme(n, 200), &error))
            return 3;
    }
    return 0;
}

QStringList schemesOf(ProfileDatabase& database)
{
    return CrashChild::rowsOf(database.BigBd(), QStringLiteral("Темы"));
}

// What start-up reads: the list of the scheme page and the scheme of Skin.
QString startsWith(ProfileDatabase& database)
{
    SchemeStore store(database.ColorsTable);
    const QStringList names = store.names();
    if (names.size() < kStored)
        return QStringLiteral("%1 schemes listed").arg(names.size());
    const std::optional<ColourScheme> first = store.firstNamed(QStringLiteral("Схема 0"));
    if (!first)
        return QStringLiteral("no scheme to apply");
    if (first->main.colour != QColor(10, 0, 3) && first->main.colour != QColor(200, 0, 3))
        return QStringLiteral("the scheme to apply is neither the old nor the new");
    return {};
}

} // namespace

class TestSchemesCrash : public QObject
{
    Q_OBJECT

private slots:
    void everySaveIsWholeOrNotAtAll()
    {
        TestHome home;
        const QString file = ProfileDatabase::profileFile(home.documents());
        const QString before = home.path() + QStringLiteral("/before.mdb");
        QList<QStringList> between;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            SchemeStore store(database.ColorsTable);
            QString error;
            for (int n = 0; n < kStored; ++n)
                QVERIFY(store.save(scheme(n, 10), &error));
            database.close();
            QVERIFY(QFile::copy(file, before));
            // Every state a series of whole saves passes through.
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            for (int n = 0; n + 1 < kSaves; ++n) {
                QVERIFY(store.save(scheme(n, 200), &error));
                between.append(schemesOf(database));
            }
        }
        QVERIFY(QFile::remove(file));
        QVERIFY(QFile::copy(before, file));

        const CrashChild::ProfileKills kills = CrashChild::killProfileWrite(
            home.documents(), TestHome::programFolder(), {home.documents(), TestHome::programFolder()},
            CrashChild::kills(15), schemesOf, startsWith, between);
        QVERIFY2(kills.failure.isEmpty(), qPrintable(kills.failure));
        qInfo("%d scheme saves: whole run %lld ms; %d old, %d part-way, %d new", kSaves, kills.milliseconds,
              kills.old, kills.between, kills.fresh);

        ProfileDatabase database;
        QVERIFY(database.open(home.documents(), TestHome::programFolder()));
        SchemeStore store(database.ColorsTable);
        for (int n = 0; n < kSaves; ++n) {
            const std::optional<ColourScheme> saved = store.lastNamed(scheme(n, 200).name);
            QVERIFY(saved);
            QCOMPARE(saved->main.face, scheme(n, 200).main.face);
            QCOMPARE(saved->background, scheme(n, 200).background);
        }
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv);
    QCoreApplication application(argc, argv);
    TestSchemesCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_schemes_crash.moc"
