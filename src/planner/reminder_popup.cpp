#include "reminder_popup.h"

#include "clock.h"
#include "date_formats.h"
#include "planner_look.h"
#include "sound.h"
#include "system_info.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kClientWidth = 432;
constexpr int kClientHeight = 210;
} // namespace

TForm9::TForm9(QWidget* parent) : PlannerWindow(QSize(kClientWidth, kClientHeight), parent)
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Напоминание"));
    // Above other programs' windows: a reminder is no use behind them.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFont(PlannerLook::gothic(20));
    PlannerLook::cream(this);

    Label1 = new QLabel(QStringLiteral("Сегодня: "), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    Event = new QLabel(QStringLiteral("СОБЫТИЕ"), this);
    Event->setObjectName(QStringLiteral("Event"));
    Event->setAlignment(Qt::AlignCenter);
    Event->setTextFormat(Qt::PlainText);
    Event->setWordWrap(true);
    QFont eventFont;
    eventFont.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                           QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")});
    eventFont.setPixelSize(23);
    Event->setFont(eventFont);
    QPalette red = Event->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        red.setColor(group, QPalette::WindowText, QColor(220, 0, 0));
    Event->setPalette(red);

    Label2 = new QLabel(QStringLiteral("Дата события:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));

    StaticText1 = new QLabel(QStringLiteral("Кнопка \"Отложить\" отложит напоминание на один день"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setFrameShape(QFrame::StyledPanel);
    StaticText1->setMargin(3);
    QFont small;
    small.setPixelSize(12);
    StaticText1->setFont(small);

    Button1 = new QPushButton(QStringLiteral("Отложить"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Отменить"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    // The pop-up stays on top of everything, so a stray Enter meant for
    // another window must never delete a reminder nobody read: Enter puts
    // it off, and only a click on "Отменить" deletes.
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, [this] { done(kPostpone); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(kDismiss); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->setSpacing(6);
    auto* top = new QHBoxLayout;
    top->addWidget(Label1, 1);
    top->addWidget(Image1);
    layout->addLayout(top);
    layout->addWidget(Event, 1);
    layout->addWidget(Label2);
    layout->addWidget(StaticText1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    FormCreate();
}

void TForm9::FormCreate()
{
    const QDateTime now = Clock::now();
    Label1->setText(QStringLiteral("Сегодня: ") + DateFormats::shortDate(now.date()) + QLatin1Char(' ') +
                    DateFormats::longTime(now.time()));
    Sound::playToEnd(SystemInfo::programFolder() + QStringLiteral("1.wav"));
}

void TForm9::fill(const QString& event, const QString& momentLine)
{
    Event->setText(event);
    Label2->setText(momentLine);
}
