#include "compound_document.h"
#include "device_bitmap.h"
#include "idea_file.h"
#include "idea_names.h"
#include "test_home.h"
#include "test_main.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <random>

namespace {

// Every pixel different, width odd so that rows carry padding.
QImage testPicture(int width = 37, int height = 23)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb((x * 7) & 255, (y * 11) & 255, (x * y) & 255));
    return picture;
}

void putLe(QByteArray& out, quint32 value, int size = 4)
{
    for (int i = 0; i < size; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// A BMP file as other programs write it: 32 bits (plain or with masks), or
// 24 bits top-down.
QByteArray otherBitmap(const QImage& picture, int bits, bool topDown, bool masks)
{
    const int width = picture.width(), height = picture.height();
    const int stride = ((width * bits + 31) / 32) * 4;
    const int header = 40 + (masks ? 12 : 0);
    QByteArray out("BM");
    putLe(out, 14 + header + stride * height);
    putLe(out, 0);
    putLe(out, 14 + header);
    putLe(out, 40);
    putLe(out, quint32(width));
    putLe(out, quint32(topDown ? -height : height));
    putLe(out, 1, 2);
    putLe(out, quint32(bits), 2);
    putLe(out, masks ? 3 : 0);
    putLe(out, quint32(stride * height));
    putLe(out, 0);
    putLe(out, 0);
    putLe(out, 0);
    putLe(out, 0);
    if (masks) {
        // Blue, green and red in another order than the usual one.
        putLe(out, 0x0000ff00);
        putLe(out, 0x00ff0000);
        putLe(out, 0xff000000);
    }
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        QByteArray line;
        for (int x = 0; x < width; ++x) {
            const QRgb p = picture.pixel(x, y);
            if (masks) {
                putLe(line, (quint32(qBlue(p)) << 24) | (quint32(qGreen(p)) << 16) | (quint32(qRed(p)) << 8));
            } else {
                line.append(char(qBlue(p))).append(char(qGreen(p))).append(char(qRed(p)));
                if (bits == 32)
                    line.append('\0');
            }
        }
        line.append(QByteArray(stride - line.size(), '\0'));
        out.append(line);
    }
    return out;
}

QByteArray ideaAround(const QByteArray& document)
{
    QByteArray file("BDOC");
    putLe(file, 1);
    putLe(file, quint32(document.size()));
    return file + document;
}

QByteArray documentWith(const QList<CompoundDocument::Stream>& streams)
{
    CompoundDocument::Document document;
    document.classId = IdeaFile::kPaintBrushClassId;
    document.streams = streams;
    return *CompoundDocument::write(document);
}

QByteArray nativeOf(const QByteArray& bitmap, quint32 size)
{
    QByteArray native;
    putLe(native, size);
    return native + bitmap;
}

quint32 le32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(bytes.constData() + at));
}

} // namespace

class TestIdeaFile : public QObject
{
    Q_OBJECT

private slots:
    void aSavedFileHasTheHeaderThePictureObjectAndTheSamePixels()
    {
        const QImage picture = testPicture();
        const QByteArray file = *IdeaFile::encode(picture);
        QCOMPARE(file.left(4), QByteArray("BDOC"));
        QCOMPARE(le32(file, 4), 1u);
        QCOMPARE(qint64(le32(file, 8)), qint64(file.size() - 12));

        const auto document = CompoundDocument::read(file.mid(12));
        QVERIFY(document);
        QCOMPARE(document->classId, IdeaFile::kPaintBrushClassId);
        QCOMPARE(document->streams.size(), 3);
        const QByteArray compObj = *document->stream(QByteArrayLiteral("\001CompObj"));
        QCOMPARE(compObj.left(12).toHex(), QByteArray("0100feff030a0000ffffffff"));
        QCOMPARE(compObj.mid(12, 16), IdeaFile::kPaintBrushClassId);
        QCOMPARE(document->stream(QByteArrayLiteral("\001Ole"))->size(), 20);
        const QByteArray native = *document->stream(QByteArrayLiteral("\001Ole10Native"));
        QCOMPARE(qint64(le32(native, 0)), qint64(native.size() - 4));
        QVERIFY(native.mid(4).startsWith("BM"));

        // Qt's own BMP reader, not ours, reads the bitmap back equal.
        QImage fromQt;
        QVERIFY(fromQt.loadFromData(native.mid(4), "BMP"));
        QCOMPARE(fromQt.convertToFormat(QImage::Format_RGB32), picture);

        const IdeaFile::Loaded loaded = IdeaFile::decode(file);
        QCOMPARE(loaded.status, IdeaFile::Status::Loaded);
        QCOMPARE(loaded.picture, picture);

        // Large pictures go through the big-block part of the document.
        const QImage large = testPicture(1920, 1080);
        QCOMPARE(IdeaFile::decode(*IdeaFile::encode(large)).picture, large);
    }

    void aSecondReaderFindsTheStreamsAndTheBitmap()
    {
        const QString python = QStringLiteral("/usr/bin/python3");
        if (QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import olefile")}) != 0)
            QSKIP("Python's olefile is not installed");
        QTemporaryDir scratch;
        const QImage picture = testPicture(101, 67);
        const QString idea = scratch.filePath(QStringLiteral("Набросок1.dat"));
        QVERIFY(IdeaFile::save(idea, picture));
        const QString bitmap = scratch.filePath(QStringLiteral("native.bmp"));

        QProcess reader;
        reader.start(python, {QFINDTESTDATA("read_idea.py"), idea, bitmap});
        QVERIFY(reader.waitForFinished(30000));
        QCOMPARE(reader.exitCode(), 0);
        const QJsonObject seen = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
        QCOMPARE(seen.value("signature").toString(), QStringLiteral("BDOC"));
        QCOMPARE(seen.value("aspect").toInt(), 1);
        QCOMPARE(seen.value("length").toInt(), seen.value("documentLength").toInt());
        QCOMPARE(seen.value("streams").toVariant().toStringList(),
                 QStringList({QStringLiteral("\001CompObj"), QStringLiteral("\001Ole"),
                              QStringLiteral("\001Ole10Native")}));
        QCOMPARE(seen.value("rootClassId").toString(),
                 QStringLiteral("0003000A-0000-0000-C000-000000000046"));
        QCOMPARE(seen.value("compObjHeader").toString(), QStringLiteral("0100feff030a0000ffffffff"));
        QCOMPARE(seen.value("compObjClassId").toString(), QStringLiteral("0a00030000000000c000000000000046"));
        QCOMPARE(seen.value("compObjStrings").toVariant().toStringList(),
                 QStringList({QStringLiteral("Paintbrush Picture"), QStringLiteral("PBrush"),
                              QStringLiteral("PBrush")}));
        QCOMPARE(seen.value("ole").toString(), QStringLiteral("01000002") + QString(32, QLatin1Char('0')));
        QCOMPARE(seen.value("nativeSize").toInt() + 4, seen.value("nativeStreamSize").toInt());
        QCOMPARE(seen.value("bitmapBits").toInt(), 24);
        QCOMPARE(seen.value("bitmapHeight").toInt(), 67);
        QImage fromQt(bitmap, "BMP");
        QCOMPARE(fromQt.convertToFormat(QImage::Format_RGB32), picture);
    }

    void otherWritersPicturesAreReadGenerously()
    {
        const QImage picture = testPicture(13, 9);
        const QList<QPair<const char*, QByteArray>> bitmaps = {
            {"32 bits", otherBitmap(picture, 32, false, false)},
            {"32 bits with masks", otherBitmap(picture, 32, false, true)},
            {"24 bits top-down", otherBitmap(picture, 24, true, false)},
            {"bare DIB", otherBitmap(picture, 24, false, false).mid(14)},
        };
        for (const auto& [kind, bitmap] : bitmaps) {
            // With a stream more than the three, and a size field past the stream's end.
            const QByteArray document = documentWith(
                {{QByteArrayLiteral("\001CompObj"), QByteArray(40, 'x')},
                 {QByteArrayLiteral("\002OlePres000"), QByteArray(5000, 'p')},
                 {QByteArrayLiteral("\001Ole10Native"), nativeOf(bitmap, quint32(bitmap.size() + 100))}});
            const IdeaFile::Loaded loaded =
                IdeaFile::decode(ideaAround(document) + QByteArray("trailing bytes"));
            QVERIFY2(loaded.status == IdeaFile::Status::Loaded, kind);
            QVERIFY2(loaded.picture == picture, kind);
        }
        // An 8-bit picture goes to Qt's reader.
        QImage indexed = picture.convertToFormat(QImage::Format_Indexed8);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(indexed.save(&buffer, "BMP"));
        const QByteArray document = documentWith(
            {{QByteArrayLiteral("\001Ole10Native"), nativeOf(buffer.data(), buffer.data().size())}});
        const IdeaFile::Loaded loaded = IdeaFile::decode(ideaAround(document));
        QCOMPARE(loaded.status, IdeaFile::Status::Loaded);
        QCOMPARE(loaded.picture, indexed.convertToFormat(QImage::Format_RGB32));
    }

    void badInputIsNoIdeaAndNeverACrash()
    {
        const QByteArray good = *IdeaFile::encode(testPicture());
        QByteArray unsigned_ = good;
        unsigned_[0] = 'b';
        QByteArray zeroLength = good;
        zeroLength.replace(8, 4, QByteArray(4, '\0'));
        QByteArray pastTheEnd = good;
        pastTheEnd.replace(8, 4, QByteArray("\xff\xff\xff\x7f", 4));
        const QByteArray hugeBitmap = [] {
            QByteArray header = otherBitmap(testPicture(2, 2), 24, false, false);
            header.replace(18, 8, QByteArray("\x00\x40\x00\x00\x00\x40\x00\x00", 8));
            return header;
        }();
        const QList<QPair<const char*, QByteArray>> cases = {
            {"empty", QByteArray()},
            {"short", QByteArray("BDOC\1\0\0")},
            {"no signature", unsigned_},
            {"length zero", zeroLength},
            {"length past the end", pastTheEnd},
            {"no compound document", ideaAround(QByteArray(2048, 'z'))},
            {"no native stream",
             ideaAround(documentWith({{QByteArrayLiteral("\001Ole"), QByteArray(20, 0)}}))},
            {"native stream too short",
             ideaAround(documentWith({{QByteArrayLiteral("\001Ole10Native"), QByteArray("\1\0")}}))},
            {"native data no bitmap",
             ideaAround(documentWith({{QByteArrayLiteral("\001Ole10Native"), nativeOf("GIF89a....", 10)}}))},
            {"bitmap larger than its data",
             ideaAround(documentWith({{QByteArrayLiteral("\001Ole10Native"), nativeOf(hugeBitmap, 70)}}))},
        };
        for (const auto& [kind, bytes] : cases) {
            const IdeaFile::Loaded loaded = IdeaFile::decode(bytes);
            QVERIFY2(loaded.status == IdeaFile::Status::NotAnIdea, kind);
            QVERIFY2(loaded.picture.isNull(), kind);
        }

        // Every cut of a good file, and bytes changed at random: loaded or refused, never more.
        for (int cut = 0; cut < good.size(); cut += 97)
            QVERIFY(IdeaFile::decode(good.left(cut)).status == IdeaFile::Status::NotAnIdea);
        std::mt19937 random(2026);
        std::uniform_int_distribution<int> position(12, int(good.size()) - 1);
        std::uniform_int_distribution<int> value(0, 255);
        for (int round = 0; round < 300; ++round) {
            QByteArray damaged = good;
            for (int i = 0; i < 8; ++i)
                damaged[position(random)] = char(value(random));
            const IdeaFile::Loaded loaded = IdeaFile::decode(damaged);
            QVERIFY(loaded.status != IdeaFile::Status::Unreadable);
        }
    }

    void damagedHeadersFoundByFuzzingAreHandled()
    {
        // A colour mask as wide as the pixel: read, full white stays white.
        QByteArray wideMask = otherBitmap(testPicture(3, 2), 32, false, true);
        wideMask.replace(54, 12, QByteArray("\xff\xff\xff\xff\x00\x00\x00\x00\x00\x00\x00\x00", 12));
        wideMask.replace(66, 4, QByteArray("\xff\xff\xff\xff", 4));
        wideMask.replace(70, 4, QByteArray("\x00\x00\x00\x80", 4));
        const std::optional<QImage> wide = DeviceBitmap::read(wideMask);
        QVERIFY(wide);
        QCOMPARE(wide->size(), QSize(3, 2));
        // Rows are stored bottom-up: the first two pixels are the lower row's.
        QCOMPARE(qRed(wide->pixel(0, 1)), 255);
        QCOMPARE(qRed(wide->pixel(1, 1)), 128);
        QCOMPARE(qGreen(wide->pixel(0, 1)), 0);

        // A root entry with siblings is against the format (and libgsf would
        // keep what it built for them for ever): refused, the clean one read.
        const QByteArray clean = documentWith({{QByteArrayLiteral("\001Ole10Native"), QByteArray(600, 'n')},
                                               {QByteArrayLiteral("\001Ole"), QByteArray(20, 'o')}});
        QVERIFY(CompoundDocument::read(clean));
        const qsizetype root = (qsizetype(le32(clean, 48)) + 1) * 512;
        for (const int link : {68, 72}) {
            QByteArray siblings = clean;
            siblings.replace(root + link, 4, QByteArray("\x01\x00\x00\x00", 4));
            QString why;
            QVERIFY(!CompoundDocument::read(siblings, &why));
            QVERIFY(!why.isEmpty());
            QCOMPARE(IdeaFile::decode(ideaAround(siblings)).status, IdeaFile::Status::NotAnIdea);
        }
    }

    void savingReplacesWholeOrFailsKeepingTheOldFile()
    {
        TestHome home;
        const QString folder = home.path() + QStringLiteral("/Ideas/");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("Кот.dat");
        QVERIFY(IdeaFile::save(path, testPicture(40, 30)));
        QVERIFY(IdeaFile::save(path, testPicture(20, 10)));
        QCOMPARE(IdeaFile::load(path).picture, testPicture(20, 10));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Кот.dat")});

        // A folder where the file should go: the save fails with a reason.
        QVERIFY(QDir().mkpath(folder + QStringLiteral("Пёс.dat/inside")));
        QString error;
        QVERIFY(!IdeaFile::save(folder + QStringLiteral("Пёс.dat"), testPicture(), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!IdeaFile::save(home.path() + QStringLiteral("/missing/Кот.dat"), testPicture(), &error));
        QCOMPARE(IdeaFile::load(path).picture, testPicture(20, 10));
        QCOMPARE(IdeaFile::load(home.path() + QStringLiteral("/missing/Кот.dat")).status,
                 IdeaFile::Status::Unreadable);
    }

    void namesThatCannotBeFilesAreRefused()
    {
        for (const QString& bad :
             {QString(), QStringLiteral("   "), QStringLiteral("a/b"), QStringLiteral("a\\b"),
              QStringLiteral(".."), QStringLiteral("x..y"), QStringLiteral(".скрытый"),
              QStringLiteral("таб\tуляция"), QStringLiteral("строка\nдве"), QStringLiteral("что?"),
              QStringLiteral("точка."), QString(200, QChar(u'ж'))})
            QVERIFY2(!IdeaNames::problemWith(bad).isEmpty(), qPrintable(bad));
        for (const QString& good : {QStringLiteral("Набросок1"), QStringLiteral("Дом у реки"),
                                    QStringLiteral("план v2.1"), QStringLiteral("🙂 улыбка")})
            QVERIFY2(IdeaNames::problemWith(good).isEmpty(), qPrintable(good));

        QTemporaryDir folder;
        const QString base = folder.path() + QLatin1Char('/');
        QCOMPARE(IdeaNames::freeDefaultName(base), QStringLiteral("Набросок1"));
        QFile(base + QStringLiteral("Набросок1.dat")).open(QIODevice::WriteOnly);
        QFile(base + QStringLiteral("Набросок2.dat")).open(QIODevice::WriteOnly);
        QCOMPARE(IdeaNames::freeDefaultName(base), QStringLiteral("Набросок3"));
    }
};

QUILL_TEST_MAIN(TestIdeaFile)
#include "tst_idea_file.moc"
