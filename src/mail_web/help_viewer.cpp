#include "help_viewer.h"

#include "help_pages.h"
#include "shell.h"

#include <QDir>
#include <QFileInfo>
#include <QVBoxLayout>

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(QStringLiteral("WebBrowser1"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // The pages bring their own colours; a scheme's palette must not make them unreadable.
    QPalette paper = palette();
    paper.setColor(QPalette::Base, Qt::white);
    paper.setColor(QPalette::Text, Qt::black);
    setPalette(paper);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::follow);
}

bool HelpBrowser::isInsideRoot(const QUrl& url) const
{
    if (!url.isLocalFile() || m_root.isEmpty())
        return false;
    const QString root = QFileInfo(m_root).canonicalFilePath();
    const QString file = QFileInfo(url.toLocalFile()).canonicalFilePath();
    return !root.isEmpty() && !file.isEmpty() && file.startsWith(root + QLatin1Char('/'));
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    // Pictures, style sheets and pages come from the help folder and nowhere else.
    const QUrl url = source().resolved(name);
    if (!isInsideRoot(url))
        return {};
    return QTextBrowser::loadResource(type, url);
}

void HelpBrowser::follow(const QUrl& link)
{
    const QUrl url = source().resolved(link);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        Shell::open(url.toString());
        return;
    }
    if (isInsideRoot(url))
        setSource(url);
}

TForm10::TForm10(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm10"));
    resize(669, 490);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    WebBrowser1 = new HelpBrowser(this);
    layout->addWidget(WebBrowser1);
}

void TForm10::showPage(const QString& file)
{
    WebBrowser1->setRoot(QFileInfo(file).absolutePath());
    WebBrowser1->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    setWindowTitle(HelpPages::kViewerCaption);
}
