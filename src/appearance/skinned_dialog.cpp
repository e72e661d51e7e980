#include "skinned_dialog.h"

SkinnedDialog::SkinnedDialog(QWidget* parent, Policy policy) : QDialog(parent), m_policy(policy) {}

void SkinnedDialog::showEvent(QShowEvent* event)
{
    if (skin || m_policy == Policy::Always) {
        setFont(Font1);
        if (FoneColor.isValid()) {
            QPalette colours = palette();
            colours.setColor(QPalette::Window, FoneColor);
            setPalette(colours);
            setAutoFillBackground(true);
        }
        update();
    }
    QDialog::showEvent(event);
}
