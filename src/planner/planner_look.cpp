#include "planner_look.h"

#include "error_handler.h"
#include "planner_rules.h"
#include "slides_page.h"

#include <QDateEdit>
#include <QDialog>
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

ButtonPair okCancelButtons(QDialog* window, const std::function<void()>& onOk)
{
    auto* ok = new QPushButton(window->style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"),
                               window);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(window->style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("Отмена"), window);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, window, [onOk] { ErrorHandler::guard(onOk); });
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
    return {ok, cancel};
}

} // namespace PlannerLook
