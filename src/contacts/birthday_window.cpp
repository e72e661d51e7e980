#include "birthday_window.h"

#include "date_formats.h"
#include "modal_windows.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kClientWidth = 390;
constexpr int kClientHeight = 105;
} // namespace

TBirthDayForm::TBirthDayForm(QWidget* parent) : SkinnedDialog(parent)
{
    setObjectName(QStringLiteral("TBirthDayForm"));
    setWindowTitle(QStringLiteral("Напоминание о Дне Рождения"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/birthday.png")));
    Image1->setFixedSize(64, 64);
    Image1->setScaledContents(true);

    Label1 = new QLabel(QStringLiteral("День Рождения !"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont large = Label1->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    large.setBold(true);
    Label1->setFont(large);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    Label1->setPalette(red);

    InitialLabel = new QLabel(this);
    InitialLabel->setObjectName(QStringLiteral("InitialLabel"));
    Label3 = new QLabel(QStringLiteral("Сегодня:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    DayLabel = new QLabel(this);
    DayLabel->setObjectName(QStringLiteral("DayLabel"));
    DataLabel = new QLabel(this);
    DataLabel->setObjectName(QStringLiteral("DataLabel"));

    Button1 = new QPushButton(QStringLiteral("Далее ->"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TBirthDayForm::Button1Click);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    grid->addWidget(Image1, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1, 1, 3);
    grid->addWidget(InitialLabel, 1, 1, 1, 3);
    grid->addWidget(Label3, 2, 1);
    grid->addWidget(DayLabel, 2, 2);
    grid->addWidget(DataLabel, 2, 3, Qt::AlignRight);
    grid->addWidget(Button1, 3, 3, Qt::AlignRight);
    grid->setColumnStretch(2, 1);
}

void TBirthDayForm::fill(const Birthdays::Reminder& reminder, const QDate& today)
{
    InitialLabel->setText(reminder.names.surname + QLatin1Char(' ') + reminder.names.name + QLatin1Char(' ') +
                          reminder.names.patronymic);
    DayLabel->setText(DateFormats::shortDate(today).left(5));
    DataLabel->setText(DateFormats::moment(reminder.birthday));
}

namespace Birthdays {

void announce(const TableObject& book, const QDate& today, QWidget* parent)
{
    for (const Reminder& reminder : due(book, today)) {
        TBirthDayForm window(parent);
        window.fill(reminder, today);
        ModalWindows::exec(&window);
    }
}

} // namespace Birthdays
