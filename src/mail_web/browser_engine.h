#pragma once

#include <QString>
#include <QtPlugin>
#include <functional>
#include <memory>

class QWidget;

// The embedded browser lives in a module of its own (libquill_browser.so),
// loaded the first time the browser is shown: the program itself does not
// carry the web engine, so start-up stays light.
class BrowserView
{
public:
    virtual ~BrowserView() = default;
    virtual QWidget* widget() = 0;
    // The text as the user typed it: the engine decides how to read it.
    virtual void navigate(const QString& address) = 0;
    virtual bool canGoBack() const = 0;
    virtual bool canGoForward() const = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    // The address of the page shown.
    virtual QString locationUrl() const = 0;
    // Called on the main thread with the address of every completed navigation.
    std::function<void(const QString&)> navigateComplete;
};

class BrowserEngine
{
public:
    virtual ~BrowserEngine() = default;
    virtual std::unique_ptr<BrowserView> createView(QWidget* parent) = 0;
};

#define QuillBrowserEngine_iid "org.quillarbor.BrowserEngine/1.0"
Q_DECLARE_INTERFACE(BrowserEngine, QuillBrowserEngine_iid)
