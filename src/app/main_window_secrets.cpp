// The password bank and the diary in the main window: building them, their
// help buttons, and the end of the program on a wrong password.
#include "main_window.h"

#include "clock.h"
#include "diary_section.h"
#include "message_boxes.h"
#include "profile_backup.h"
#include "profile_database.h"
#include "secret_store.h"
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
    connect(m_passwords, &PasswordBankSection::secretsRewritten, this, &TForm1::forgetOldCopies);
    connect(m_diary, &DiarySection::secretsRewritten, this, &TForm1::forgetOldCopies);
}

void TForm1::forgetOldCopies()
{
    // Free space in the file may still hold what was written before the
    // values were sealed; a rebuilt file holds none.
    QString why;
    if (!m_database.compact(&why))
        qWarning("The profile could not be rebuilt after sealing: %s", qUtf8Printable(why));
    const QString folder = ProfileDatabase::profileFolder(m_settings.documentsFolder);
    const ProfileBackup::Outcome outcome = ProfileBackup::replaceDailyCopies(folder, Clock::today());
    if (!outcome.ok)
        MessageBoxes::warning(QStringLiteral("Предупреждение"),
                              QStringLiteral("Прежние ежедневные копии базы данных не заменены: %1").arg(outcome.error));
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

void TForm1::carryMailPasswordOver()
{
    const auto row = m_database.KeysTable.at(2);
    if (!m_database.isOpen() || !row || row->value(QStringLiteral("Ключ")).toString().isEmpty())
        return;
    QString why;
    if (!SecretStore::carryMailPasswordOver(m_registry, m_database, m_settings.myBoxes, &why))
        MessageBoxes::warning(QStringLiteral("Предупреждение"),
                              QStringLiteral("Пароль почтового ящика не перенесён из профиля: %1").arg(why));
    // Once it has left the profile, the copies must not keep it either.
    const auto after = m_database.KeysTable.at(2);
    if (after && after->value(QStringLiteral("Ключ")).toString().isEmpty())
        forgetOldCopies();
}

void TForm1::lockSecrets()
{
    if (m_passwords)
        m_passwords->lock();
    if (m_diary)
        m_diary->forgetKey();
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
