#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// What the fuzz targets share: the Qt application object some readers
// expect, and one scratch folder per process for the readers that take a
// file name (made on first use, reused for every input, removed at exit).
namespace FuzzSupport {

void initialise(int* argc, char*** argv);

QByteArray bytes(const uint8_t* data, size_t size);

QString scratchFolder();
// Writes the input to that name in the scratch folder and returns its path.
QString writeScratch(const QString& name, const uint8_t* data, size_t size);

// A broken promise of a reader: libFuzzer keeps the input that caused it.
[[noreturn]] void fail(const char* what);

} // namespace FuzzSupport
