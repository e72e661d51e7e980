#include "tea_window.h"

#include "error_handler.h"
#include "message_boxes.h"
#include "planner_look.h"
#include "planner_rules.h"
#include "slides_page.h"
#include "system_info.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kWidth = 520;
constexpr int kHeight = 165;
} // namespace

TTeaForm::TTeaForm(QWidget* parent) : PlannerWindow(QSize(kWidth, kHeight), parent)
{
    setObjectName(QStringLiteral("TTeaForm"));
    setWindowTitle(QStringLiteral("Поставить чайник"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(PlannerLook::gothic(20));
    PlannerLook::cream(this);

    StaticText1 = new QLabel(kKettleText, this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setFrameShape(QFrame::StyledPanel);
    StaticText1->setWordWrap(true);
    StaticText1->setMargin(6);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Smaller than the window's font, of whatever family the window gets.
    QFont smaller;
    smaller.setPixelSize(14);
    StaticText1->setFont(smaller);

    Label1 = new QLabel(QStringLiteral("Таймер:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = PlannerLook::numberBox("Edit1", QStringLiteral("5"), this);
    Edit1->setFixedWidth(64);
    Label1->setBuddy(Edit1);
    UpDown1 = PlannerLook::arrowsFor(Edit1, "UpDown1", 100, this);
    Label2 = new QLabel(QStringLiteral("минут"), this);
    Label2->setObjectName(QStringLiteral("Label2"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(SystemInfo::programFolder() + QStringLiteral("tea.ico")).pixmap(48, 48));
    Image1->setFixedSize(56, 56);
    Image1->setAlignment(Qt::AlignCenter);

    const PlannerLook::ButtonPair okCancel = PlannerLook::okCancelButtons(this, [this] { BitBtn1Click(); });
    BitBtn1 = okCancel.ok;
    BitBtn2 = okCancel.cancel;

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(14, 10, 14, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(StaticText1, 0, 1, Qt::AlignTop);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(Label1);
    row->addSpacing(6);
    row->addWidget(Edit1);
    row->addWidget(UpDown1);
    row->addSpacing(6);
    row->addWidget(Label2);
    row->addStretch();
    row->addWidget(BitBtn1);
    row->addWidget(BitBtn2);
    grid->addLayout(row, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
}

void TTeaForm::BitBtn1Click()
{
    const PlannerRules::Minutes read = PlannerRules::parseMinutes(Edit1->text());
    if (!read.value) {
        MessageBoxes::errorBox(read.error);
        Edit1->setFocus();
        Edit1->selectAll();
        return;
    }
    m_minutes = *read.value;
    accept();
}
