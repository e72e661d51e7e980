// Help in the main window: the contents section, the viewer for one page,
// and F1 for the section on screen.
#include "main_window.h"

#include "build_addresses.h"
#include "help_pages.h"
#include "help_section.h"
#include "help_viewer.h"
#include "mail_section.h"
#include "message_boxes.h"
#include "modal_windows.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>

namespace {

// The sections that have a page, in the order F1 looks for the one on screen.
struct SectionPage
{
    const char* box;
    int page;
};
constexpr SectionPage kSectionPages[] = {
    {"GroupBox1", 5}, {"GroupBox2", 11}, {"Marks", 9},   {"GroupBox4", 12}, {"GroupBox5", 7},
    {"GroupBox6", 8}, {"GroupBox7", 13}, {"Config", 18}, {"PassBox", 20},   {"DiaryBox", 22},
};

} // namespace

void TForm1::buildHelpSection()
{
    m_help = new HelpSection(m_boxes.value(QStringLiteral("Help")));
    connect(m_help, &HelpSection::pageRequested, this, &TForm1::showHelpPage);
}

// The settings' "?" sits at the free end of the page tabs.
void TForm1::addSettingsHelpButton()
{
    auto* button = new QPushButton(QStringLiteral("?"), PageControl1);
    button->setObjectName(QStringLiteral("Button8"));
    button->setToolTip(QStringLiteral("Справка"));
    button->setAccessibleName(QStringLiteral("Справка о настройках"));
    button->setFixedWidth(32);
    PageControl1->setCornerWidget(button, Qt::TopRightCorner);
    connect(button, &QPushButton::clicked, this, [this] { showHelpPage(18); });
}

HelpSection* TForm1::helpSection() const
{
    buildNow(QStringLiteral("Help"));
    return m_help;
}

MailSection* TForm1::mailSection() const
{
    buildNow(QStringLiteral("GroupBox1"));
    return m_mail;
}

void TForm1::showHelpPage(int page)
{
    m_requestedHelpPage = page;
    if (page == -1)
        return;
    const QString file = HelpPages::pathOf(m_settings.programFolder, page);
    if (!QFileInfo(file).isFile()) {
        MessageBoxes::errorBox(HelpPages::kMissingPage);
        return;
    }
    TForm10 viewer(this);
    viewer.showPage(file);
    ModalWindows::exec(&viewer);
}

void TForm1::HelpTopicClick()
{
    for (const SectionPage& section : kSectionPages) {
        const QGroupBox* box = m_boxes.value(QLatin1String(section.box));
        if (box && !box->isHidden()) {
            showHelpPage(section.page);
            return;
        }
    }
}

void TForm1::prepareSupportLetter()
{
    const QString mailbox = BuildAddresses::supportMailbox();
    if (mailbox.isEmpty()) {
        MessageBoxes::information(QStringLiteral("Письмо в службу поддержки"),
                                  QStringLiteral("В этой сборке программы не указан адрес службы поддержки, "
                                                 "поэтому письмо в службу поддержки отправить некуда."));
        return;
    }
    m_mail->prepareSupportLetter(mailbox);
}
