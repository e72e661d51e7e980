#pragma once

#include <QByteArray>
#include <QString>

// Text files may come from the Windows version of the program: honour a
// byte-order mark, take valid UTF-8 as such, and read anything else as
// Windows-1251.
namespace TextDecoding {
QString decode(const QByteArray& bytes);
QString decodeWindows1251(const QByteArray& bytes);
} // namespace TextDecoding
