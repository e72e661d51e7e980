#pragma once

#include <QDialog>
#include <QTextBrowser>

// The view of a help page: local files only. Nothing on the page runs, and
// nothing is fetched from the network; a web link opens in the default browser.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpBrowser)

public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // The folder whose files the pages may show and link to.
    void setRoot(const QString& folder) { m_root = folder; }
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void follow(const QUrl& link);
    bool isInsideRoot(const QUrl& url) const;

    QString m_root;
};

// The help viewer: one page in a small resizable window.
class TForm10 : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm10)

public:
    explicit TForm10(QWidget* parent = nullptr);

    void showPage(const QString& file);

    HelpBrowser* WebBrowser1 = nullptr;
};
