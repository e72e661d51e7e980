#include "sections.h"

namespace Sections {

const QList<Node>& tree()
{
    static const QList<Node> nodes = {
        {QStringLiteral("Ежедневник"), kEveryDay, QStringLiteral("everyday"), {}},
        {QStringLiteral("Календарь"), kCalendar, QStringLiteral("calendar"), {}},
        {QStringLiteral("Почта"), kMail, QStringLiteral("mail"), {}},
        {QStringLiteral("Пароли"), kPasswords, QStringLiteral("passwords"), {}},
        {QStringLiteral("Дневник"), kDiary, QStringLiteral("diary"), {}},
        {QStringLiteral("Заметки"), kNotes, QStringLiteral("notes"), {}},
        {QStringLiteral("Расписание"),
         kReminders,
         QStringLiteral("schedule"),
         {{QStringLiteral("Напоминания"), kReminders, QStringLiteral("reminders"), {}},
          {QStringLiteral("Задачи"), kTasks, QStringLiteral("tasks"), {}}}},
        {QStringLiteral("Адресная книга"),
         kAddressBook,
         QStringLiteral("addressbook"),
         {{QStringLiteral("Записи"), kAddressBook, QStringLiteral("records"), {}},
          {QStringLiteral("Поиск"), kSearch, QStringLiteral("search"), {}}}},
        {QStringLiteral("Медиа"),
         kIdeas,
         QStringLiteral("media"),
         {{QStringLiteral("Идеи"), kIdeas, QStringLiteral("ideas"), {}}}},
        {QStringLiteral("Плагины"), kPlugins, QStringLiteral("plugins"), {}},
        {QStringLiteral("Настройки"), kSettings, QStringLiteral("settings"), {}},
        {QStringLiteral("Информация"),
         kNews,
         QStringLiteral("info"),
         {{QStringLiteral("Новости"), kNews, QStringLiteral("news"), {}},
          {QStringLiteral("Погода"), kWeather, QStringLiteral("weather"), {}},
          {QStringLiteral("Ресурсы"), kResources, QStringLiteral("resources"), {}}}},
        {QStringLiteral("Справка"), kHelp, QStringLiteral("help"), {}},
        {QStringLiteral("Интернет-поддержка"),
         kSite,
         QStringLiteral("support"),
         {{QStringLiteral("Новые версии"), kNewVersions, QStringLiteral("newversions"), {}},
          {QStringLiteral("Плагины"), kPluginDownloads, QStringLiteral("plugins_dl"), {}},
          {QStringLiteral("Официальный сайт программы"), kSite, QStringLiteral("website"), {}},
          {QStringLiteral("Письмо в службу поддержки"), kSupportLetter, QStringLiteral("letter"), {}}}},
    };
    return nodes;
}

const QList<Box>& boxes()
{
    static const QList<Box> list = {
        {QStringLiteral("GroupBox1"), QStringLiteral("Почта"), {kMail, kSupportLetter}},
        {QStringLiteral("GroupBox6"), QStringLiteral("Задачи"), {kTasks}},
        {QStringLiteral("GroupBox5"), QStringLiteral("Напоминания"), {kReminders}},
        {QStringLiteral("Marks"), QStringLiteral("Заметки"), {kNotes}},
        {QStringLiteral("GroupBox2"), QStringLiteral("Адресная книга"), {kAddressBook}},
        {QStringLiteral("GroupBox4"), QStringLiteral("Поиск в адресной книге"), {kSearch}},
        {QStringLiteral("Config"), QStringLiteral("Настройки"), {kSettings}},
        {QStringLiteral("Browser"),
         QStringLiteral("Браузер"),
         {kNews, kWeather, kSite, kNewVersions, kPluginDownloads}},
        {QStringLiteral("Resources"), QStringLiteral("Ресурсы Интернета"), {kResources}},
        {QStringLiteral("Help"), QStringLiteral("Справка"), {kHelp}},
        {QStringLiteral("GroupBox7"), QStringLiteral("Плагины"), {kPlugins}},
        {QStringLiteral("PassBox"), QStringLiteral("Пароли"), {kPasswords}},
        {QStringLiteral("DiaryBox"), QStringLiteral("Дневник"), {kDiary}},
        {QStringLiteral("IdeaBox"), QStringLiteral("Идеи"), {kIdeas}},
        {QStringLiteral("CalendarBox"), QStringLiteral("Календарь"), {kCalendar}},
        {QStringLiteral("EveryDay"), QStringLiteral("Ежедневник"), {kEveryDay}},
    };
    return list;
}

const Box* boxOf(int section)
{
    for (const Box& box : boxes())
        if (box.sections.contains(section))
            return &box;
    return nullptr;
}

} // namespace Sections
