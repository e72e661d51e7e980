#include "skinned_dialog.h"

#include <QEvent>
#include <QLayout>

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
    // The look, with its font, is put on first; then the room it needs.
    fit();
}

void SkinnedDialog::setDesignSize(const QSize& size)
{
    m_designSize = size;
    setFixedSize(size);
}

void SkinnedDialog::fit()
{
    if (!m_designSize.isValid())
        return;
    QLayout* content = layout();
    if (!content)
        return;
    QSize size = m_designSize.expandedTo(content->totalMinimumSize());
    // Wrapped texts need more lines as their font grows.
    if (content->hasHeightForWidth())
        size.setHeight(qMax(size.height(), content->totalHeightForWidth(size.width())));
    setFixedSize(size);
}

bool SkinnedDialog::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    // The controls learn what room the new font needs only as they are polished.
    if (event->type() == QEvent::LayoutRequest)
        fit();
    return handled;
}
