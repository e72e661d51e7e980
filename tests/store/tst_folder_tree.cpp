#include "folder_tree.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Root passes every mode, so as root the removal runs in a child of this
// program under a user and group of no one's, whom the modes bind.
constexpr uid_t kUser = 65534;
constexpr gid_t kGroup = 65534;
const QByteArray kChildMark = QByteArrayLiteral("--remove-tree");

bool isRoot()
{
    return ::geteuid() == 0;
}

// The child's side: removes the tree and names each file it could not delete
// on a line of its own.
int removeInChild(const char* folder)
{
    const bool removed = FolderTree::remove(QFile::decodeName(folder), [](const QString& path) {
        std::printf("%s\n", QFile::encodeName(path).constData());
    });
    std::fflush(stdout);
    return removed ? 0 : 1;
}

struct Removal
{
    bool ran = false;
    bool removed = false;
    QStringList notDeleted;
};

// FolderTree::remove as an ordinary user: this process itself unless it is root.
Removal removeAsUser(const QString& folder)
{
    Removal removal;
    if (!isRoot()) {
        removal.ran = true;
        removal.removed =
            FolderTree::remove(folder, [&removal](const QString& path) { removal.notDeleted.append(path); });
        return removal;
    }
    QProcess child;
    child.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kGroup) != 0 || ::setuid(kUser) != 0)
            ::_exit(125);
    });
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kChildMark), folder});
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        return removal;
    }
    removal.ran = child.exitStatus() == QProcess::NormalExit && child.exitCode() <= 1;
    removal.removed = child.exitCode() == 0;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            removal.notDeleted.append(QFile::decodeName(line));
    return removal;
}

// A folder of the test home that the removing user can reach; giveAway
// makes it theirs.
QString userFolder(const TestHome& home)
{
    const QString folder = home.path() + QStringLiteral("/user");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (isRoot())
        QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ExeGroup | QFile::ExeOther);
    return folder;
}

// Everything at and below path handed to the removing user; links themselves,
// not what they point to.
void giveAway(const QString& path)
{
    if (!isRoot())
        return;
    QStringList paths{path};
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(it.next());
    for (const QString& each : std::as_const(paths))
        QVERIFY2(::lchown(QFile::encodeName(each).constData(), kUser, kGroup) == 0, qPrintable(each));
}

void writeFile(const QString& path, const QByteArray& data = QByteArrayLiteral("data"))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(data);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// In octal, as ls and chmod show it; empty when there is nothing at path.
QString modeOf(const QString& path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1").arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
}

void setMode(const QString& path, mode_t mode)
{
    QVERIFY2(::chmod(QFile::encodeName(path).constData(), mode) == 0, qPrintable(path));
}

bool exists(const QString& path)
{
    return !modeOf(path).isEmpty();
}

// Opens up every folder the test closed, so that the test home can go even
// when a case failed half way; run before the home's own removal.
class ReopenOnExit
{
public:
    explicit ReopenOnExit(const QString& folder) : m_folder(folder) {}
    ~ReopenOnExit() { reopen(m_folder); }
    Q_DISABLE_COPY_MOVE(ReopenOnExit)

private:
    static void reopen(const QString& folder)
    {
        if (!QFileInfo(folder).isDir() || QFileInfo(folder).isSymLink())
            return;
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries)
            reopen(entry.absoluteFilePath());
    }

    QString m_folder;
};

} // namespace

class TestFolderTree : public QObject
{
    Q_OBJECT

private slots:
    void removesFoldersThatLostTheirPermissions();
    void leavesWhatLinksPointToAlone();
};

void TestFolderTree::removesFoldersThatLostTheirPermissions()
{
    TestHome home;
    const QString user = userFolder(home);
    const ReopenOnExit reopen(user);

    // A profile whose folders lost their modes, two deep, the profile folder too.
    const QString profile = user + QStringLiteral("/Quillarbor");
    writeFile(profile + QStringLiteral("/history.dic"));
    writeFile(profile + QStringLiteral("/Ideas/idea.txt"));
    writeFile(profile + QStringLiteral("/Ideas/Old/a.txt"));
    writeFile(profile + QStringLiteral("/Ideas/Old/.hidden"));
    writeFile(profile + QStringLiteral("/Ideas/Old/Deeper/b.txt"));
    writeFile(profile + QStringLiteral("/Locked/c.txt"));
    writeFile(profile + QStringLiteral("/Locked/Inner/d.txt"));
    QVERIFY(QDir().mkpath(profile + QStringLiteral("/Locked/Inner/Empty")));
    // Beside the profile, with a mode the removal must not change.
    writeFile(user + QStringLiteral("/Beside/kept.txt"));
    giveAway(user);
    setMode(profile + QStringLiteral("/Ideas/Old/Deeper/b.txt"), 0400);
    setMode(profile + QStringLiteral("/Ideas/Old/Deeper"), 0500);
    setMode(profile + QStringLiteral("/Ideas/Old"), 0000);
    setMode(profile + QStringLiteral("/Ideas"), 0500);
    setMode(profile + QStringLiteral("/Locked/Inner/Empty"), 0000);
    setMode(profile + QStringLiteral("/Locked/Inner"), 0000);
    setMode(profile + QStringLiteral("/Locked"), 0500);
    setMode(profile, 0500);
    setMode(user + QStringLiteral("/Beside"), 0500);

    const Removal removal = removeAsUser(profile);
    QVERIFY(removal.ran);
    QCOMPARE(removal.notDeleted, QStringList());
    QVERIFY(removal.removed);
    QVERIFY(!exists(profile));
    QCOMPARE(modeOf(user), QStringLiteral("0700"));
    QCOMPARE(modeOf(user + QStringLiteral("/Beside")), QStringLiteral("0500"));
    QCOMPARE(bytesOf(user + QStringLiteral("/Beside/kept.txt")), QByteArray("data"));

    // A folder of someone else's in the tree is not the user's to open up:
    // its file is named as left behind, and the rest goes. Only root can
    // give the removing user such a folder.
    if (isRoot()) {
        const QString other = user + QStringLiteral("/Other");
        writeFile(other + QStringLiteral("/mine.txt"));
        writeFile(other + QStringLiteral("/Locked/mine.txt"));
        giveAway(other);
        writeFile(other + QStringLiteral("/Foreign/theirs.txt"));
        setMode(other + QStringLiteral("/Foreign"), 0555);
        setMode(other + QStringLiteral("/Locked"), 0000);

        const Removal partial = removeAsUser(other);
        QVERIFY(partial.ran);
        QVERIFY(!partial.removed);
        QCOMPARE(partial.notDeleted, QStringList{other + QStringLiteral("/Foreign/theirs.txt")});
        QCOMPARE(modeOf(other + QStringLiteral("/Foreign")), QStringLiteral("0555"));
        QCOMPARE(bytesOf(other + QStringLiteral("/Foreign/theirs.txt")), QByteArray("data"));
        QVERIFY(!exists(other + QStringLiteral("/mine.txt")));
        QVERIFY(!exists(other + QStringLiteral("/Locked")));
    }
}

void TestFolderTree::leavesWhatLinksPointToAlone()
{
    TestHome home;
    const QString user = userFolder(home);
    const ReopenOnExit reopen(user);

    // Outside the tree, the user's own and closed: a removal that followed a
    // link would open them up or empty them.
    const QString outside = user + QStringLiteral("/Outside");
    writeFile(outside + QStringLiteral("/kept.txt"));
    writeFile(outside + QStringLiteral("/Closed/deep.txt"));
    writeFile(user + QStringLiteral("/outside.txt"));
    const QString profile = user + QStringLiteral("/Quillarbor");
    writeFile(profile + QStringLiteral("/history.dic"));
    QVERIFY(QDir().mkpath(profile + QStringLiteral("/Links")));
    QVERIFY(QFile::link(outside, profile + QStringLiteral("/Links/folder")));
    QVERIFY(QFile::link(QStringLiteral("../../Outside/Closed"), profile + QStringLiteral("/Links/closed")));
    QVERIFY(QFile::link(user + QStringLiteral("/outside.txt"), profile + QStringLiteral("/file")));
    giveAway(user);
    setMode(outside + QStringLiteral("/kept.txt"), 0400);
    setMode(outside + QStringLiteral("/Closed"), 0000);
    setMode(outside, 0500);
    setMode(user + QStringLiteral("/outside.txt"), 0400);
    setMode(profile + QStringLiteral("/Links"), 0500);

    const Removal removal = removeAsUser(profile);
    QVERIFY(removal.ran);
    QCOMPARE(removal.notDeleted, QStringList());
    QVERIFY(removal.removed);
    QVERIFY(!exists(profile));
    QCOMPARE(modeOf(outside), QStringLiteral("0500"));
    QCOMPARE(modeOf(outside + QStringLiteral("/Closed")), QStringLiteral("0000"));
    QCOMPARE(modeOf(outside + QStringLiteral("/kept.txt")), QStringLiteral("0400"));
    QCOMPARE(modeOf(user + QStringLiteral("/outside.txt")), QStringLiteral("0400"));
    QCOMPARE(bytesOf(outside + QStringLiteral("/kept.txt")), QByteArray("data"));
    QCOMPARE(bytesOf(user + QStringLiteral("/outside.txt")), QByteArray("data"));
    setMode(outside + QStringLiteral("/Closed"), 0700);
    QCOMPARE(bytesOf(outside + QStringLiteral("/Closed/deep.txt")), QByteArray("data"));
}

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == kChildMark)
        return removeInChild(argv[2]);
    QCoreApplication application(argc, argv);
    TestFolderTree test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_folder_tree.moc"
