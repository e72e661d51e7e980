#pragma once

#include <QString>

// The desktop's default open: a web address, a document or a folder opens
// with its handler, an executable program starts on its own.
namespace Shell {

class Backend
{
public:
    virtual ~Backend() = default;
    virtual void open(const QString& text) = 0;
};

void open(const QString& text);
void setBackend(Backend* backend); // nullptr restores the real one

// True for an existing executable file that is an ELF program or a script
// with a "#!" line; any other file is opened with its handler, never run.
bool startsAsProgram(const QString& path);

// The first of the given programs that is installed, or an empty text.
QString firstInstalled(const QStringList& programs);

} // namespace Shell
