#pragma once

#include "error_handler.h"

#include <QGroupBox>
#include <QPushButton>

// The buttons of a section's group box: placed by name, and clicked through
// the error handler so that a failing handler never ends the program.
namespace SectionButtons {

template <typename Section, typename Handler>
void onClick(QPushButton* button, Section* section, Handler handler)
{
    QObject::connect(button, &QPushButton::clicked, section, [section, handler] {
        ErrorHandler::guard([section, handler] { (section->*handler)(); });
    });
}

inline QPushButton* button(QGroupBox* box, const char* name, const QString& text, const QRect& geometry)
{
    auto* made = new QPushButton(text, box);
    made->setObjectName(QLatin1String(name));
    made->setGeometry(geometry);
    return made;
}

} // namespace SectionButtons
