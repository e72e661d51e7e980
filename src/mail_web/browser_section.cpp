#include "browser_section.h"

#include "browser_engine.h"
#include "error_handler.h"

#include "section_buttons.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

// Exported by Qt's GUI library, declared only in its private headers.
void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

using SectionButtons::button;

// The web engine draws through an OpenGL context shared with Qt's own. Asked
// for at start, that sharing would open an OpenGL implementation at every
// start (tens of megabytes) for a browser most runs never show: it is set up
// here instead, just before the engine is first loaded.
void shareOpenGLContexts()
{
    if (QOpenGLContext::globalShareContext())
        return;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    auto* context = new QOpenGLContext(qApp);
    context->setFormat(QSurfaceFormat::defaultFormat());
    // Kept even where no OpenGL can be had (a display without it, offscreen):
    // the engine then finds the context invalid and composites in software.
    context->create();
    qt_gl_set_global_share_context(context);
}

} // namespace

BrowserSection::BrowserSection(QGroupBox* box, QString programFolder)
    : QObject(box), m_programFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("BrowserSection"));
    QStyle* style = box->style();
    BitBtn19 = button(box, "BitBtn19", QStringLiteral("Назад"), QRect(16, 26, 100, 30));
    BitBtn19->setIcon(style->standardIcon(QStyle::SP_ArrowBack));
    Edit7 = new QLineEdit(box);
    Edit7->setObjectName(QStringLiteral("Edit7"));
    Edit7->setGeometry(124, 28, 370, 26);
    Edit7->setAccessibleName(QStringLiteral("Адрес"));
    BitBtn22 = button(box, "BitBtn22", QStringLiteral("Go!"), QRect(502, 26, 60, 30));
    BitBtn20 = button(box, "BitBtn20", QStringLiteral("Вперед"), QRect(570, 26, 103, 30));
    BitBtn20->setIcon(style->standardIcon(QStyle::SP_ArrowForward));
    BitBtn20->setLayoutDirection(Qt::RightToLeft);

    WebBrowser1 = new QWidget(box);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(8, 64, 673, 489);
    auto* layout = new QVBoxLayout(WebBrowser1);
    layout->setContentsMargins(0, 0, 0, 0);

    const auto guarded = [this](void (BrowserSection::*handler)()) {
        return [this, handler] { ErrorHandler::guard([this, handler] { (this->*handler)(); }); };
    };
    connect(BitBtn19, &QPushButton::clicked, this, guarded(&BrowserSection::BitBtn19Click));
    connect(BitBtn20, &QPushButton::clicked, this, guarded(&BrowserSection::BitBtn20Click));
    connect(BitBtn22, &QPushButton::clicked, this, guarded(&BrowserSection::BitBtn22Click));
}

BrowserSection::~BrowserSection() = default;

QString BrowserSection::moduleFile(const QString& programFolder)
{
    return programFolder + QStringLiteral("libquill_browser.so");
}

bool BrowserSection::ensureEngine()
{
    if (m_view)
        return true;
    if (m_failed)
        return false;
    shareOpenGLContexts();
    QPluginLoader loader(moduleFile(m_programFolder));
    auto* engine = qobject_cast<BrowserEngine*>(loader.instance());
    if (engine)
        m_view = engine->createView(WebBrowser1);
    if (!m_view) {
        m_failed = true;
        auto* reason = new QLabel(QStringLiteral("Встроенный браузер недоступен: не удалось загрузить модуль "
                                                 "%1.\n%2")
                                      .arg(moduleFile(m_programFolder), loader.errorString()),
                                  WebBrowser1);
        reason->setObjectName(QStringLiteral("BrowserUnavailable"));
        reason->setWordWrap(true);
        reason->setAlignment(Qt::AlignCenter);
        WebBrowser1->layout()->addWidget(reason);
        return false;
    }
    // The module stays loaded for the rest of the run.
    m_view->navigateComplete = [this](const QString& address) {
        ErrorHandler::guard([this, address] { WebBrowser1NavigateComplete2(address); });
    };
    m_view->widget()->setObjectName(QStringLiteral("WebBrowser1View"));
    WebBrowser1->layout()->addWidget(m_view->widget());
    return true;
}

void BrowserSection::open(const QString& address)
{
    if (ensureEngine())
        m_view->navigate(address);
}

void BrowserSection::BitBtn19Click()
{
    if (!m_view || !m_view->canGoBack())
        return;
    m_view->goBack();
    Edit7->setText(m_view->locationUrl());
}

void BrowserSection::BitBtn20Click()
{
    if (m_view && m_view->canGoForward())
        m_view->goForward();
}

void BrowserSection::BitBtn22Click()
{
    // The text goes as typed: no scheme is added.
    open(Edit7->text());
}

void BrowserSection::WebBrowser1NavigateComplete2(const QString& address)
{
    Edit7->setText(address);
    emit navigated(address);
}
