#pragma once

#include <QString>

// The two plug-ins that come with the program, as the help contents name them.
namespace StandardPlugins {
inline const QString kFirstName = QStringLiteral("Мастер паролей");
inline const QString kSecondName = QStringLiteral("Калькулятор дат");
} // namespace StandardPlugins
