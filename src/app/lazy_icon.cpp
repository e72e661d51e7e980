#include "lazy_icon.h"

#include <QIconEngine>
#include <QPainter>

namespace {

class LazyFileIconEngine : public QIconEngine
{
public:
    explicit LazyFileIconEngine(QString file) : m_file(std::move(file)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    // Views ask this to lay out their rows: the pictures are made at least as
    // large as they are shown, so the answer needs no reading.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return m_file.isEmpty(); }
    QString key() const override { return QStringLiteral("LazyFileIconEngine"); }
    QIconEngine* clone() const override { return new LazyFileIconEngine(m_file); }

private:
    const QIcon& icon()
    {
        if (m_icon.isNull())
            m_icon = QIcon(m_file);
        return m_icon;
    }

    QString m_file;
    QIcon m_icon;
};

} // namespace

QIcon lazyIcon(const QString& file)
{
    return QIcon(new LazyFileIconEngine(file));
}
