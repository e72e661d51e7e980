#include "password_bank_section.h"

#include "error_handler.h"
#include "master_password_window.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "password_grid_model.h"
#include "record_cipher.h"
#include "sealed_value.h"
#include "section_host.h"
#include "wait_cursor.h"

#include "section_buttons.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

namespace {

using SectionButtons::button;
using SectionButtons::onClick;

constexpr int kHelpPage = 20;
const QString kNoAccount = QStringLiteral("Выберите учётную запись в списке.");

// The grid's editors admit no more than the fields hold.
class LimitedDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(PasswordBank::kFieldLength);
        return editor;
    }
};

} // namespace

PasswordBankSection::PasswordBankSection(SectionHost& host, QGroupBox* box)
    : QObject(box), m_host(host), m_box(box), m_bank(host.database()),
      m_model(new PasswordGridModel(m_bank, this))
{
    buildControls(box);
    lock();
    // Leaving the section takes the shown password off the screen.
    box->installEventFilter(this);
}

void PasswordBankSection::buildControls(QGroupBox* box)
{
    Label18 = new QLabel(QStringLiteral("Главный пароль:"), box);
    Label18->setObjectName(QStringLiteral("Label18"));
    Label18->setGeometry(16, 36, 170, 28);
    InputPrimaryPass = new QLineEdit(box);
    InputPrimaryPass->setObjectName(QStringLiteral("InputPrimaryPass"));
    InputPrimaryPass->setEchoMode(QLineEdit::Password);
    InputPrimaryPass->setGeometry(190, 36, 320, 28);
    InputPrimaryPass->setAccessibleName(QStringLiteral("Главный пароль"));
    Label18->setBuddy(InputPrimaryPass);
    // Enter in the field unlocks, as the button does.
    connect(InputPrimaryPass, &QLineEdit::returnPressed, this,
            [this] { ErrorHandler::guard([this] { BitBtn8Click(); }); });

    BitBtn8 = button(box, "BitBtn8", QString(), {518, 33, 40, 34});
    BitBtn8->setIcon(QIcon(QStringLiteral(":/icons/vault/padlock.png")));
    BitBtn8->setIconSize(QSize(24, 24));
    BitBtn8->setToolTip(QStringLiteral("Разблокировать\\Заблокировать"));
    BitBtn8->setAccessibleName(QStringLiteral("Разблокировать\\Заблокировать"));
    onClick(BitBtn8, this, &PasswordBankSection::BitBtn8Click);

    DBGrid3 = new QTableView(box);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setGeometry(16, 80, 657, 360);
    DBGrid3->setModel(m_model);
    DBGrid3->setItemDelegate(new LimitedDelegate(DBGrid3));
    DBGrid3->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid3->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid3->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid3->verticalHeader()->setDefaultSectionSize(24);
    DBGrid3->verticalHeader()->setFixedWidth(14);
    DBGrid3->setAccessibleName(QStringLiteral("Учётные записи"));
    connect(DBGrid3, &QTableView::clicked, this,
            [this] { ErrorHandler::guard([this] { DBGrid3CellClick(); }); });
    connect(DBGrid3, &QTableView::activated, this,
            [this] { ErrorHandler::guard([this] { DBGrid3CellClick(); }); });
    // A row's edits are posted when another row becomes current.
    connect(DBGrid3->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex& previous) {
                if (m_model->hasPending() && m_model->pendingRow() == previous.row())
                    ErrorHandler::guard([this] { postEdits(); });
            });
    connect(m_model, &PasswordGridModel::postFailed, this, [](const QString& error) {
        MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить изменения учётной записи:\r\n") + error);
    });

    PassLabel = new QLabel(QStringLiteral("Пароль: "), box);
    PassLabel->setObjectName(QStringLiteral("PassLabel"));
    PassLabel->setGeometry(16, 448, 657, 28);
    // Bold in whatever font the colour scheme gives the section.
    PassLabel->setStyleSheet(QStringLiteral("font-weight: bold"));
    PassLabel->setTextFormat(Qt::PlainText);
    // Never selectable: a selection would put the password into the primary
    // selection, where any program reads it.
    PassLabel->setTextInteractionFlags(Qt::NoTextInteraction);

    AddPass = button(box, "AddPass", QStringLiteral("Добавить"), {16, 496, 150, 34});
    CopyPass = button(box, "CopyPass", QStringLiteral("Скопировать"), {174, 496, 150, 34});
    DelPass = button(box, "DelPass", QStringLiteral("Удалить"), {332, 496, 150, 34});
    Button11 = button(box, "Button11", QStringLiteral("?"), {637, 496, 36, 34});
    Button11->setToolTip(QStringLiteral("Справка"));
    Button11->setAccessibleName(QStringLiteral("Справка"));
    onClick(AddPass, this, &PasswordBankSection::AddPassClick);
    onClick(CopyPass, this, &PasswordBankSection::CopyPassClick);
    onClick(DelPass, this, &PasswordBankSection::DelPassClick);
    connect(Button11, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpPage); });

    PopupMenu3 = new QMenu(box);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    N22 = PopupMenu3->addAction(QStringLiteral("Логин"));
    N22->setObjectName(QStringLiteral("N22"));
    N23 = PopupMenu3->addAction(QStringLiteral("Пароль"));
    N23->setObjectName(QStringLiteral("N23"));
    connect(N22, &QAction::triggered, this, [this] { ErrorHandler::guard([this] { N22Click(); }); });
    connect(N23, &QAction::triggered, this, [this] { ErrorHandler::guard([this] { N23Click(); }); });

    ClipboardTimer = new QTimer(this);
    ClipboardTimer->setObjectName(QStringLiteral("ClipboardTimer"));
    ClipboardTimer->setSingleShot(true);
    ClipboardTimer->setInterval(kClipboardMilliseconds);
    connect(ClipboardTimer, &QTimer::timeout, this,
            [this] { ErrorHandler::guard([this] { ClipboardTimerTimer(); }); });
}

void PasswordBankSection::fitColumns()
{
    // The grid's widths are counted in characters of its font.
    const int character = DBGrid3->fontMetrics().averageCharWidth();
    DBGrid3->setColumnWidth(0, 25 * character + 8);
    DBGrid3->setColumnWidth(1, 30 * character + 8);
}

bool PasswordBankSection::isOpen() const
{
    return AddPass->isEnabled();
}

std::optional<QString> PasswordBankSection::askNewPassword()
{
    TForm12 window(m_box->window());
    m_host.prepareSecondary(window);
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return std::nullopt;
    return window.Edit1->text();
}

void PasswordBankSection::showSection()
{
    fitColumns();
    if (!m_bank.hasMasterPassword()) {
        if (auto chosen = askNewPassword()) {
            QString error;
            const WaitCursor waiting;
            const bool stored = m_bank.setMasterPassword(*chosen, &error);
            SealedValue::wipe(*chosen);
            if (!stored)
                MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить главный пароль:\r\n") + error);
        }
    }
    lock();
}

void PasswordBankSection::postEdits()
{
    QString error;
    if (!m_model->postPending(&error))
        MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить изменения учётной записи:\r\n") + error);
}

void PasswordBankSection::lock()
{
    // Leaving the current cell commits an edit still open in it; then the
    // row is posted and the list closes.
    DBGrid3->setCurrentIndex(QModelIndex());
    postEdits();
    m_model->close();
    m_key.wipe();
    for (QPushButton* command : {AddPass, CopyPass, DelPass})
        command->setEnabled(false);
    InputPrimaryPass->clear();
    InputPrimaryPass->setPlaceholderText(QString());
    InputPrimaryPass->setEnabled(true);
    PassLabel->clear();
    if (!m_copiedPassword.isEmpty())
        ClipboardTimerTimer();
}

void PasswordBankSection::BitBtn8Click()
{
    if (isOpen()) {
        lock();
        return;
    }
    QString typed = InputPrimaryPass->text();
    if (typed.isEmpty()) {
        MessageBoxes::errorBox(RecordCipher::kEmptyKeyMessage);
        return;
    }
    PasswordBank::Unlocked unlocked;
    {
        const WaitCursor waiting;
        unlocked = m_bank.unlock(typed);
    }
    switch (unlocked.verdict) {
    case MasterKey::Verdict::Wrong:
    case MasterKey::Verdict::OldForm: // carried over by unlock(); never left so
        MessageBoxes::errorBox(kWrongPassword);
        return;
    case MasterKey::Verdict::Damaged:
    case MasterKey::Verdict::Failed:
        MessageBoxes::errorBox(QStringLiteral("Банк паролей не открыт:\r\n") + unlocked.error);
        return;
    case MasterKey::Verdict::Opened:
        break;
    }
    m_key = std::move(unlocked.key);
    SealedValue::wipe(typed);
    // The key serves from now on: the typed password leaves the field.
    InputPrimaryPass->clear();
    InputPrimaryPass->setPlaceholderText(QStringLiteral("Банк открыт"));
    m_model->open(m_key);
    fitColumns();
    for (QPushButton* command : {AddPass, CopyPass, DelPass})
        command->setEnabled(true);
    InputPrimaryPass->setEnabled(false);
    if (m_model->rowCount() > 0)
        DBGrid3->setCurrentIndex(m_model->index(0, 0));
    DBGrid3->setFocus();
    if (unlocked.carriedOver)
        emit secretsRewritten();
    reportDamagedRows();
}

void PasswordBankSection::reportDamagedRows()
{
    const int damaged = m_model->damagedCount();
    if (damaged == 0)
        return;
    MessageBoxes::errorBox(
        QStringLiteral("Учётных записей, которые не открываются этим паролем (повреждены в файле профиля): %1.\r\n"
                       "Они оставлены как есть; остальные записи доступны.")
            .arg(damaged));
}

qint64 PasswordBankSection::currentKey() const
{
    const QModelIndex current = DBGrid3->currentIndex();
    return current.isValid() ? m_model->keyAt(current.row()) : 0;
}

void PasswordBankSection::AddPassClick()
{
    postEdits();
    const int limit = PasswordBank::kFieldLength;
    const QString container = MessageBoxes::inputText(QStringLiteral("Принадлежность пароля"),
                                                      QStringLiteral("Принадлежность"), {}, limit)
                                  .value_or(QString());
    const QString login =
        MessageBoxes::inputText(QStringLiteral("Ваш логин:"), QStringLiteral("Логин"), {}, limit)
            .value_or(QString());
    const QString password =
        MessageBoxes::inputText(QStringLiteral("Пароль"), QStringLiteral("Пароль"), {}, limit)
            .value_or(QString());
    qint64 key = 0;
    QString error;
    if (!m_bank.add(container, login, password, m_key, &key, &error)) {
        MessageBoxes::errorBox(QStringLiteral("Не удалось добавить учётную запись:\r\n") + error);
        return;
    }
    m_model->reload();
    DBGrid3->setCurrentIndex(m_model->index(m_model->rowOfKey(key), 0));
}

void PasswordBankSection::DBGrid3CellClick()
{
    const qint64 key = currentKey();
    if (key == 0)
        return;
    const auto plain = m_bank.passwordOf(key, m_key);
    if (!plain) {
        PassLabel->setText(QStringLiteral("Пароль: (запись повреждена и не открывается)"));
        return;
    }
    PassLabel->setText(QStringLiteral("Пароль: ") + *plain);
}

void PasswordBankSection::CopyPassClick()
{
    PopupMenu3->popup(QCursor::pos());
}

void PasswordBankSection::N22Click()
{
    const auto account = m_bank.account(currentKey(), m_key);
    if (!account || account->damaged) {
        MessageBoxes::errorBox(kNoAccount);
        return;
    }
    QApplication::clipboard()->setText(account->login);
    m_host.setStatusMessage(QStringLiteral("Логин скопирован в буфер обмена!"));
}

void PasswordBankSection::N23Click()
{
    const qint64 key = currentKey();
    const auto plain = key ? m_bank.passwordOf(key, m_key) : std::nullopt;
    if (!plain) {
        MessageBoxes::errorBox(kNoAccount);
        return;
    }
    // Marked as a secret, so that clipboard managers keep it out of their history.
    auto* data = new QMimeData;
    data->setText(*plain);
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    QApplication::clipboard()->setMimeData(data);
    m_copiedPassword = *plain;
    ClipboardTimer->start();
    m_host.setStatusMessage(QStringLiteral("Пароль скопирован в буфер обмена!"));
}

void PasswordBankSection::ClipboardTimerTimer()
{
    ClipboardTimer->stop();
    QString copied = std::exchange(m_copiedPassword, QString());
    QClipboard* clipboard = QApplication::clipboard();
    // Whatever the user copied since is left alone.
    const bool stillThere = clipboard->text() == copied;
    SealedValue::wipe(copied);
    if (!stillThere)
        return;
    clipboard->clear();
    m_host.setStatusMessage(QStringLiteral("Пароль удалён из буфера обмена"));
}

void PasswordBankSection::DelPassClick()
{
    postEdits();
    const qint64 key = currentKey();
    if (key == 0) {
        MessageBoxes::errorBox(kNoAccount);
        return;
    }
    if (!MessageBoxes::askYesNo(QStringLiteral("ВНИМАНИЕ"),
                                QStringLiteral("Вы действительно хотите удалить учётную запись?")))
        return;
    const int row = DBGrid3->currentIndex().row();
    QString error;
    if (!m_bank.remove(key, &error)) {
        MessageBoxes::errorBox(QStringLiteral("Не удалось удалить учётную запись:\r\n") + error);
        return;
    }
    PassLabel->clear();
    m_model->reload();
    if (m_model->rowCount() > 0)
        DBGrid3->setCurrentIndex(m_model->index(qMin(row, m_model->rowCount() - 1), 0));
}

void PasswordBankSection::Button12Click()
{
    postEdits();
    QString old = MessageBoxes::inputText(QStringLiteral("Ввод:"),
                                                QStringLiteral("Введите СТАРЫЙ пароль для банка паролей:"))
                            .value_or(QString());
    if (old.isEmpty()) {
        MessageBoxes::errorBox(RecordCipher::kEmptyKeyMessage);
        return;
    }
    MasterKey::Checked checked;
    {
        const WaitCursor waiting;
        checked = m_bank.check(old);
    }
    if (checked.verdict == MasterKey::Verdict::Damaged || checked.verdict == MasterKey::Verdict::Failed) {
        MessageBoxes::errorBox(QStringLiteral("Главный пароль не изменён:\r\n") + checked.error);
        return;
    }
    if (checked.verdict == MasterKey::Verdict::Wrong) {
        MessageBoxes::errorBox(kWrongPassword);
        emit programMustEnd();
        return;
    }
    if (auto chosen = askNewPassword()) {
        QString error;
        bool changed = false;
        {
            const WaitCursor waiting;
            changed = m_bank.changeMasterPassword(checked, old, *chosen, &error);
        }
        SealedValue::wipe(*chosen);
        if (changed) {
            emit secretsRewritten();
            MessageBoxes::successBox(QStringLiteral("Пароль изменен!"));
        } else {
            MessageBoxes::errorBox(
                QStringLiteral(
                    "Не удалось сменить главный пароль; прежний пароль и записи остались как были:\r\n") +
                error);
        }
    }
    lock();
}

bool PasswordBankSection::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box && event->type() == QEvent::Hide) {
        ErrorHandler::guard([this] { postEdits(); });
        PassLabel->clear();
    }
    return QObject::eventFilter(watched, event);
}
