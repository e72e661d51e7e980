#include "idea_names.h"

#include <QFileInfo>

namespace IdeaNames {

namespace {
constexpr int kMaxFileNameBytes = 255;
const QString kAskAgain = QStringLiteral(" Введите другое название.");
} // namespace

QString problemWith(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Название наброска не может быть пустым.") + kAskAgain;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("Название наброска не может содержать знаки «/» и «\\».") + kAskAgain;
    if (name.contains(QLatin1String("..")))
        return QStringLiteral("Название наброска не может содержать две точки подряд.") + kAskAgain;
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("Название наброска не может начинаться с точки.") + kAskAgain;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return QStringLiteral("Название наброска не может содержать управляющие символы.") + kAskAgain;
    for (const QChar c : QStringLiteral(":*?\"<>|"))
        if (name.contains(c))
            return QStringLiteral("Название наброска не может содержать знаки : * ? \" < > |") +
                   QLatin1Char('.') + kAskAgain;
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("Название наброска не может оканчиваться точкой или пробелом.") + kAskAgain;
    if ((name + QStringLiteral(".dat")).toUtf8().size() > kMaxFileNameBytes)
        return QStringLiteral("Название наброска слишком длинное.") + kAskAgain;
    return {};
}

QString freeDefaultName(const QString& folder)
{
    for (int number = 1;; ++number) {
        const QString name = kDefaultStem + QString::number(number);
        if (!QFileInfo::exists(pathOf(folder, name)))
            return name;
    }
}

QString pathOf(const QString& folder, const QString& name)
{
    return folder + name + QStringLiteral(".dat");
}

} // namespace IdeaNames
