// Start-up figures: creating the main window on an empty profile (median of
// repeated runs in one process), and the whole program from its start to its
// window on screen, against a bare Qt Widgets window on the same machine.
//   bench_startup            (offscreen unless DISPLAY is set)
#include "bench_support.h"
#include "main_window.h"
#include "message_boxes.h"
#include "registry_store.h"
#include "settings.h"
#include "startup.h"
#include "system_info.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

using BenchSupport::median;

namespace {

// Spawns a program that prints "shown <rss>" once its window is up.
struct ProcessFigure
{
    double milliseconds = 0;
    QString resident;
};

ProcessFigure timeProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLARBOR_BENCH_SHOWN"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    ProcessFigure figure;
    while (process.waitForReadyRead(10000)) {
        const QString line = QString::fromUtf8(process.readLine()).trimmed();
        if (line.startsWith(QLatin1String("shown"))) {
            figure.milliseconds = clock.nsecsElapsed() / 1e6;
            figure.resident = line.mid(6);
            break;
        }
    }
    process.waitForFinished(10000);
    return figure;
}

int bareWindow(QApplication& application)
{
    QWidget window;
    window.resize(875, 636);
    window.show();
    Startup::reportShownAndQuit(application);
    return application.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (application.arguments().contains(QStringLiteral("--bare")))
        return bareWindow(application);

    BenchSupport::ScratchProfile profile(QStringLiteral(QUILL_PROGRAM_DIR "/"));
    RegistryStore& registry = profile.registry();
    QTextStream out(stdout);
    QList<double> creation;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer clock;
        clock.start();
        auto* window = new TForm1(registry);
        creation.append(clock.nsecsElapsed() / 1e6);
        delete window;
    }
    out << "main window creation on an empty profile: median " << median(creation) << " ms of "
        << creation.size() << " runs" << Qt::endl;

    // The whole program on the profile made above (no first-run window).
    const QString program = QStringLiteral(QUILL_PROGRAM_DIR "/quillarbor");
    QList<double> whole;
    QList<double> bare;
    QString resident;
    QString bareResident;
    for (int run = 0; run < 21; ++run) {
        const ProcessFigure organiser = timeProcess(program, {});
        whole.append(organiser.milliseconds);
        resident = organiser.resident;
        const ProcessFigure baseline =
            timeProcess(application.applicationFilePath(), {QStringLiteral("--bare")});
        bare.append(baseline.milliseconds);
        bareResident = baseline.resident;
    }
    out << "whole program, start to window shown: median " << median(whole) << " ms, resident " << resident
        << Qt::endl;
    out << "bare Qt Widgets window, start to shown: median " << median(bare) << " ms, resident "
        << bareResident << Qt::endl;
    out << "ratio of the two: " << median(whole) / median(bare) << Qt::endl;
    return 0;
}
