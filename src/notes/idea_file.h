#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

// An idea file: a 12-byte header ("BDOC", the draw aspect, the length N of
// what follows) and then an OLE compound document holding one embedded
// paint-brush picture, the form the Windows version's OLE container saves.
// The object's streams: "\1CompObj" (its class and names), "\1Ole" (the
// object header) and "\1Ole10Native" (a size and a whole BMP file).
namespace IdeaFile {

inline constexpr char kSignature[] = "BDOC";
inline constexpr int kHeaderSize = 12;
inline constexpr quint32 kContentAspect = 1;
inline const QByteArray kCompObjStream = QByteArrayLiteral("\001CompObj");
inline const QByteArray kOleStream = QByteArrayLiteral("\001Ole");
inline const QByteArray kNativeStream = QByteArrayLiteral("\001Ole10Native");
// {0003000A-0000-0000-C000-000000000046} as stored, and its programme id.
inline const QByteArray kPaintBrushClassId =
    QByteArrayLiteral("\x0a\x00\x03\x00\x00\x00\x00\x00\xc0\x00\x00\x00\x00\x00\x00\x46");
inline const QByteArray kProgramId = QByteArrayLiteral("PBrush");
// Larger files are not read at all: no sketch comes near this.
inline constexpr qint64 kMaxFileSize = 1024LL * 1024 * 1024;

enum class Status {
    Loaded,
    Unreadable, // the file could not be opened or read
    NotAnIdea,  // it was read, but holds no picture object
};

struct Loaded
{
    Status status = Status::Unreadable;
    QImage picture;
    QString error;
};

// The file as bytes: header, compound document, picture as a 24-bit BMP.
std::optional<QByteArray> encode(const QImage& picture, QString* error = nullptr);
Loaded decode(const QByteArray& bytes);

Loaded load(const QString& path);
// Written to a temporary name beside the file and renamed when complete, so
// an existing file is either kept whole or replaced whole.
bool save(const QString& path, const QImage& picture, QString* error = nullptr);

} // namespace IdeaFile
