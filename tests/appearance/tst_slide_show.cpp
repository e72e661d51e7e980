#include "file_listing.h"
#include "scripted_seams.h"
#include "settings.h"
#include "slide_show.h"
#include "test_home.h"
#include "test_main.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// Small JPEG pictures of distinct colours; returns their paths.
QStringList makePictures(const QString& folder, const QStringList& names, QSize size = QSize(8, 8))
{
    QStringList paths;
    int shade = 40;
    for (const QString& name : names) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(shade, 255 - shade, 128));
        shade += 60;
        const QString path = folder + QLatin1Char('/') + name;
        if (!picture.save(path, "JPG"))
            qFatal("cannot write %s", qPrintable(path));
        paths.append(path);
    }
    return paths;
}

QStringList shownPaths(const QSignalSpy& spy)
{
    QStringList paths;
    for (const QList<QVariant>& call : spy)
        paths.append(QFileInfo(call.at(1).toString()).fileName());
    return paths;
}

} // namespace

class TestSlideShow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_show = std::make_unique<SlideShow>();
        m_settings = Settings::Record();
        m_settings.programFolder = TestHome::programFolder();
        m_settings.slideDirectory = m_pictures.path();
    }
    void cleanup()
    {
        m_show.reset();
        m_seams.reset();
        m_home.reset();
        QDir(m_pictures.path()).removeRecursively();
        QDir().mkpath(m_pictures.path());
    }

    void intervalsUnitsAndTheTimer()
    {
        makePictures(m_pictures.path(), {"a.jpg", "b.jpg"});
        QSignalSpy shown(m_show.get(), &SlideShow::pictureLoaded);
        const auto setUp = [&](qint32 count, qint32 unit) {
            m_settings.slideType = SlideShow::Folder;
            m_settings.slideInterval = count;
            m_settings.slideIntervalType = unit;
            m_show->SlideSetUp(m_settings);
        };

        setUp(1, 1);
        QVERIFY(m_show->SlideTimer->isActive());
        QCOMPARE(m_show->SlideTimer->interval(), 1000);
        setUp(2, 2);
        QCOMPARE(m_show->SlideTimer->interval(), 2 * 3600 * 1000);
        setUp(3, 0);
        QCOMPARE(m_show->SlideTimer->interval(), 3 * 60 * 1000);
        setUp(3, 7); // an unknown unit counts as minutes
        QCOMPARE(m_show->SlideTimer->interval(), 3 * 60 * 1000);
        QCOMPARE(shown.size(), 4); // every set-up shows the first slide at once

        // 0 shows the first slide and starts no timer; a negative count is 0.
        for (const qint32 count : {0, -5}) {
            shown.clear();
            setUp(count, 1);
            QCOMPARE(shownPaths(shown), QStringList{"a.jpg"});
            QVERIFY(!m_show->SlideTimer->isActive());
        }

        // 1000 hours do not fit the timer: the largest interval it holds.
        setUp(1000, 2);
        QVERIFY(m_show->SlideTimer->isActive());
        QCOMPARE(m_show->SlideTimer->interval(), std::numeric_limits<int>::max());
        setUp(std::numeric_limits<qint32>::max(), 2);
        QCOMPARE(m_show->SlideTimer->interval(), std::numeric_limits<int>::max());

        // The season picture and unknown types stop a running show.
        m_settings.slideType = SlideShow::Seasons;
        m_show->SlideSetUp(m_settings);
        QVERIFY(!m_show->SlideTimer->isActive());
        setUp(1, 1);
        m_settings.slideType = 9;
        shown.clear();
        m_show->SlideSetUp(m_settings);
        QVERIFY(!m_show->SlideTimer->isActive());
        QVERIFY(shown.isEmpty());
    }

    void orderModeCyclesAndPassesOverABrokenPicture()
    {
        makePictures(m_pictures.path(), {"3.jpg", "1.jpg", "2.jpg"});
        QSignalSpy shown(m_show.get(), &SlideShow::pictureLoaded);
        m_settings.slideType = SlideShow::Folder;
        m_settings.slideInterval = 5;
        m_show->SlideSetUp(m_settings);
        QCOMPARE(shownPaths(shown), QStringList{"1.jpg"});
        for (int tick = 0; tick < 4; ++tick)
            m_show->SlideTimerTimer();
        QCOMPARE(shownPaths(shown), (QStringList{"1.jpg", "2.jpg", "3.jpg", "1.jpg", "2.jpg"}));

        // A file that is no picture: nothing is shown at its tick, the next
        // tick goes on with the picture after it.
        QFile broken(m_pictures.path() + "/2.jpg");
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("not a picture");
        broken.close();
        shown.clear();
        m_show->SlideSetUp(m_settings);
        for (int tick = 0; tick < 4; ++tick)
            m_show->SlideTimerTimer();
        QCOMPARE(shownPaths(shown), (QStringList{"1.jpg", "3.jpg", "1.jpg"}));
        QCOMPARE(m_show->slides().size(), 3);
    }

    void randomOrderIsUniformAndMayRepeat()
    {
        makePictures(m_pictures.path(), {"a.jpg", "b.jpg", "c.jpg"});
        m_settings.slideType = SlideShow::Folder;
        m_settings.slideRandom = true;
        m_show->SlideSetUp(m_settings);
        QSignalSpy shown(m_show.get(), &SlideShow::pictureLoaded);
        constexpr int kTicks = 3000;
        for (int tick = 0; tick < kTicks; ++tick)
            m_show->SlideTimerTimer();
        const QStringList order = shownPaths(shown);
        QCOMPARE(order.size(), kTicks);
        // Each count is 1000 ± 150, about six standard deviations.
        for (const QString name : {"a.jpg", "b.jpg", "c.jpg"})
            QVERIFY2(qAbs(order.count(name) - kTicks / 3) < 150, qPrintable(name));
        int repeats = 0;
        for (int i = 1; i < order.size(); ++i)
            repeats += order[i] == order[i - 1];
        QVERIFY(repeats > 0);
        QCOMPARE(m_show->position(), 0);
    }

    void seasonsAndTheLandscapes()
    {
        QVERIFY(QImageReader::supportedImageFormats().contains("jpeg"));
        QSignalSpy shown(m_show.get(), &SlideShow::pictureLoaded);
        m_settings.slideType = SlideShow::Seasons;
        const QList<std::pair<QDate, QString>> days = {{QDate(2026, 3, 1), "spring.jpg"},
                                                       {QDate(2026, 2, 28), "winter.jpg"},
                                                       {QDate(2026, 8, 31), "summer.jpg"},
                                                       {QDate(2025, 11, 30), "autumn.jpg"},
                                                       {QDate(2025, 12, 1), "winter.jpg"}};
        for (const auto& [day, picture] : days) {
            m_seams->clock.current = QDateTime(day, QTime(23, 59));
            shown.clear();
            m_show->SlideSetUp(m_settings);
            QCOMPARE(shownPaths(shown), QStringList{picture});
            QVERIFY(!shown.first().at(0).value<QImage>().isNull());
            QVERIFY(!m_show->SlideTimer->isActive());
        }

        // The landscapes: every picture of Images, the seasons among them.
        shown.clear();
        m_settings.slideType = SlideShow::Landscapes;
        m_show->SlideSetUp(m_settings);
        QStringList names;
        for (const QString& path : m_show->slides()) {
            QVERIFY(path.startsWith(TestHome::programFolder() + "Images/"));
            names.append(QFileInfo(path).fileName());
        }
        for (const QString season : {"winter.jpg", "spring.jpg", "summer.jpg", "autumn.jpg"})
            QVERIFY(names.contains(season));
        QVERIFY(names.size() >= 10);
        QCOMPARE(shownPaths(shown), QStringList{names.first()});
        // Every picture decodes and is no larger than the corner needs.
        for (const QString& path : m_show->slides()) {
            const QImage picture = SlideShow::loadPicture(path);
            QVERIFY2(!picture.isNull(), qPrintable(path));
            QVERIFY(picture.width() >= 161 && picture.height() >= 161);
            QVERIFY(picture.width() <= 322 || picture.height() <= 322);
        }
    }

    void missingFoldersAndPicturesChangeNothing()
    {
        QSignalSpy shown(m_show.get(), &SlideShow::pictureLoaded);
        m_settings.slideType = SlideShow::Folder;
        for (const QString& folder :
             QStringList{"None", "", "/nonexistent/quillarbor-pictures", m_pictures.path()}) {
            m_settings.slideDirectory = folder;
            m_show->SlideSetUp(m_settings);
            m_show->SlideTimerTimer();
            QVERIFY(m_show->slides().isEmpty());
        }
        // A season picture that is missing.
        QTemporaryDir emptyProgram;
        m_settings.programFolder = emptyProgram.path() + "/";
        m_settings.slideType = SlideShow::Seasons;
        m_show->SlideSetUp(m_settings);
        QVERIFY(shown.isEmpty());

        // A large photograph is decoded down to the corner's size, one
        // device pixel per pixel here.
        makePictures(m_pictures.path(), {"big.jpg"}, QSize(2400, 1200));
        const QImage big = SlideShow::loadPicture(m_pictures.path() + "/big.jpg");
        QCOMPARE(big.height(), 161);
        QCOMPARE(big.width(), 322);
    }

    void listingSkipsFoldersAndIgnoresCase()
    {
        makePictures(m_pictures.path(), {"b.JPG", "a.jpg", "c.d.jpg", "e.png"});
        QDir(m_pictures.path()).mkdir("folder.jpg");
        QFile text(m_pictures.path() + "/notes.txt");
        QVERIFY(text.open(QIODevice::WriteOnly));
        const QString folder = m_pictures.path() + "/";
        QCOMPARE(FileListing::ListFiles(folder, "jpg", true),
                 (QStringList{folder + "a.jpg", folder + "b.JPG", folder + "c.d.jpg"}));
        QCOMPARE(FileListing::ListFiles(folder, "jpg", false), (QStringList{"a", "b", "c.d"}));
        QCOMPARE(FileListing::ListFiles(folder, "txt", false), QStringList{"notes"});
        QVERIFY(FileListing::ListFiles(folder + "missing/", "jpg", true).isEmpty());
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<SlideShow> m_show;
    Settings::Record m_settings;
    QTemporaryDir m_pictures;
};

QUILL_TEST_MAIN(TestSlideShow)
#include "tst_slide_show.moc"
