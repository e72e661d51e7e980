#include "diary_section.h"

#include "clock.h"
#include "date_formats.h"
#include "error_handler.h"
#include "master_password_window.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "notes_store.h"
#include "record_cipher.h"
#include "section_host.h"
#include "sealed_value.h"
#include "wait_cursor.h"

#include "section_buttons.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

using SectionButtons::button;
using SectionButtons::onClick;

constexpr int kHelpPage = 22;

// A multi-line box that refuses what would take its text past the limit:
// typed characters, pasted or dropped text, input-method commits.
class LimitedPlainTextEdit : public QPlainTextEdit
{
public:
    LimitedPlainTextEdit(int limit, QWidget* parent) : QPlainTextEdit(parent), m_limit(limit) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const QString typed = event->text();
        const bool adds = !typed.isEmpty() && (typed.at(0).isPrint() || typed.at(0) == QLatin1Char('\r') ||
                                               typed.at(0) == QLatin1Char('\t'));
        if (adds && room() < typed.size()) {
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        if (!source->hasText())
            return;
        const QString text = source->text().left(qMax(0, room()));
        if (!text.isEmpty())
            insertPlainText(text);
    }
    void inputMethodEvent(QInputMethodEvent* event) override
    {
        if (!event->commitString().isEmpty() && room() < event->commitString().size()) {
            QInputMethodEvent cut(event->preeditString(), event->attributes());
            cut.setCommitString(event->commitString().left(qMax(0, room())), event->replacementStart(),
                                event->replacementLength());
            QPlainTextEdit::inputMethodEvent(&cut);
            return;
        }
        QPlainTextEdit::inputMethodEvent(event);
    }

private:
    // What may still be added, counting the selection that typing replaces.
    int room() const { return m_limit - int(toPlainText().size()) + int(textCursor().selectedText().size()); }
    int m_limit;
};

QString pageLabel(const QDate& day)
{
    return QStringLiteral("Запись на ") + DateFormats::shortDate(day);
}

} // namespace

DiarySection::DiarySection(SectionHost& host, QGroupBox* box)
    : QObject(box), m_host(host), m_box(box), m_store(host.database())
{
    buildControls(box);
}

void DiarySection::buildControls(QGroupBox* box)
{
    Label19 = new QLabel(QStringLiteral("Запись на XX.XX.XXXX:"), box);
    Label19->setObjectName(QStringLiteral("Label19"));
    Label19->setGeometry(16, 32, 380, 26);

    DiaryRecord = new LimitedPlainTextEdit(DiaryStore::kPageLength, box);
    DiaryRecord->setObjectName(QStringLiteral("DiaryRecord"));
    DiaryRecord->setGeometry(16, 62, 396, 484);
    DiaryRecord->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DiaryRecord->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DiaryRecord->setTabChangesFocus(true);
    DiaryRecord->setAccessibleName(QStringLiteral("Страница дневника"));
    Label19->setBuddy(DiaryRecord);

    MonthCalendar2 = new QCalendarWidget(box);
    MonthCalendar2->setObjectName(QStringLiteral("MonthCalendar2"));
    MonthCalendar2->setGeometry(424, 62, 249, 210);
    MonthCalendar2->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthCalendar2->setFirstDayOfWeek(Qt::Monday);
    // Set to today as the section is made.
    moveCalendarTo(Clock::today());
    // Any change of the chosen day, by mouse or by keys, loads its page, so
    // the text box always shows the day the calendar names.
    connect(MonthCalendar2, &QCalendarWidget::selectionChanged, this,
            [this] { ErrorHandler::guard([this] { MonthCalendar2Click(); }); });

    Button16 = button(box, "Button16", QStringLiteral("Сохранить запись"), {424, 288, 249, 34});
    Button17 = button(box, "Button17", QStringLiteral("Очистить запись"), {424, 330, 249, 34});
    Button14 = button(box, "Button14", QStringLiteral("Заблокировать"), {424, 392, 249, 34});
    Button15 = button(box, "Button15", QStringLiteral("Сменить пароль"), {424, 434, 249, 34});
    Button13 = button(box, "Button13", QStringLiteral("?"), {637, 512, 36, 34});
    Button13->setToolTip(QStringLiteral("Справка"));
    Button13->setAccessibleName(QStringLiteral("Справка"));
    onClick(Button16, this, &DiarySection::Button16Click);
    onClick(Button17, this, &DiarySection::Button17Click);
    onClick(Button14, this, &DiarySection::Button14Click);
    onClick(Button15, this, &DiarySection::Button15Click);
    connect(Button13, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpPage); });
}

void DiarySection::moveCalendarTo(const QDate& day)
{
    const QSignalBlocker quiet(MonthCalendar2);
    MonthCalendar2->setSelectedDate(day);
}

void DiarySection::setLockedLook(bool locked)
{
    for (QWidget* control : std::initializer_list<QWidget*>{Button15, Button16, Button17, MonthCalendar2})
        control->setEnabled(!locked);
    Button14->setText(locked ? QStringLiteral("Разблокировать") : QStringLiteral("Заблокировать"));
}

void DiarySection::showSection()
{
    const QDate today = Clock::today();
    moveCalendarTo(today);
    if (m_store.isLocked()) {
        setLockedLook(true);
        m_locked = true;
        Label19->setText(pageLabel(today));
        return;
    }
    m_locked = false;
    setLockedLook(false);
    loadPage(today);
}

void DiarySection::loadPage(const QDate& day)
{
    DiaryRecord->clear();
    Label19->setText(pageLabel(day));
    if (const auto text = m_store.page(day))
        DiaryRecord->setPlainText(NotesStore::toDisplayLines(*text));
}

void DiarySection::MonthCalendar2Click()
{
    // While locked the pages are enciphered: there is nothing to read.
    if (m_locked)
        return;
    loadPage(MonthCalendar2->selectedDate());
}

void DiarySection::savePage()
{
    // Plain text must never land among enciphered pages.
    if (m_locked)
        return;
    QString error;
    if (!m_store.savePage(MonthCalendar2->selectedDate(),
                          NotesStore::toStoredLines(DiaryRecord->toPlainText()), &error))
        MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить страницу дневника:\r\n") + error);
}

void DiarySection::Button16Click()
{
    savePage();
}

void DiarySection::Button17Click()
{
    if (!MessageBoxes::askYesNo(QStringLiteral("Уведомление"),
                                QStringLiteral("Вы действительно хотите очистить эту страницу дневника?")))
        return;
    DiaryRecord->clear();
    savePage();
}

std::optional<DiaryStore::Key> DiarySection::askNewKey(Asked* outcome)
{
    *outcome = Asked::Cancelled;
    TForm12 window(m_box->window());
    m_host.prepareSecondary(window);
    window.useDiaryTexts();
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return std::nullopt;
    QString password = window.Edit1->text();
    window.Edit1->clear();
    window.Edit2->clear();
    if (password.isEmpty()) {
        *outcome = Asked::Empty;
        return std::nullopt;
    }
    QString error;
    std::optional<DiaryStore::Key> key;
    {
        const WaitCursor waiting;
        key = DiaryStore::newKey(password, &error);
    }
    SealedValue::wipe(password);
    if (!key) {
        *outcome = Asked::Failed;
        MessageBoxes::errorBox(QStringLiteral("Дневник не заблокирован:\r\n") + error);
        return std::nullopt;
    }
    *outcome = Asked::Key;
    return key;
}

void DiarySection::forgetKey()
{
    m_key.reset();
}

void DiarySection::lockWith(const DiaryStore::Key& key)
{
    QString error;
    bool locked = false;
    {
        const WaitCursor waiting;
        locked = m_store.lock(key, &error);
    }
    if (!locked) {
        MessageBoxes::errorBox(
            QStringLiteral("Не удалось заблокировать дневник; страницы остались как были:\r\n") + error);
        return;
    }
    setLockedLook(true);
    DiaryRecord->clear();
    m_locked = true;
    emit secretsRewritten();
}

void DiarySection::unlock()
{
    QString typed = MessageBoxes::inputText(QStringLiteral("Пароль"),
                                            QStringLiteral("Введите пароль для разблокировки дневника:"))
                        .value_or(QString());
    if (typed.isEmpty()) {
        MessageBoxes::errorBox(RecordCipher::kEmptyKeyMessage);
        return;
    }
    DiaryStore::Unlocked unlocked;
    {
        const WaitCursor waiting;
        unlocked = m_store.unlock(typed);
    }
    SealedValue::wipe(typed);
    switch (unlocked.verdict) {
    case MasterKey::Verdict::Wrong:
    case MasterKey::Verdict::OldForm: // carried over by unlock(); never left so
        MessageBoxes::errorBox(kWrongPassword);
        emit programMustEnd();
        return;
    case MasterKey::Verdict::Damaged:
    case MasterKey::Verdict::Failed:
        MessageBoxes::errorBox(QStringLiteral("Не удалось разблокировать дневник:\r\n") + unlocked.error);
        return;
    case MasterKey::Verdict::Opened:
        break;
    }
    m_key = std::move(unlocked.key);
    setLockedLook(false);
    m_locked = false;
    if (unlocked.carriedOver)
        emit secretsRewritten();
    // The calendar's day is shown at once: an empty box under its date would
    // wipe that day's page with the next save.
    loadPage(MonthCalendar2->selectedDate());
}

void DiarySection::Button14Click()
{
    if (m_locked) {
        unlock();
        return;
    }
    Asked outcome = Asked::Key;
    if (!m_key)
        m_key = askNewKey(&outcome);
    // Cancel or an empty password leaves no key: nothing is locked.
    if (!m_key) {
        if (outcome != Asked::Failed)
            MessageBoxes::errorBox(RecordCipher::kEmptyKeyMessage);
        return;
    }
    lockWith(*m_key);
    // Locked: the key is wiped; unlocking derives it again.
    if (m_locked)
        m_key.reset();
}

void DiarySection::Button15Click()
{
    if (m_locked)
        return;
    Asked outcome = Asked::Key;
    if (auto chosen = askNewKey(&outcome))
        m_key = std::move(chosen);
    if (outcome == Asked::Failed)
        return;
    // Cancel locks with the password in memory; an empty one locks nothing.
    if (outcome == Asked::Empty || !m_key) {
        // Right after the start, with no password, Cancel changes nothing.
        MessageBoxes::errorBox(RecordCipher::kEmptyKeyMessage);
        return;
    }
    lockWith(*m_key);
    if (m_locked)
        m_key.reset();
}
