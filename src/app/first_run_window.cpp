#include "first_run_window.h"

#include "addresses.h"
#include "error_handler.h"
#include "help_viewer.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "registry_store.h"
#include "settings.h"
#include "shell.h"
#include "system_info.h"

#include <QFileInfo>
#include <QLabel>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

namespace {
int fadeStepPause = 9;
}

TForm2::TForm2(RegistryStore& registry, QWidget* parent) : QDialog(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Logo"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(464, 286);
    setWindowOpacity(0.0);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(0, 0, 464, 286);
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap(QStringLiteral(":/icons/splash.png")));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { ErrorHandler::guard([this] { Timer1Timer(); }); });
    Timer1->start();
}

void TForm2::setFadeStepPause(int milliseconds)
{
    fadeStepPause = milliseconds;
}

void TForm2::Timer1Timer()
{
    for (int step = 0; step <= 255; ++step) {
        setWindowOpacity(step / 255.0);
        repaint();
        if (fadeStepPause > 0)
            QThread::msleep(fadeStepPause);
    }
    // The tick must never come again.
    delete Timer1;
    Timer1 = nullptr;

    // The splash stays on screen behind the information box; the modal
    // showing ends only once the handler is done.
    const auto endShowing = qScopeGuard([this] { done(QDialog::Accepted); });
    Settings::writeFirstRunDefaults(m_registry);
    MessageBoxes::information(QStringLiteral("Информация"),
                              QStringLiteral("Посетите наш сайт с целю проверки обновления программы"));
    const QString site = BuildAddresses::site();
    if (!site.isEmpty()) {
        Shell::open(site);
        return;
    }
    // A build without a web site shows its own page about the program.
    const QString page = HelpPages::pathOf(SystemInfo::programFolder(), Addresses::kAboutPage);
    if (!QFileInfo(page).isFile())
        return;
    TForm10 about(this);
    about.showPage(page);
    ModalWindows::exec(&about);
}
