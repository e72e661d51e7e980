#include "appearance.h"

#include "error_handler.h"
#include "profile_database.h"
#include "scheme_look.h"
#include "schemes_page.h"
#include "section_host.h"
#include "settings.h"
#include "slide_show.h"
#include "slides_page.h"

#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kSettingsSection = 15;
constexpr const char* kDesignPicture = "river_valley.jpg";

void putOnPage(QWidget* page, QWidget* content)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

} // namespace

Appearance::Appearance(SectionHost& host, QMainWindow* window, QLabel* picture)
    : QObject(window), m_host(host), m_window(window), m_picture(picture)
{
    setObjectName(QStringLiteral("Appearance"));
    m_current = SchemeLooks::current(window);
    m_design = m_current;

    // The slide timer belongs to the main window, as its other timers do.
    m_slideShow = new SlideShow(window);
    connect(m_slideShow, &SlideShow::pictureLoaded, picture,
            [picture](const QImage& image) { picture->setPixmap(QPixmap::fromImage(image)); });
    picture->setCursor(Qt::PointingHandCursor);
    picture->installEventFilter(this);
}

void Appearance::buildPages(QTabWidget* pages)
{
    if (m_pages)
        return;
    m_pages = pages;
    // The editor starts from the window's own look, whatever scheme is on it.
    m_schemesPage = new SchemesPage(m_host, m_design, pages->widget(kSchemesPage));
    putOnPage(pages->widget(kSchemesPage), m_schemesPage);
    connect(m_schemesPage, &SchemesPage::applyRequested, this, &Appearance::ApplyScheme);
    m_slidesPage = new SlidesPage(m_host, pages->widget(kSlidesPage));
    putOnPage(pages->widget(kSlidesPage), m_slidesPage);
    connect(pages, &QTabWidget::currentChanged, this,
            [this] { ErrorHandler::guard([this] { PageControl1Change(); }); });
}

void Appearance::paintLateSection(QGroupBox* box) const
{
    // Without a scheme the controls keep the fonts their section gave them.
    if (m_schemeApplied)
        SchemeLooks::paintSection(box, m_current);
}

void Appearance::apply(const SchemeLook& look)
{
    SchemeLooks::apply(m_window, look);
    m_current = look;
    m_schemeApplied = true;
    emit mainFontChanged(look.mainFont);
}

void Appearance::applyStoredScheme()
{
    try {
        const SchemeStore store(m_host.database().ColorsTable);
        if (const std::optional<ColourScheme> scheme = store.firstNamed(m_host.settings().skin))
            apply(ColourSchemes::lookOf(*scheme, m_current));
    } catch (...) {
        // The window keeps the look it has.
    }
}

void Appearance::ApplyScheme()
{
    apply(m_schemesPage->editorLook());
}

void Appearance::SlideSetUp()
{
    m_slideShow->SlideSetUp(m_host.settings());
    // The design picture stays until the slide set-up finds one of its own.
    if (m_picture->pixmap().isNull()) {
        const QImage design = SlideShow::loadPicture(
            m_host.settings().programFolder + QStringLiteral("Images/") + QLatin1String(kDesignPicture));
        if (!design.isNull())
            m_picture->setPixmap(QPixmap::fromImage(design));
    }
}

void Appearance::readSlidePage(Settings::Record& settings) const
{
    if (m_slidesPage)
        m_slidesPage->readInto(settings);
}

void Appearance::PageControl1Change()
{
    switch (m_pages->currentIndex()) {
    case kSchemesPage:
        m_schemesPage->fill();
        break;
    case kSlidesPage:
        m_slidesPage->fill(m_host.settings());
        break;
    default:
        break;
    }
}

void Appearance::Image1Click()
{
    // Showing the section builds its pages.
    m_host.showSection(kSettingsSection);
    if (!m_pages)
        return;
    {
        const QSignalBlocker quiet(m_pages);
        m_pages->setCurrentIndex(kSlidesPage);
    }
    PageControl1Change();
}

bool Appearance::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture && event->type() == QEvent::MouseButtonRelease) {
        const auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton && m_picture->rect().contains(click->position().toPoint())) {
            ErrorHandler::guard([this] { Image1Click(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
