#include "startup.h"

#include "first_run_window.h"
#include "main_window.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "registry_store.h"
#include "settings.h"
#include "single_instance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QStyleFactory>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <thread>
#include <unistd.h>

namespace Startup {

namespace {

void runFirstRunWindow(RegistryStore& registry)
{
    TForm2 window(registry);
    ModalWindows::exec(&window);
}

} // namespace

namespace {

QByteArray residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).simplified();
    return "0 kB";
}

// Processes started by this one (a browser's helpers would be among them).
int childProcesses()
{
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    int children = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and brackets.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.value(1) == self)
            ++children;
    }
    return children;
}

class ShownReporter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window && window->isExposed()) {
            // The moment first, then what takes time to find out.
            QTextStream out(stdout);
            out << "shown " << residentMemory() << Qt::endl;
            out << "helpers " << childProcesses() << Qt::endl;
            window->removeEventFilter(this);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

} // namespace

void reportShownAndQuit(QWidget& window)
{
    window.winId();
    window.windowHandle()->installEventFilter(new ShownReporter(&window));
}

void prepareProcess()
{
    // OpenGL contexts are not shared from the start: asking for that makes Qt
    // open an OpenGL implementation at every start, tens of megabytes, for a
    // browser that most runs never show. The browser asks on its first showing.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void prepareApplication(QApplication& application)
{
    QApplication::setApplicationName(QStringLiteral("Quillarbor"));
    // No display name: Qt would append it to the title of every dialog, and
    // each window's title must read exactly as the window sets it.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // The window hides into the tray and pop-ups come and go while it is
    // hidden: only Close ends the program.
    application.setQuitOnLastWindowClosed(false);
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

void prepareSettings(RegistryStore& registry)
{
    const RegistryStore::LoadReport report = registry.load();
    if (report.damaged) {
        MessageBoxes::warning(QStringLiteral("Предупреждение"),
                              QStringLiteral("Файл настроек программы повреждён и не может быть прочитан.\r\n"
                                             "Он сохранён под именем:\r\n%1\r\n"
                                             "Программа начнёт работу с настройками по умолчанию.")
                                  .arg(report.keptAs.isEmpty() ? registry.filePath() : report.keptAs));
    }
    const QString installKey = Settings::fullKey("install");
    if (!registry.keyExists(installKey))
        runFirstRunWindow(registry);
    registry.createKey(installKey);
    const QString version = registry.readString(installKey, QStringLiteral("version")).value_or(QString());
    if (version != Settings::kVersion && Settings::upgradeNeedsFirstRun(registry, version))
        runFirstRunWindow(registry);
}

int run(QApplication& application)
{
    // Reading the system's fonts is the largest single part of bringing the
    // window up; the font database is thread-safe, so it is filled on a
    // second thread from the first moment, while the other copy is asked, the
    // settings are read and the first controls made.
    std::jthread fonts([] { QFontDatabase::families(); });
    prepareApplication(application);
    SingleInstance instance;
    if (instance.claim() == SingleInstance::Claim::HandedOver)
        return 0;
    QPointer<TForm1> mainWindow;
    QObject::connect(&instance, &SingleInstance::activationRequested, &instance, [&mainWindow] {
        if (mainWindow) {
            mainWindow->bringToFront();
        } else if (QWidget* modal = QApplication::activeModalWidget()) {
            // Still at the first-run window.
            modal->raise();
            modal->activateWindow();
        }
    });
    RegistryStore registry(RegistryStore::defaultPath());
    prepareSettings(registry);

    TForm1 window(registry);
    mainWindow = &window;
    QObject::connect(&window, &TForm1::restarting, &instance, &SingleInstance::release);
    fonts.join();
    if (!window.startedUp())
        return 1;
    QObject::connect(&window, &TForm1::programEnded, &application, &QApplication::quit, Qt::QueuedConnection);
    if (qEnvironmentVariableIsSet("QUILLARBOR_BENCH_SHOWN"))
        reportShownAndQuit(window);
    window.show();
    return application.exec();
}

} // namespace Startup
