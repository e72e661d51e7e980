#include "shell.h"

#include <QDesktopServices>
#include <QFile>
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
            if (startsAsProgram(info.absoluteFilePath())) {
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

// Only a real program runs: an ELF binary or a script naming its
// interpreter. A document with the execute bit (anything on a FAT or NTFS
// disk, a picture marked 0755) opens in its program instead.
bool startsAsProgram(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArrayLiteral("\x7f"
                                     "ELF") ||
           head.startsWith("#!");
}

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
