// The password bank and the diary in the main window: building them, their
// help buttons, and the end of the program on a wrong password.
#include "main_window.h"

#include "diary_section.h"
#include "password_bank_section.h"
#include "sections.h"
#include "tray_icon.h"

#include <QTimer>

void TForm1::buildSecretSections()
{
    m_passwords = new PasswordBankSection(*this, m_boxes.value(QStringLiteral("PassBox")));
    m_diary = new DiarySection(*this, m_boxes.value(QStringLiteral("DiaryBox")));
    connect(m_passwords, &PasswordBankSection::helpRequested, this, &TForm1::showHelpPage);
    connect(m_diary, &DiarySection::helpRequested, this, &TForm1::showHelpPage);
    connect(m_passwords, &PasswordBankSection::programMustEnd, this, &TForm1::endAtOnce);
    connect(m_diary, &DiarySection::programMustEnd, this, &TForm1::endAtOnce);
}

PasswordBankSection* TForm1::passwordBank() const
{
    buildNow(QStringLiteral("PassBox"));
    return m_passwords;
}

DiarySection* TForm1::diary() const
{
    buildNow(QStringLiteral("DiaryBox"));
    return m_diary;
}

void TForm1::lockSecrets()
{
    if (m_passwords)
        m_passwords->lock();
}

void TForm1::endAtOnce()
{
    // No settings are saved and nothing more is shown: the window goes, the
    // monitor stops, and the event loop ends.
    Timer1->stop();
    m_tray->resetPicture();
    hide();
    emit programEnded();
}
