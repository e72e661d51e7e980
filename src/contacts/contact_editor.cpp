#include "contact_editor.h"

#include "date_formats.h"
#include "error_handler.h"
#include "message_boxes.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int kClientWidth = 709;
constexpr int kClientHeight = 564;
constexpr int kMarkButtonSize = 28;

QString name(const char* text)
{
    return QLatin1String(text);
}

} // namespace

TForm4::TForm4(QWidget* parent) : SkinnedDialog(parent)
{
    setObjectName(name("TForm4"));
    setWindowTitle(QStringLiteral("Редактировать запись"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setDesignSize(QSize(kClientWidth, kClientHeight));
    QPalette cream = palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    setPalette(cream);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);
    layout->addLayout(buildFields());
    buildBirthdayGroup();
    layout->addWidget(GroupBox1);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(name("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Отмена"), this);
    BitBtn2->setObjectName(name("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    for (QPushButton* button : {BitBtn1, BitBtn2})
        button->setMinimumWidth(110);
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addStretch();
    layout->addLayout(buttons);
}

QGridLayout* TForm4::buildFields()
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    int row = 0;
    const auto markButton = [this](const char* objectName, const QString& caption,
                                   void (TForm4::*handler)()) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name(objectName));
        button->setFixedSize(kMarkButtonSize, kMarkButtonSize);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    using Handler = void (TForm4::*)();
    // The row's box, then its "-", then its "?": made in that order, so the
    // Tab key visits them in that order too.
    const auto addRow = [&](const QString& caption, QWidget* box, const char* dashName = nullptr,
                            Handler dashClick = nullptr, const char* questionName = nullptr,
                            Handler questionClick = nullptr) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        if (dashName) {
            QPushButton* dash = markButton(dashName, QStringLiteral("-"), dashClick);
            grid->addWidget(dash, row, 2);
            QPushButton* question = markButton(questionName, QStringLiteral("?"), questionClick);
            grid->addWidget(question, row, 3);
        }
        ++row;
    };
    const auto edit = [this](const char* objectName, int maxLength, const QString& text) {
        auto* box = new QLineEdit(text, this);
        box->setObjectName(name(objectName));
        if (maxLength > 0)
            box->setMaxLength(maxLength);
        return box;
    };

    Edit1 = edit("Edit1", Contacts::kFieldLength, QStringLiteral("Name or NickName"));
    addRow(QStringLiteral("Имя или Ник:"), Edit1, "Button1", &TForm4::Button1Click, "Button2",
           &TForm4::Button2Click);
    Edit2 = edit("Edit2", Contacts::kFieldLength, QStringLiteral("Surname or Index"));
    addRow(QStringLiteral("Фамилия или Индекс:"), Edit2, "Button3", &TForm4::Button3Click, "Button4",
           &TForm4::Button4Click);
    Edit3 = edit("Edit3", Contacts::kFieldLength, QStringLiteral("Father"));
    addRow(QStringLiteral("Отчество:"), Edit3, "Button5", &TForm4::Button5Click, "Button6",
           &TForm4::Button6Click);
    Edit4 = edit("Edit4", Contacts::kFieldLength, QStringLiteral("(0-00)00-00-00"));
    addRow(QStringLiteral("Телефон:"), Edit4, "Button7", &TForm4::Button7Click, "Button8",
           &TForm4::Button8Click);
    Edit11 = edit("Edit11", Contacts::kFieldLength, QStringLiteral("(0-00)00-00-00"));
    addRow(QStringLiteral("Телефон2:"), Edit11, "Button21", &TForm4::Button21Click, "Button22",
           &TForm4::Button22Click);
    Edit5 = edit("Edit5", Contacts::kFieldLength, QStringLiteral("name@example.com"));
    addRow(QStringLiteral("E-mail:"), Edit5, "Button9", &TForm4::Button9Click, "Button10",
           &TForm4::Button10Click);
    Edit6 = edit("Edit6", Contacts::kFieldLength, QStringLiteral("000-000-000"));
    addRow(QStringLiteral("ICQ#:"), Edit6, "Button11", &TForm4::Button11Click, "Button12",
           &TForm4::Button12Click);

    Edit7 = new QComboBox(this);
    Edit7->setObjectName(name("Edit7"));
    Edit7->setEditable(true);
    Edit7->setInsertPolicy(QComboBox::NoInsert);
    Edit7->addItems(Contacts::categories());
    Edit7->setCurrentIndex(0);
    addRow(QStringLiteral("Категория:"), Edit7, "Button13", &TForm4::Button13Click, "Button14",
           &TForm4::Button14Click);

    // The column holds no more than this; a longer comment could not be stored whole.
    Edit8 = edit("Edit8", Contacts::kCommentLength, QString());
    addRow(QStringLiteral("Комментарий:"), Edit8);

    return grid;
}

void TForm4::buildBirthdayGroup()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Дата рождения"), this);
    GroupBox1->setObjectName(name("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(2, 1);

    Edit9 = new QLineEdit(QStringLiteral("01.01.1980"), GroupBox1);
    Edit9->setObjectName(name("Edit9"));
    Edit9->setMinimumWidth(180);
    auto* dateLabel = new QLabel(QStringLiteral("Дата:"), GroupBox1);
    dateLabel->setBuddy(Edit9);
    grid->addWidget(dateLabel, 0, 0);
    grid->addWidget(Edit9, 0, 1);

    CheckBox1 = new QCheckBox(QStringLiteral("Напоминать о дне рождения за неделю"), GroupBox1);
    CheckBox1->setObjectName(name("CheckBox1"));
    grid->addWidget(CheckBox1, 1, 0, 1, 3);

    StaticText1 = new QLabel(
        QStringLiteral("Программа автоматически напомнит о дне рождения контактного лица"), GroupBox1);
    StaticText1->setObjectName(name("StaticText1"));
    StaticText1->setWordWrap(true);
    grid->addWidget(StaticText1, 2, 0, 1, 3);
}

void TForm4::mark(QLineEdit* box, const QString& text)
{
    box->setText(text);
}

void TForm4::mark(QComboBox* box, const QString& text)
{
    // A text put in drops the chosen category.
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

int TForm4::chosenCategory() const
{
    const int position = Edit7->findText(Edit7->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    return position + 1;
}

void TForm4::fill(const Contact& contact)
{
    Edit1->setText(contact.name);
    Edit2->setText(contact.surname);
    Edit3->setText(contact.patronymic);
    Edit4->setText(contact.phone1);
    Edit11->setText(contact.phone2);
    Edit5->setText(contact.mail);
    Edit6->setText(contact.icq);
    CheckBox1->setChecked(contact.remind);
    Edit9->setText(contact.birthday.isValid() ? DateFormats::moment(contact.birthday) : QString());
    const int position = contact.category - 1;
    if (position >= 0 && position < Edit7->count()) {
        Edit7->setCurrentIndex(position);
    } else {
        Edit7->setCurrentIndex(-1);
        Edit7->setEditText(QString());
    }
    Edit8->setText(contact.comment);
}

Contact TForm4::contact() const
{
    Contact result;
    result.name = Edit1->text();
    result.surname = Edit2->text();
    result.patronymic = Edit3->text();
    result.phone1 = Edit4->text();
    result.phone2 = Edit11->text();
    result.mail = Edit5->text();
    result.icq = Edit6->text();
    result.category = chosenCategory();
    result.comment = Edit8->text();
    result.remind = CheckBox1->isChecked();
    result.birthday = Contacts::readMoment(Edit9->text()).value_or(QDateTime());
    return result;
}

void TForm4::BitBtn1Click()
{
    for (QLineEdit* box : {Edit1, Edit2, Edit3})
        if (box->text().isEmpty())
            box->setText(kEmptyMark);
    if (!Contacts::readMoment(Edit9->text())) {
        MessageBoxes::critical(QStringLiteral("Ошибка!"), kDateMessage);
        Edit9->setFocus();
        Edit9->selectAll();
        return;
    }
    accept();
}
