#pragma once

#include "diary_store.h"

#include <QObject>
#include <QString>

class QCalendarWidget;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class SectionHost;

// The section "Дневник": one page of text per day, chosen in the month
// calendar. The whole diary can be locked with a password, which seals every
// page. While the diary is open, the key of its password is kept in locked
// memory for locking it again in this run; it is wiped at locking, when the
// window hides into the tray and when the program ends.
class DiarySection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiarySection)

public:
    inline static const QString kWrongPassword =
        QStringLiteral("Пароль для разбл") + QChar(u'o') + QStringLiteral("кировки дневника - неправильный!");

    DiarySection(SectionHost& host, QGroupBox* box);

    // The section switch's step: the locked look, or today's page with the
    // calendar moved to today, so that the text, its label and the calendar agree.
    void showSection();
    bool isLocked() const { return m_locked; }
    // Wipes the key kept for locking again: the next locking asks for a password.
    void forgetKey();

    void MonthCalendar2Click();
    void Button16Click(); // "Сохранить запись"
    void Button17Click(); // "Очистить запись"
    void Button14Click(); // "Заблокировать" / "Разблокировать"
    void Button15Click(); // "Сменить пароль"

    QLabel* Label19 = nullptr;
    QPlainTextEdit* DiaryRecord = nullptr;
    QCalendarWidget* MonthCalendar2 = nullptr;
    QPushButton* Button16 = nullptr;
    QPushButton* Button17 = nullptr;
    QPushButton* Button14 = nullptr;
    QPushButton* Button15 = nullptr;
    QPushButton* Button13 = nullptr;

signals:
    void helpRequested(int page);
    // A wrong password at unlocking: the program must end at once, saving nothing.
    void programMustEnd();
    // Pages were sealed anew or carried over: older copies of the profile must go.
    void secretsRewritten();

private:
    void buildControls(QGroupBox* box);
    void setLockedLook(bool locked);
    void loadPage(const QDate& day);
    void savePage();
    void lockWith(const DiaryStore::Key& key);
    void unlock();
    // The set-up window with the diary's texts and the key of the chosen
    // password; nullopt on Cancel, an empty password or a key that could not
    // be made (that one already said to the user).
    enum class Asked { Key, Cancelled, Empty, Failed };
    std::optional<DiaryStore::Key> askNewKey(Asked* outcome);
    void moveCalendarTo(const QDate& day);

    SectionHost& m_host;
    QGroupBox* m_box;
    DiaryStore m_store;
    std::optional<DiaryStore::Key> m_key;
    bool m_locked = false;
};
