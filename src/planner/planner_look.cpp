#include "planner_look.h"

#include "planner_rules.h"
#include "slides_page.h"

#include <QDateEdit>
#include <QFont>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace PlannerLook {

QFont gothic(int pixels)
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    return font;
}

void cream(QWidget* window)
{
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, QColor(255, 251, 240));
    window->setPalette(colours);
    window->setAutoFillBackground(true);
}

QDateEdit* datePicker(const char* objectName, QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QLatin1String(objectName));
    picker->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    picker->setDisplayFormat(QStringLiteral("d MMMM yyyy 'г.'"));
    picker->setCalendarPopup(true);
    return picker;
}

QLineEdit* numberBox(const char* objectName, const QString& text, QWidget* parent)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QLatin1String(objectName));
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(44);
    return box;
}

UpDown* arrowsFor(QLineEdit* box, const char* objectName, int maximum, QWidget* parent)
{
    auto* arrows = new UpDown(box, 0, maximum, parent);
    arrows->setObjectName(QLatin1String(objectName));
    arrows->setPosition(box->text().toInt());
    return arrows;
}

void keepInRange(QLineEdit* box, UpDown* arrows, int maximum, int fallback)
{
    const QString kept = PlannerRules::keptInRange(box->text(), maximum, fallback);
    arrows->setPosition(kept.toInt());
    // Writing the same text again would change nothing but the cursor.
    if (kept != box->text())
        box->setText(kept);
}

QPushButton* okButton(QWidget* parent)
{
    auto* button = new QPushButton(parent->style()->standardIcon(QStyle::SP_DialogOkButton),
                                   QStringLiteral("OK"), parent);
    button->setObjectName(QStringLiteral("BitBtn1"));
    button->setDefault(true);
    return button;
}

QPushButton* cancelButton(QWidget* parent)
{
    auto* button = new QPushButton(parent->style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("Отмена"), parent);
    button->setObjectName(QStringLiteral("BitBtn2"));
    button->setAutoDefault(false);
    return button;
}

} // namespace PlannerLook
