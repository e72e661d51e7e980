#pragma once

#include <QObject>
#include <memory>

class BrowserView;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

// "Браузер": a small web browser inside the main window. The engine is
// loaded on the section's first showing.
class BrowserSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserSection)

public:
    BrowserSection(QGroupBox* box, QString programFolder);
    ~BrowserSection() override;

    static QString moduleFile(const QString& programFolder);

    // Shows the address in the browser; the engine is loaded first if need be.
    void open(const QString& address);
    // Loads the engine; false, with the reason shown in the section, when it cannot be.
    bool ensureEngine();
    BrowserView* view() const { return m_view.get(); }

    void BitBtn19Click();
    void BitBtn20Click();
    void BitBtn22Click();
    void WebBrowser1NavigateComplete2(const QString& address);

    QPushButton* BitBtn19 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QPushButton* BitBtn22 = nullptr;
    QPushButton* BitBtn20 = nullptr;
    // The place of the browser control; the control itself comes with the engine.
    QWidget* WebBrowser1 = nullptr;

signals:
    void navigated(const QString& address);

private:
    QString m_programFolder;
    std::unique_ptr<BrowserView> m_view;
    bool m_failed = false;
};
