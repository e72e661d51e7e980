// The help viewer: from the request to a page laid out in its window.
#include "help_pages.h"
#include "help_viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = QStringLiteral(QUILL_PROGRAM_DIR);
    for (int page : {19, 18, 5}) {
        std::vector<double> times;
        for (int run = 0; run < 15; ++run) {
            QElapsedTimer timer;
            timer.start();
            TForm10 viewer;
            viewer.showPage(HelpPages::pathOf(folder, page));
            viewer.show();
            QApplication::processEvents();
            viewer.WebBrowser1->document()->size(); // laid out whole
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("help page %d: median %.1f ms, worst %.1f ms (target 100 ms)\n", page,
                    times[times.size() / 2], times.back());
    }
    return 0;
}
