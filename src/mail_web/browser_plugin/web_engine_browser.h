#pragma once

#include "browser_engine.h"

#include <QObject>

// The browser engine on QtWebEngine: the one part of the program that links it.
class WebEngineBrowser : public QObject, public BrowserEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuillBrowserEngine_iid)
    Q_INTERFACES(BrowserEngine)

public:
    std::unique_ptr<BrowserView> createView(QWidget* parent) override;
};
