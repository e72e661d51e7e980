#include "shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace Shell {

namespace {

class DesktopBackend : public Backend
{
public:
    void open(const QString& text) override
    {
        const QUrl asUrl(text, QUrl::StrictMode);
        if (!asUrl.scheme().isEmpty() && asUrl.scheme().size() > 1) {
            QDesktopServices::openUrl(asUrl);
            return;
        }
        const QFileInfo info(text);
        if (info.exists()) {
            if (info.isFile() && info.isExecutable()) {
                QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
                return;
            }
            QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
            return;
        }
        // A bare program name found on the path starts like a program.
        const QString program = QStandardPaths::findExecutable(text);
        if (!program.isEmpty()) {
            QProcess::startDetached(program, {});
            return;
        }
        QDesktopServices::openUrl(QUrl::fromUserInput(text));
    }
};

DesktopBackend realBackend;
Backend* currentBackend = &realBackend;

} // namespace

void open(const QString& text)
{
    currentBackend->open(text);
}

void setBackend(Backend* backend)
{
    currentBackend = backend ? backend : &realBackend;
}

QString firstInstalled(const QStringList& programs)
{
    for (const QString& program : programs)
        if (!QStandardPaths::findExecutable(program).isEmpty())
            return program;
    return {};
}

} // namespace Shell
