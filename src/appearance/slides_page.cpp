#include "slides_page.h"

#include "error_handler.h"
#include "file_dialogs.h"
#include "section_host.h"
#include "settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kLeastInterval = 0;
constexpr int kMostInterval = 100;
} // namespace

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_minimum(minimum), m_maximum(maximum), m_position(minimum)
{
    const auto arrow = [this](Qt::ArrowType direction, int delta) {
        auto* button = new QToolButton(this);
        button->setArrowType(direction);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(18, 13);
        connect(button, &QToolButton::clicked, this, [this, delta] { step(delta); });
        return button;
    };
    up = arrow(Qt::UpArrow, 1);
    down = arrow(Qt::DownArrow, -1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    // The arrow keys in the box step too.
    m_buddy->installEventFilter(this);
}

void UpDown::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDown::step(int delta)
{
    bool isNumber = false;
    const int typed = m_buddy->text().trimmed().toInt(&isNumber);
    if (isNumber)
        setPosition(typed);
    setPosition(m_position + delta);
    m_buddy->setText(QString::number(m_position));
    emit stepped();
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress && m_buddy->isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

SlidesPage::SlidesPage(SectionHost& host, QWidget* parent) : QWidget(parent), m_host(host)
{
    setObjectName(QStringLiteral("SlidesPage"));
    buildControls();
    enableFor(1);
}

void SlidesPage::buildControls()
{
    SlideChild = new QGroupBox(QStringLiteral("Тематика слайдов"), this);
    SlideChild->setObjectName(QStringLiteral("SlideChild"));
    RadioButton1 = new QRadioButton(QStringLiteral("Отображать время года"), SlideChild);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Пейзажи природы"), SlideChild);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton3 = new QRadioButton(QStringLiteral("Указать папку с изображениями:"), SlideChild);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    Edit12 = new QLineEdit(SlideChild);
    Edit12->setObjectName(QStringLiteral("Edit12"));
    Edit12->setReadOnly(true);
    Button24 = new QPushButton(QStringLiteral("..."), SlideChild);
    Button24->setObjectName(QStringLiteral("Button24"));
    Button24->setFixedWidth(36);

    auto* folderRow = new QHBoxLayout;
    folderRow->setContentsMargins(24, 0, 0, 0);
    folderRow->addWidget(Edit12, 1);
    folderRow->addWidget(Button24);
    auto* choice = new QVBoxLayout(SlideChild);
    choice->setContentsMargins(12, 16, 12, 12);
    choice->setSpacing(8);
    choice->addWidget(RadioButton1);
    choice->addWidget(RadioButton2);
    choice->addWidget(RadioButton3);
    choice->addLayout(folderRow);

    GroupBox3 = new QGroupBox(QStringLiteral("Параметры"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    Label25 = new QLabel(QStringLiteral("Интервал:"), GroupBox3);
    Label25->setObjectName(QStringLiteral("Label25"));
    Edit19 = new QLineEdit(QStringLiteral("1"), GroupBox3);
    Edit19->setObjectName(QStringLiteral("Edit19"));
    Edit19->setFixedWidth(64);
    Edit19->setMaxLength(10);
    Label25->setBuddy(Edit19);
    UpDown1 = new UpDown(Edit19, kLeastInterval, kMostInterval, GroupBox3);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setPosition(1);
    ComboBox6 = new QComboBox(GroupBox3);
    ComboBox6->setObjectName(QStringLiteral("ComboBox6"));
    ComboBox6->addItems({QStringLiteral("минут"), QStringLiteral("секунд"), QStringLiteral("часов")});
    ComboBox6->setMinimumWidth(110);
    CheckBox4 = new QCheckBox(QStringLiteral("Выбирать слайды в случайном порядке"), GroupBox3);
    CheckBox4->setObjectName(QStringLiteral("CheckBox4"));

    auto* intervalRow = new QHBoxLayout;
    intervalRow->setSpacing(6);
    intervalRow->addWidget(Label25);
    intervalRow->addWidget(Edit19);
    intervalRow->addWidget(UpDown1);
    intervalRow->addSpacing(6);
    intervalRow->addWidget(ComboBox6);
    intervalRow->addStretch();
    auto* parameters = new QVBoxLayout(GroupBox3);
    parameters->setContentsMargins(12, 16, 12, 12);
    parameters->setSpacing(10);
    parameters->addLayout(intervalRow);
    parameters->addWidget(CheckBox4);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    layout->addWidget(SlideChild);
    layout->addWidget(GroupBox3);
    layout->addStretch();

    // Only what the user does marks the settings changed; filling the page does not.
    const auto marking = [this](auto handler) {
        return [this, handler] {
            ErrorHandler::guard([this, handler] {
                (this->*handler)();
                m_host.markSettingsChanged();
            });
        };
    };
    const auto markOnly = [this] { m_host.markSettingsChanged(); };
    connect(RadioButton1, &QRadioButton::clicked, this, marking(&SlidesPage::RadioButton1Click));
    connect(RadioButton2, &QRadioButton::clicked, this, marking(&SlidesPage::RadioButton2Click));
    connect(RadioButton3, &QRadioButton::clicked, this, marking(&SlidesPage::RadioButton3Click));
    connect(Button24, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { Button24Click(); }); });
    connect(Edit19, &QLineEdit::textEdited, this, markOnly);
    connect(UpDown1, &UpDown::stepped, this, markOnly);
    connect(ComboBox6, &QComboBox::activated, this, markOnly);
    connect(CheckBox4, &QCheckBox::clicked, this, markOnly);
}

void SlidesPage::enableFor(int type)
{
    const bool show = type != 1;
    Edit19->setEnabled(show);
    UpDown1->setEnabled(show);
    ComboBox6->setEnabled(show);
    CheckBox4->setEnabled(show);
    Edit12->setEnabled(type == 3);
    Button24->setEnabled(type == 3);
}

void SlidesPage::RadioButton1Click()
{
    enableFor(1);
}

void SlidesPage::RadioButton2Click()
{
    enableFor(2);
}

void SlidesPage::RadioButton3Click()
{
    enableFor(3);
}

void SlidesPage::Button24Click()
{
    const QString folder =
        FileDialogs::existingDirectory(window(), QStringLiteral("Please specify a directory"));
    if (folder.isEmpty())
        return;
    Edit12->setText(folder);
    m_host.markSettingsChanged();
}

void SlidesPage::fill(const Settings::Record& settings)
{
    QRadioButton* checked = settings.slideType == 2   ? RadioButton2
                            : settings.slideType == 3 ? RadioButton3
                                                      : RadioButton1;
    checked->setChecked(true);
    Edit12->setText(settings.slideDirectory);
    Edit19->setText(QString::number(settings.slideInterval));
    UpDown1->setPosition(settings.slideInterval);
    // A unit outside the list counts as minutes, and is shown so.
    const bool knownUnit = settings.slideIntervalType >= 0 && settings.slideIntervalType < ComboBox6->count();
    ComboBox6->setCurrentIndex(knownUnit ? settings.slideIntervalType : 0);
    CheckBox4->setChecked(settings.slideRandom);
    enableFor(checked == RadioButton2 ? 2 : checked == RadioButton3 ? 3 : 1);
    m_filled = true;
}

void SlidesPage::readInto(Settings::Record& settings) const
{
    if (!m_filled)
        return;
    if (RadioButton1->isChecked())
        settings.slideType = 1;
    else if (RadioButton2->isChecked())
        settings.slideType = 2;
    else if (RadioButton3->isChecked())
        settings.slideType = 3;
    settings.slideDirectory = Edit12->text();
    bool isNumber = false;
    const int interval = Edit19->text().trimmed().toInt(&isNumber);
    if (isNumber)
        settings.slideInterval = interval;
    settings.slideIntervalType = ComboBox6->currentIndex();
    settings.slideRandom = CheckBox4->isChecked();
}
