#include "task_window.h"

#include "error_handler.h"
#include "file_dialogs.h"
#include "message_boxes.h"
#include "planner_look.h"
#include "planner_rules.h"
#include "slides_page.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

constexpr int kClientWidth = 650;
constexpr int kClientHeight = 363;

// Typing may not make a command longer than a hand-typed one may be, while a
// longer path put in by the program can still be shortened by hand.
class TypedLength : public QValidator
{
public:
    TypedLength(QLineEdit* box, int limit) : QValidator(box), m_limit(limit)
    {
        // The box already holds the new text while it is validated: the
        // text before the change is remembered here.
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
    }
    State validate(QString& input, int&) const override
    {
        return input.size() > m_limit && input.size() > m_before.size() ? Invalid : Acceptable;
    }

private:
    int m_limit;
    QString m_before;
};

} // namespace

TForm7::TForm7(QWidget* parent) : PlannerWindow(QSize(kClientWidth, kClientHeight), parent, Policy::Always)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Добавить задачу Windows"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(PlannerLook::gothic(15));
    PlannerLook::cream(this);

    StaticText1 = new QLabel(QStringLiteral("В назначенное время прорамма выполнит задачу. "), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    // Bold, of whatever family the window gets.
    QFont heading;
    heading.setBold(true);
    StaticText1->setFont(heading);

    const auto radio = [this](const char* objectName, const QString& caption, void (TForm7::*handler)()) {
        auto* button = new QRadioButton(caption, this);
        button->setObjectName(QLatin1String(objectName));
        connect(button, &QRadioButton::clicked, this, [this, handler] { (this->*handler)(); });
        return button;
    };
    RadioButton1 = radio("RadioButton1", QStringLiteral("Дефрагментация диска"), &TForm7::RadioButton1Click);
    RadioButton2 =
        radio("RadioButton2", QStringLiteral("Восстановление системы"), &TForm7::RadioButton2Click);
    RadioButton3 = radio("RadioButton3", QStringLiteral("Очистка диска"), &TForm7::RadioButton3Click);
    RadioButton4 = radio("RadioButton4", QStringLiteral("Установить вручную:"), &TForm7::RadioButton4Click);
    RadioButton1->setChecked(true);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setValidator(new TypedLength(Edit1, PlannerRules::kTypedCommandLength));
    Edit1->setEnabled(false);
    // A small button as wide as its text, in any font.
    Button1 = new QToolButton(this);
    Button1->setText(QStringLiteral("..."));
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QToolButton::clicked, this,
            [this] { ErrorHandler::guard([this] { Button1Click(); }); });

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    StaticText2 = new QLabel(
        QStringLiteral("Задачи используются для запуска нужных программ в определённое время"), this);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    StaticText2->setFrameShape(QFrame::StyledPanel);
    StaticText2->setWordWrap(true);
    StaticText2->setMargin(6);

    const PlannerLook::ButtonPair okCancel = PlannerLook::okCancelButtons(this, [this] { BitBtn1Click(); });
    BitBtn1 = okCancel.ok;
    BitBtn2 = okCancel.cancel;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 14, 20, 12);
    layout->setSpacing(8);
    layout->addWidget(StaticText1);
    for (QRadioButton* button : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        layout->addWidget(button);
    auto* commandRow = new QHBoxLayout;
    commandRow->setContentsMargins(22, 0, 0, 0);
    commandRow->addWidget(Edit1, 1);
    commandRow->addWidget(Button1);
    layout->addLayout(commandRow);
    layout->addWidget(buildMomentRow());
    auto* explanation = new QHBoxLayout;
    explanation->addWidget(Image1, 0, Qt::AlignTop);
    explanation->addWidget(StaticText2, 1);
    layout->addLayout(explanation);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);

    FormCreate();
}

QWidget* TForm7::buildMomentRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(2);
    auto* caption = new QLabel(QStringLiteral("Дата/Время:"), row);
    DateTimePicker1 = PlannerLook::datePicker("DateTimePicker1", row);
    caption->setBuddy(DateTimePicker1);
    Edit2 = PlannerLook::numberBox("Edit2", QStringLiteral("12"), row);
    UpDown1 = PlannerLook::arrowsFor(Edit2, "UpDown1", 23, row);
    Edit3 = PlannerLook::numberBox("Edit3", QStringLiteral("0"), row);
    UpDown2 = PlannerLook::arrowsFor(Edit3, "UpDown2", 59, row);
    connect(Edit2, &QLineEdit::textChanged, this, &TForm7::Edit2Change);
    connect(Edit3, &QLineEdit::textChanged, this, &TForm7::Edit3Change);
    layout->addWidget(caption);
    layout->addSpacing(8);
    layout->addWidget(DateTimePicker1);
    layout->addSpacing(12);
    layout->addWidget(Edit2);
    layout->addWidget(UpDown1);
    layout->addSpacing(4);
    layout->addWidget(new QLabel(QStringLiteral(":"), row));
    layout->addSpacing(4);
    layout->addWidget(Edit3);
    layout->addWidget(UpDown2);
    layout->addStretch();
    return row;
}

void TForm7::FormCreate()
{
    m_commands = PlannerRules::readyMadeCommands(PlannerRules::windowsDirectory());
    Edit1->setText(m_commands.first());
}

void TForm7::choose(int readyMade)
{
    Edit1->setEnabled(false);
    Edit1->setText(m_commands.value(readyMade));
}

void TForm7::RadioButton4Click()
{
    Edit1->setEnabled(true);
    Edit1->setFocus();
}

void TForm7::Button1Click()
{
    // Programs on this system mostly have no extension: all files come second.
    const QString picked = FileDialogs::openFileName(this, QStringLiteral("Открыть"),
                                                     kFilter + QStringLiteral("|Все файлы (*)|*"));
    if (!picked.isEmpty())
        Edit1->setText(picked);
}

void TForm7::fill(const QString& command, const QDateTime& moment)
{
    RadioButton4->setChecked(true);
    Edit1->setEnabled(true);
    Edit1->setText(command);
    DateTimePicker1->setDate(moment.date());
    Edit2->setText(QString::number(moment.time().hour()));
    Edit3->setText(QString::number(moment.time().minute()));
}

QString TForm7::command() const
{
    return Edit1->text();
}

QDateTime TForm7::moment() const
{
    return PlannerRules::momentOf(DateTimePicker1->date(), Edit2->text().toInt(), Edit3->text().toInt());
}

void TForm7::Edit2Change()
{
    PlannerLook::keepInRange(Edit2, UpDown1, 23, 12);
}

void TForm7::Edit3Change()
{
    PlannerLook::keepInRange(Edit3, UpDown2, 59, 0);
}

void TForm7::BitBtn1Click()
{
    if (Edit1->text().size() > PlannerRules::kTaskFileLength) {
        MessageBoxes::errorBox(
            QStringLiteral("Путь к программе длиннее %1 символов и не может быть сохранён. "
                           "Выберите программу с более коротким путём.")
                .arg(PlannerRules::kTaskFileLength));
        Edit1->setFocus();
        return;
    }
    accept();
}
