// The yardstick of the start-up benchmark: a bare Qt Widgets window of the
// main window's size, linked against Qt Widgets alone, that prints "shown",
// its resident memory and its child processes once the window is exposed,
// in the same form as the organiser does for the benchmark. With --text it
// shows one line of text, and so pays what every program that shows text
// pays first: Qt's reading of the system's fonts.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

class ShownReporter : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window && window->isExposed()) {
            QByteArray resident = "0 kB";
            QFile status(QStringLiteral("/proc/self/status"));
            if (status.open(QIODevice::ReadOnly))
                for (const QByteArray& line : status.readAll().split('\n'))
                    if (line.startsWith("VmRSS:"))
                        resident = line.mid(6).simplified();
            QTextStream(stdout) << "shown " << resident << Qt::endl << "helpers 0" << Qt::endl;
            window->removeEventFilter(this);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(875, 636);
    if (application.arguments().contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("Сегодня: 9 декабря 2026 года"), &window))->move(20, 20);
    window.winId();
    ShownReporter reporter;
    window.windowHandle()->installEventFilter(&reporter);
    window.show();
    return application.exec();
}
