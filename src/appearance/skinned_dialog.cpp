#include "skinned_dialog.h"

SkinnedDialog::SkinnedDialog(QWidget* parent, Policy policy) : QDialog(parent), m_policy(policy) {}

void SkinnedDialog::showEvent(QShowEvent* event)
{
    if (skin || m_policy == Policy::Always) {
        setFont(Font1);
        QPalette colours = palette();
        if (FoneColor.isValid()) {
            colours.setColor(QPalette::Window, FoneColor);
            setAutoFillBackground(true);
        }
        if (Font1Color.isValid()) {
            for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                colours.setColor(group, QPalette::WindowText, Font1Color);
                colours.setColor(group, QPalette::Text, Font1Color);
                colours.setColor(group, QPalette::ButtonText, Font1Color);
            }
        }
        setPalette(colours);
        update();
    }
    QDialog::showEvent(event);
}
