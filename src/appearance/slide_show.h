#pragma once

#include <QDate>
#include <QImage>
#include <QObject>
#include <QStringList>

class QTimer;
namespace Settings {
struct Record;
}

// The picture in the corner of the main window: the season's picture, or a
// show of the landscapes or of a folder's pictures at a chosen interval.
// Pictures are decoded here and handed out through pictureLoaded.
class SlideShow : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SlideShow)

public:
    enum Type { Seasons = 1, Landscapes = 2, Folder = 3 };

    explicit SlideShow(QObject* parent = nullptr);

    // Stops the show and starts it again from the settings held in memory.
    void SlideSetUp(const Settings::Record& settings);
    // One tick of SlideTimer; tests call it instead of waiting.
    void SlideTimerTimer();

    QTimer* SlideTimer = nullptr;

    const QStringList& slides() const { return m_slides; }
    int position() const { return m_position; }

    // Milliseconds between slides: a negative count counts as 0, and what
    // the timer cannot hold is capped at its largest interval.
    static int intervalOf(qint64 count, int unit);
    // "winter", "spring", "summer" or "autumn".
    static QString seasonOf(const QDate& day);
    // Decodes a picture no larger than the corner needs; null on failure.
    static QImage loadPicture(const QString& path);

signals:
    void pictureLoaded(const QImage& picture, const QString& path);

private:
    bool show(const QString& path);
    void startList(const QString& folder);

    QStringList m_slides;
    int m_position = 0;
    bool m_random = false;
};
