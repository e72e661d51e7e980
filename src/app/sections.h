#pragma once

#include <QList>
#include <QString>

// The section tree and the group box that each section number shows.
namespace Sections {

struct Node
{
    QString caption;
    int section;
    QString icon; // resource name under :/icons/nodes/
    QList<Node> children;
};

struct Box
{
    QString objectName;
    QString caption;
    QList<int> sections;
};

inline constexpr int kMail = 1, kTasks = 5, kReminders = 6, kNotes = 9, kAddressBook = 10, kSearch = 11,
                     kSettings = 15, kNews = 16, kWeather = 17, kResources = 18, kSite = 21,
                     kNewVersions = 22, kHelp = 25, kSupportLetter = 30, kPlugins = 33, kPasswords = 40,
                     kDiary = 41, kIdeas = 42, kPluginDownloads = 101, kCalendar = 777, kEveryDay = 778;

const QList<Node>& tree();
const QList<Box>& boxes();
// The group box of a section, or nullptr for a number outside the table.
const Box* boxOf(int section);

} // namespace Sections
