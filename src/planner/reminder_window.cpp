#include "reminder_window.h"

#include "error_handler.h"
#include "message_boxes.h"
#include "planner_look.h"
#include "planner_rules.h"
#include "slides_page.h"
#include "smart_box.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kClientWidth = 561;
constexpr int kClientHeight = 148;
} // namespace

TForm5::TForm5(const RegistryStore& registry, QWidget* parent)
    : PlannerWindow(QSize(kClientWidth, kClientHeight), parent)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Добавить напоминание"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(PlannerLook::gothic(15));
    PlannerLook::cream(this);

    Label1 = new QLabel(QStringLiteral("Событие:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    EvName = new TSmartBox(registry, this);
    EvName->setObjectName(QStringLiteral("EvName"));
    EvName->setToolTip(QStringLiteral("Событие"));
    EvName->setEditText(QStringLiteral("Событие"));
    // The column holds no more; a longer text could not be stored whole.
    EvName->lineEdit()->setMaxLength(PlannerRules::kTextLength);
    Label1->setBuddy(EvName);

    Label2 = new QLabel(QStringLiteral("Дата/Время:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    DtPicker = PlannerLook::datePicker("DtPicker", this);
    Label2->setBuddy(DtPicker);
    Edit1 = PlannerLook::numberBox("Edit1", QStringLiteral("0"), this);
    UpDown1 = PlannerLook::arrowsFor(Edit1, "UpDown1", 23, this);
    Edit2 = PlannerLook::numberBox("Edit2", QStringLiteral("0"), this);
    UpDown2 = PlannerLook::arrowsFor(Edit2, "UpDown2", 59, this);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm5::Edit1Change);
    connect(Edit2, &QLineEdit::textChanged, this, &TForm5::Edit2Change);

    const PlannerLook::ButtonPair okCancel = PlannerLook::okCancelButtons(this, [this] { BitBtn1Click(); });
    BitBtn1 = okCancel.ok;
    BitBtn2 = okCancel.cancel;

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(EvName, 0, 1);
    grid->addWidget(Label2, 1, 0);
    auto* moment = new QHBoxLayout;
    moment->setSpacing(2);
    moment->addWidget(DtPicker, 1);
    moment->addSpacing(12);
    moment->addWidget(Edit1);
    moment->addWidget(UpDown1);
    auto* colon = new QLabel(QStringLiteral(":"), this);
    moment->addSpacing(4);
    moment->addWidget(colon);
    moment->addSpacing(4);
    moment->addWidget(Edit2);
    moment->addWidget(UpDown2);
    grid->addLayout(moment, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    grid->setRowStretch(2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void TForm5::fill(const QString& text, const QDateTime& moment)
{
    EvName->setEditText(text);
    DtPicker->setDate(moment.date());
    Edit1->setText(QString::number(moment.time().hour()));
    Edit2->setText(QString::number(moment.time().minute()));
}

QString TForm5::text() const
{
    return EvName->currentText();
}

QDateTime TForm5::moment() const
{
    return PlannerRules::momentOf(DtPicker->date(), Edit1->text().toInt(), Edit2->text().toInt());
}

void TForm5::Edit1Change()
{
    PlannerLook::keepInRange(Edit1, UpDown1, 23, 12);
}

void TForm5::Edit2Change()
{
    PlannerLook::keepInRange(Edit2, UpDown2, 59, 0);
}

void TForm5::showEvent(QShowEvent* event)
{
    PlannerWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        ErrorHandler::guard([this] { FormShow(); });
    }
}

void TForm5::FormShow()
{
    QString error;
    if (!EvName->Init(&error))
        MessageBoxes::errorBox(QStringLiteral("Не удалось прочитать историю событий:\r\n%1\r\n%2")
                                   .arg(EvName->historyPath(), error));
}

void TForm5::BitBtn1Click()
{
    const QString shown = EvName->currentText();
    QStringList entries;
    for (int i = 0; i < EvName->count(); ++i)
        entries.append(EvName->itemText(i));
    const QStringList kept = PlannerRules::withoutRepeats(entries);
    if (kept.size() != entries.size()) {
        EvName->clear();
        EvName->addItems(kept);
        EvName->setCurrentIndex(-1);
        EvName->setEditText(shown);
    }
    QString error;
    // The reminder is stored all the same: only the history is lost.
    if (!EvName->Accept(&error))
        MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить историю событий:\r\n%1\r\n%2")
                                   .arg(EvName->historyPath(), error));
    accept();
}
