// The browser's first showing: from choosing a link node of the tree to the
// page shown, and the resident memory and helper processes then. The page is
// a local one, so the figure is the engine's own, not the network's.
//   bench_browser            (offscreen unless DISPLAY is set)
#include "bench_support.h"
#include "browser_section.h"
#include "main_window.h"
#include "startup.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

namespace {

QString resident()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return QString::fromLatin1(line.mid(6).trimmed());
    return {};
}

// The engine's helper processes: children of this process, and their memory.
QString helpers()
{
    int count = 0;
    qint64 kilobytes = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString dir = it.next();
        QFile status(dir + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = status.readAll().split('\n');
        bool ours = false;
        qint64 rss = 0;
        for (const QByteArray& line : lines) {
            if (line.startsWith("PPid:"))
                ours = QString::fromLatin1(line.mid(5).trimmed()) == self;
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        if (ours) {
            ++count;
            kilobytes += rss;
        }
    }
    return QStringLiteral("%1 helper process(es), %2 kB").arg(count).arg(kilobytes);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Startup::prepareProcess();
    QApplication application(argc, argv);
    BenchSupport::ScratchProfile profile(QStringLiteral(QUILL_PROGRAM_DIR "/"));
    QTemporaryDir pages;
    QFile page(pages.filePath(QStringLiteral("page.html")));
    if (page.open(QIODevice::WriteOnly))
        page.write("<html><head><title>bench</title></head><body><h1>Новости</h1><p>Страница для замера.</p>"
                   "</body></html>");
    page.close();
    const QString address = QUrl::fromLocalFile(page.fileName()).toString();

    TForm1 window(profile.registry());
    window.show();
    QTextStream out(stdout);
    out << "before the browser: resident " << resident() << ", " << helpers() << Qt::endl;

    QElapsedTimer clock;
    clock.start();
    // The section's first showing loads the engine; then the page.
    QGroupBox* box = window.sectionBox(QStringLiteral("Browser"));
    auto* section = box->findChild<BrowserSection*>(QStringLiteral("BrowserSection"));
    bool shown = false;
    QObject::connect(section, &BrowserSection::navigated, &application, [&](const QString& url) {
        if (url == address)
            shown = true;
    });
    for (QGroupBox* other : window.findChildren<QGroupBox*>())
        other->hide();
    box->show();
    section->open(address);
    const double loaded = clock.nsecsElapsed() / 1e6;
    while (!shown && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double first = clock.nsecsElapsed() / 1e6;
    out << "engine loaded and view made: " << loaded << " ms" << Qt::endl;
    out << "first page shown after the first choice: " << first << " ms" << (shown ? "" : " (not shown!)")
        << Qt::endl;
    out << "after the first page: resident " << resident() << ", " << helpers() << Qt::endl;

    clock.restart();
    shown = false;
    const QString second = address + QStringLiteral("#again");
    QObject::disconnect(section, nullptr, &application, nullptr);
    QObject::connect(section, &BrowserSection::navigated, &application, [&](const QString& url) {
        if (url == second)
            shown = true;
    });
    section->Edit7->setText(second);
    section->BitBtn22Click();
    while (!shown && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    out << "a second navigation: " << clock.nsecsElapsed() / 1e6 << " ms" << Qt::endl;
    return 0;
}
