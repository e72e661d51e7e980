#include "slide_show.h"

#include "clock.h"
#include "file_listing.h"
#include "settings.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTimer>
#include <QtMath>
#include <algorithm>
#include <limits>

namespace {

// The corner is 161 pixels square: pictures are decoded at that size on the
// screen's pixel density, never as the whole photograph. JPEG decodes a
// smaller size much faster, which the show does on every change of slide.
constexpr int kCornerSide = 161;

constexpr qint64 kMinute = 60000;
constexpr qint64 kSecond = 1000;
constexpr qint64 kHour = 3600000;

} // namespace

SlideShow::SlideShow(QObject* parent) : QObject(parent)
{
    SlideTimer = new QTimer(this);
    SlideTimer->setObjectName(QStringLiteral("SlideTimer"));
    connect(SlideTimer, &QTimer::timeout, this, &SlideShow::SlideTimerTimer);
}

int SlideShow::intervalOf(qint64 count, int unit)
{
    const qint64 factor = unit == 1 ? kSecond : unit == 2 ? kHour : kMinute;
    const qint64 largest = std::numeric_limits<int>::max();
    const qint64 clamped = std::clamp<qint64>(count, 0, largest);
    // clamped × factor fits easily in 64 bits.
    return int(std::min(clamped * factor, largest));
}

QString SlideShow::seasonOf(const QDate& day)
{
    switch (day.month()) {
    case 12:
    case 1:
    case 2:
        return QStringLiteral("winter");
    case 3:
    case 4:
    case 5:
        return QStringLiteral("spring");
    case 6:
    case 7:
    case 8:
        return QStringLiteral("summer");
    default:
        return QStringLiteral("autumn");
    }
}

QImage SlideShow::loadPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const int largestSide = qCeil(kCornerSide * qMax(1.0, qApp->devicePixelRatio()));
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > largestSide || size.height() > largestSide))
        reader.setScaledSize(
            size.scaled(largestSide, largestSide, Qt::KeepAspectRatioByExpanding).boundedTo(size));
    return reader.read();
}

void SlideShow::SlideSetUp(const Settings::Record& settings)
{
    SlideTimer->stop();
    SlideTimer->setInterval(intervalOf(settings.slideInterval, settings.slideIntervalType));
    m_random = settings.slideRandom;
    switch (settings.slideType) {
    case Seasons:
        show(settings.programFolder + QStringLiteral("Images/") + seasonOf(Clock::today()) +
             QStringLiteral(".jpg"));
        break;
    case Landscapes:
        startList(settings.programFolder + QStringLiteral("Images/"));
        break;
    case Folder:
        // A relative text such as "None" names no folder of the user's; it
        // must not be looked up in whatever the working folder happens to be.
        startList(QDir::isAbsolutePath(settings.slideDirectory) ? settings.slideDirectory + QLatin1Char('/')
                                                                : QString());
        break;
    default:
        break;
    }
}

void SlideShow::startList(const QString& folder)
{
    m_slides = FileListing::ListFiles(folder, QStringLiteral("jpg"), true);
    m_position = 0;
    SlideTimerTimer();
    // Qt's timers fire continuously at 0 ms: an interval of 0 shows the first
    // slide only.
    if (SlideTimer->interval() > 0)
        SlideTimer->start();
}

void SlideShow::SlideTimerTimer()
{
    if (m_slides.isEmpty())
        return;
    if (m_position >= m_slides.size() || m_position < 0)
        m_position = 0;
    if (m_random) {
        show(m_slides.at(QRandomGenerator::global()->bounded(int(m_slides.size()))));
        return;
    }
    // A picture that cannot be loaded is passed over at this tick, so that
    // one broken file does not stop the show on it for ever.
    show(m_slides.at(m_position));
    ++m_position;
}

bool SlideShow::show(const QString& path)
{
    const QImage picture = loadPicture(path);
    if (picture.isNull())
        return false;
    emit pictureLoaded(picture, path);
    return true;
}
