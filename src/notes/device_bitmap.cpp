#include "device_bitmap.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <cstring>
#include <limits>

namespace DeviceBitmap {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr quint32 kRgb = 0;
constexpr quint32 kBitFields = 3;

template <typename T> T readLe(const char* at)
{
    return qFromLittleEndian<T>(reinterpret_cast<const uchar*>(at));
}

template <typename T> void putLe(QByteArray& out, T value)
{
    char raw[sizeof(T)];
    qToLittleEndian<T>(value, reinterpret_cast<uchar*>(raw));
    out.append(raw, sizeof(T));
}

int rowBytes(int width, int bits)
{
    return int(((qint64(width) * bits + 31) / 32) * 4);
}

// The position of the lowest set bit and the width of a colour mask.
struct Channel
{
    int shift = 0;
    int bits = 0;
    quint32 mask = 0;
    explicit Channel(quint32 m) : mask(m)
    {
        if (!m)
            return;
        while (!(m & 1)) {
            m >>= 1;
            ++shift;
        }
        while (m & 1) {
            m >>= 1;
            ++bits;
        }
    }
    int value(quint32 pixel) const
    {
        if (!bits)
            return 0;
        // A mask may be all 32 bits wide: no shift by the full width, no
        // product that wraps.
        const quint64 raw = (pixel & mask) >> shift;
        const quint64 top = (quint64(1) << bits) - 1;
        return int((raw * 255 + top / 2) / top);
    }
};

// 24- and 32-bit pixels read here; nullopt when the header is another kind.
std::optional<QImage> readTrueColour(const QByteArray& bytes, int infoAt, qint64 pixelsAt)
{
    const char* data = bytes.constData();
    const quint32 headerSize = readLe<quint32>(data + infoAt);
    const qint32 width = readLe<qint32>(data + infoAt + 4);
    const qint32 rawHeight = readLe<qint32>(data + infoAt + 8);
    const quint16 bits = readLe<quint16>(data + infoAt + 14);
    const quint32 compression = readLe<quint32>(data + infoAt + 16);
    if (bits != 24 && bits != 32)
        return std::nullopt;
    if (!(compression == kRgb || (bits == 32 && compression == kBitFields)))
        return std::nullopt;
    if (rawHeight == std::numeric_limits<qint32>::min() || width <= 0 || width > kMaxSide || rawHeight == 0 ||
        qAbs(rawHeight) > kMaxSide)
        return QImage();
    const bool topDown = rawHeight < 0;
    const int height = qAbs(rawHeight);

    Channel red(0x00ff0000), green(0x0000ff00), blue(0x000000ff);
    if (compression == kBitFields) {
        // The masks follow a 40-byte header; later headers hold them inside.
        const qint64 masksAt = infoAt + kInfoHeaderSize;
        if (masksAt + 12 > bytes.size())
            return QImage();
        red = Channel(readLe<quint32>(data + masksAt));
        green = Channel(readLe<quint32>(data + masksAt + 4));
        blue = Channel(readLe<quint32>(data + masksAt + 8));
        if (pixelsAt < 0)
            pixelsAt = infoAt + qMax<qint64>(headerSize, kInfoHeaderSize) + (headerSize == 40 ? 12 : 0);
    }
    if (pixelsAt < 0)
        pixelsAt = infoAt + headerSize + qint64(readLe<quint32>(data + infoAt + 32)) * 4;
    const int stride = rowBytes(width, bits);
    if (pixelsAt < 0 || pixelsAt + qint64(stride) * height > bytes.size())
        return QImage();

    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull())
        return QImage();
    for (int y = 0; y < height; ++y) {
        const char* row = data + pixelsAt + qint64(stride) * (topDown ? y : height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (bits == 24) {
                const auto* p = reinterpret_cast<const uchar*>(row + x * 3);
                out[x] = qRgb(p[2], p[1], p[0]);
            } else {
                const quint32 pixel = readLe<quint32>(row + x * 4);
                out[x] = qRgb(red.value(pixel), green.value(pixel), blue.value(pixel));
            }
        }
    }
    return picture;
}

std::optional<QImage> readWithQt(const QByteArray& file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide)
        return std::nullopt;
    QImage picture = reader.read();
    if (picture.isNull())
        return std::nullopt;
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QByteArray write24(const QImage& source, qsizetype headroom)
{
    const QImage picture = source.convertToFormat(QImage::Format_RGB32);
    const int width = picture.width();
    const int height = picture.height();
    const int stride = rowBytes(width, 24);
    const quint32 pixelBytes = quint32(stride) * quint32(height);
    QByteArray out;
    out.reserve(headroom + kFileHeaderSize + kInfoHeaderSize + qsizetype(pixelBytes));
    out.append(headroom, '\0');
    out.append("BM", 2);
    putLe<quint32>(out, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    putLe<quint32>(out, 0);
    putLe<quint32>(out, kFileHeaderSize + kInfoHeaderSize);
    putLe<quint32>(out, kInfoHeaderSize);
    putLe<qint32>(out, width);
    putLe<qint32>(out, height);
    putLe<quint16>(out, 1);
    putLe<quint16>(out, 24);
    putLe<quint32>(out, kRgb);
    putLe<quint32>(out, pixelBytes);
    // 96 dots per inch, as paint programs write them.
    putLe<qint32>(out, 3780);
    putLe<qint32>(out, 3780);
    putLe<quint32>(out, 0);
    putLe<quint32>(out, 0);

    const qsizetype start = out.size();
    out.resize(start + pixelBytes);
    char* pixels = out.data() + start;
    std::memset(pixels, 0, pixelBytes);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(height - 1 - y));
        auto* row = reinterpret_cast<uchar*>(pixels + qint64(stride) * y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = uchar(qBlue(in[x]));
            row[x * 3 + 1] = uchar(qGreen(in[x]));
            row[x * 3 + 2] = uchar(qRed(in[x]));
        }
    }
    return out;
}

std::optional<QImage> read(const QByteArray& bytes)
{
    qint64 pixelsAt = -1;
    int infoAt = 0;
    QByteArray file;
    if (bytes.startsWith("BM")) {
        if (bytes.size() < kFileHeaderSize + 16)
            return std::nullopt;
        infoAt = kFileHeaderSize;
        pixelsAt = readLe<quint32>(bytes.constData() + 10);
        file = bytes;
    } else {
        // A bare DIB: the header size comes first.
        if (bytes.size() < 16 || readLe<quint32>(bytes.constData()) < kInfoHeaderSize)
            return std::nullopt;
    }
    const quint32 headerSize = readLe<quint32>(bytes.constData() + infoAt);
    if (headerSize >= kInfoHeaderSize && infoAt + qint64(headerSize) <= bytes.size()) {
        if (const std::optional<QImage> picture = readTrueColour(bytes, infoAt, pixelsAt)) {
            if (picture->isNull())
                return std::nullopt;
            return picture;
        }
    }
    if (file.isEmpty()) {
        // Qt reads files only: a bare DIB gets the file header it lacks.
        if (headerSize < kInfoHeaderSize || qint64(headerSize) > bytes.size())
            return std::nullopt;
        const quint16 bits = readLe<quint16>(bytes.constData() + 14);
        const quint32 compression = readLe<quint32>(bytes.constData() + 16);
        quint32 colours = readLe<quint32>(bytes.constData() + 32);
        if (colours == 0 && bits <= 8)
            colours = 1u << bits;
        if (colours > 256)
            return std::nullopt;
        const quint32 masks = (compression == kBitFields && headerSize == kInfoHeaderSize) ? 12 : 0;
        putLe<quint8>(file, 'B');
        putLe<quint8>(file, 'M');
        putLe<quint32>(file, quint32(kFileHeaderSize + bytes.size()));
        putLe<quint32>(file, 0);
        putLe<quint32>(file, kFileHeaderSize + headerSize + masks + colours * 4);
        file.append(bytes);
    }
    return readWithQt(file);
}

} // namespace DeviceBitmap
