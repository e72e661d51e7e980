#include "help_pages.h"

#include "standard_plugins.h"

#include <QDir>

namespace HelpPages {

const QList<Node>& contents()
{
    static const QList<Node> nodes = {
        {QStringLiteral("О программе"),
         1,
         {{QStringLiteral("Назначение прграммы"), 1, {}},
          {QStringLiteral("Лицензионное соглашение"), 3, {}},
          {QStringLiteral("Контакты с автором"), 4, {}}}},
        {QStringLiteral("Почта"), 5, {{QStringLiteral("Отправка E-mail"), 5, {}}}},
        {QStringLiteral("Пароли"),
         20,
         {{QStringLiteral("Общая информация"), 20, {}}, {QStringLiteral("Главный пароль"), 21, {}}}},
        {QStringLiteral("Дневник"),
         22,
         {{QStringLiteral("Общая информация"), 22, {}}, {QStringLiteral("Блокировка"), 23, {}}}},
        {QStringLiteral("Расписание"),
         7,
         {{QStringLiteral("Напоминания"), 7, {}}, {QStringLiteral("Задачи"), 8, {}}}},
        {QStringLiteral("Заметки"), 9, {{QStringLiteral("Работа с заметками"), 9, {}}}},
        {QStringLiteral("Адресная книга"),
         11,
         {{QStringLiteral("Работа"), 11, {}}, {QStringLiteral("Поиск в адресной книге"), 12, {}}}},
        {QStringLiteral("Плагины"),
         13,
         {{QStringLiteral("Использование"), 13, {}},
          {QStringLiteral("Где взять?"), 14, {}},
          {QStringLiteral("Стандартные"),
           15,
           {{StandardPlugins::kFirstName, 16, {}}, {StandardPlugins::kSecondName, 15, {}}}}}},
        {QStringLiteral("Конфигурация"), 18, {}},
        {QStringLiteral("Разметка сайта"), 19, {}},
    };
    return nodes;
}

QString pathOf(const QString& programFolder, int page)
{
    return QDir(programFolder).filePath(QStringLiteral("Manual/%1.htm").arg(page));
}

} // namespace HelpPages
