#include "idea_file.h"

#include "compound_document.h"
#include "device_bitmap.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <functional>

namespace IdeaFile {

namespace {

void putLe32(QByteArray& out, quint32 value)
{
    char raw[4];
    qToLittleEndian<quint32>(value, reinterpret_cast<uchar*>(raw));
    out.append(raw, 4);
}

quint32 le32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(bytes.constData() + at));
}

void putAnsiString(QByteArray& out, const QByteArray& text)
{
    putLe32(out, quint32(text.size() + 1));
    out.append(text);
    out.append('\0');
}

QByteArray compObjStream()
{
    QByteArray out = QByteArrayLiteral("\x01\x00\xfe\xff\x03\x0a\x00\x00\xff\xff\xff\xff");
    out.append(kPaintBrushClassId);
    putAnsiString(out, QByteArrayLiteral("Paintbrush Picture"));
    putAnsiString(out, kProgramId); // the clipboard format, by name
    putAnsiString(out, kProgramId);
    return out;
}

QByteArray oleStream()
{
    // Version 0x02000001, an embedded object, no moniker.
    QByteArray out = QByteArrayLiteral("\x01\x00\x00\x02");
    out.append(16, '\0');
    return out;
}

Loaded notAnIdea(const QString& why)
{
    return {Status::NotAnIdea, QImage(), why};
}

// The header and the compound document, handed to sink one after the other.
bool write(const QImage& picture, const std::function<bool(const char*, qint64)>& sink, QString* error)
{
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("рисунок пуст");
        return false;
    }
    // The native data: its size, then the BMP written right behind it.
    QByteArray native = DeviceBitmap::write24(picture, 4);
    qToLittleEndian<quint32>(quint32(native.size() - 4), reinterpret_cast<uchar*>(native.data()));

    CompoundDocument::Document document;
    document.classId = kPaintBrushClassId;
    document.streams = {
        {kCompObjStream, compObjStream()}, {kOleStream, oleStream()}, {kNativeStream, native}};
    return CompoundDocument::write(
        document,
        [&sink](const char* bytes, qint64 size) {
            QByteArray header;
            header.append(kSignature, 4);
            putLe32(header, kContentAspect);
            putLe32(header, quint32(size));
            return sink(header.constData(), header.size()) && sink(bytes, size);
        },
        error);
}

} // namespace

std::optional<QByteArray> encode(const QImage& picture, QString* error)
{
    QByteArray file;
    const bool written = write(
        picture,
        [&file](const char* bytes, qint64 size) {
            file.append(bytes, qsizetype(size));
            return true;
        },
        error);
    return written ? std::optional<QByteArray>(file) : std::nullopt;
}

Loaded decode(const QByteArray& bytes)
{
    if (bytes.size() < kHeaderSize || !bytes.startsWith(kSignature))
        return notAnIdea(QStringLiteral("нет подписи BDOC"));
    const quint32 length = le32(bytes, 8);
    // A length past the end is a cut file; what may follow the document is ignored.
    if (length == 0 || qint64(length) > bytes.size() - kHeaderSize)
        return notAnIdea(QStringLiteral("длина данных не совпадает с файлом"));
    QString why;
    const std::optional<CompoundDocument::Document> document =
        CompoundDocument::read(QByteArray::fromRawData(bytes.constData() + kHeaderSize, length), &why);
    if (!document)
        return notAnIdea(why);
    const std::optional<QByteArray> native = document->stream(kNativeStream);
    if (!native || native->size() < 4)
        return notAnIdea(QStringLiteral("нет рисунка в объекте"));
    // The size field is trusted only as far as the stream reaches.
    const qint64 size = qMin<qint64>(le32(*native, 0), native->size() - 4);
    const std::optional<QImage> picture =
        DeviceBitmap::read(QByteArray::fromRawData(native->constData() + 4, size));
    if (!picture)
        return notAnIdea(QStringLiteral("рисунок объекта не читается"));
    return {Status::Loaded, *picture, {}};
}

Loaded load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Status::Unreadable, QImage(), file.errorString()};
    if (file.size() > kMaxFileSize)
        return notAnIdea(QStringLiteral("файл слишком велик"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {Status::Unreadable, QImage(), file.errorString()};
    return decode(bytes);
}

bool save(const QString& path, const QImage& picture, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QString reason;
    const bool written = write(
        picture, [&file](const char* bytes, qint64 size) { return file.write(bytes, size) == size; },
        &reason);
    if (!written || !file.commit()) {
        if (error)
            *error = reason.isEmpty() ? file.errorString() : reason;
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace IdeaFile
