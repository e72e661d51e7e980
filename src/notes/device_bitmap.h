#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

// Windows bitmap files, the picture inside a paint-brush object. One form is
// written always (24 bits, bottom-up, no palette); what other programs write
// is read generously: 24 or 32 bits, bottom-up or top-down, with or without
// the file header, and any other kind Qt's reader knows.
namespace DeviceBitmap {

// A whole BMP file of the picture, 24 bits per pixel, after headroom zero
// bytes that the caller fills (one copy fewer of a large picture).
QByteArray write24(const QImage& picture, qsizetype headroom = 0);

// The picture of a BMP file (starting "BM") or of a bare device-independent
// bitmap (a BITMAPINFOHEADER and its pixels); nullopt for anything else.
std::optional<QImage> read(const QByteArray& bytes);

// The largest side accepted on reading; a header asking for more is bad input.
inline constexpr int kMaxSide = 16384;

} // namespace DeviceBitmap
