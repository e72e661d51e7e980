#include "web_engine_browser.h"

#include <QPointer>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class WebEngineView : public BrowserView
{
public:
    explicit WebEngineView(QWidget* parent) : m_view(new QWebEngineView(parent))
    {
        // Every navigation that completes, also of frames and within a page,
        // reports the address it ended at.
        QObject::connect(m_view->page(), &QWebEnginePage::loadingChanged, m_view,
                         [this](const QWebEngineLoadingInfo& info) {
                             if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus ||
                                 info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                                 report(info.url());
                         });
        QObject::connect(m_view, &QWebEngineView::urlChanged, m_view, [this](const QUrl& url) {
            // A move to a place within the page shown loads nothing and
            // completes at once; any other address is only asked for yet.
            const auto document = [](const QUrl& address) { return address.adjusted(QUrl::RemoveFragment); };
            if (!m_view->page()->isLoading() && !m_reported.isEmpty() && url != m_reported &&
                document(url) == document(m_reported))
                report(url);
        });
    }
    ~WebEngineView() override { delete m_view.data(); }

    QWidget* widget() override { return m_view; }
    void navigate(const QString& address) override { m_view->setUrl(QUrl::fromUserInput(address)); }
    bool canGoBack() const override { return m_view->history()->canGoBack(); }
    bool canGoForward() const override { return m_view->history()->canGoForward(); }
    void goBack() override { m_view->back(); }
    void goForward() override { m_view->forward(); }
    QString locationUrl() const override { return m_view->url().toString(); }

private:
    void report(const QUrl& url)
    {
        m_reported = url;
        if (navigateComplete)
            navigateComplete(url.toString());
    }

    QPointer<QWebEngineView> m_view;
    QUrl m_reported;
};

} // namespace

std::unique_ptr<BrowserView> WebEngineBrowser::createView(QWidget* parent)
{
    return std::make_unique<WebEngineView>(parent);
}
