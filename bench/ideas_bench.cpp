// Ideas figures: showing the section with 1,000 sketches and previewing one,
// until the window has painted it; opening and saving a 1920 × 1080 sketch.
// Medians of repeated runs. Targets: under 100 ms; under 200 ms each.
//   bench_ideas            (offscreen unless DISPLAY is set)
#include "bench_support.h"
#include "idea_file.h"
#include "ideas_section.h"
#include "main_window.h"
#include "sections.h"
#include "sketch_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTextStream>
#include <ctime>

using BenchSupport::median;

namespace {

// The processor time of this process: the machine may be busy with others.
double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

constexpr int kIdeas = 1000;
constexpr int kRuns = 15;

QImage sketch(const QSize& size, int seed)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            row[x] = qRgb((x + seed) & 255, (y * 3) & 255, (x ^ y) & 255);
    }
    return picture;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream out(stdout);
    BenchSupport::ScratchProfile profile(QStringLiteral(QUILL_PROGRAM_DIR "/"));
    TForm1 window(profile.registry());
    window.show();
    window.Timer1Timer();

    window.showSection(Sections::kIdeas);
    IdeasSection* section = window.ideasSection();
    const QString folder = section->folder() + QLatin1Char('/');
    // Sketches of the window's starting size, as users make them.
    const QByteArray typical = *IdeaFile::encode(sketch({640, 400}, 1));
    for (int i = 0; i < kIdeas; ++i) {
        QFile file(folder + QStringLiteral("Набросок%1.dat").arg(i + 1));
        file.open(QIODevice::WriteOnly);
        file.write(typical);
    }

    QList<double> listing;
    for (int run = 0; run < kRuns; ++run) {
        window.showSection(Sections::kEveryDay);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        window.showSection(Sections::kIdeas);
        section->ListBox1->setCurrentRow(kIdeas / 2);
        section->OleContainer1->repaint();
        section->ListBox1->repaint();
        listing.append(timer.nsecsElapsed() / 1e6);
        if (section->ListBox1->count() != kIdeas || section->OleContainer1->isEmpty()) {
            out << "the section did not list and preview the ideas\n";
            return 1;
        }
    }

    const QImage large = sketch({1920, 1080}, 7);
    const QString path = folder + QStringLiteral("Большой.dat");
    // Through the sketch window, as "Сохранить" and opening an idea do it.
    TNewPicture editor(&window);
    editor.personal = folder;
    editor.edit = true;
    editor.nm = QStringLiteral("Большой");
    QList<double> saving, opening, savingCpu, openingCpu;
    for (int run = 0; run < kRuns; ++run) {
        editor.OleContainer1->setPicture(large);
        QElapsedTimer timer;
        timer.start();
        double cpu = cpuMilliseconds();
        if (!editor.SaveClick())
            return 1;
        saving.append(timer.nsecsElapsed() / 1e6);
        savingCpu.append(cpuMilliseconds() - cpu);
        editor.OleContainer1->setPicture(QImage(1, 1, QImage::Format_RGB32));
        timer.restart();
        cpu = cpuMilliseconds();
        const bool loaded = editor.loadFrom(path);
        opening.append(timer.nsecsElapsed() / 1e6);
        openingCpu.append(cpuMilliseconds() - cpu);
        if (!loaded || editor.OleContainer1->picture() != large) {
            out << "the large sketch did not read back equal\n";
            return 1;
        }
    }
    out << QStringLiteral("ideas: listing %1 and previewing one: %2 ms (target 100)\n")
               .arg(kIdeas)
               .arg(median(listing), 0, 'f', 1);
    out << QStringLiteral("ideas: saving a 1920x1080 sketch: %1 ms, processor %2 ms (target 200)\n")
               .arg(median(saving), 0, 'f', 1)
               .arg(median(savingCpu), 0, 'f', 1);
    out << QStringLiteral("ideas: opening a 1920x1080 sketch: %1 ms, processor %2 ms (target 200)\n")
               .arg(median(opening), 0, 'f', 1)
               .arg(median(openingCpu), 0, 'f', 1);
    out << QStringLiteral("ideas: file of the 1920x1080 sketch: %1 bytes\n").arg(QFileInfo(path).size());
    return 0;
}
