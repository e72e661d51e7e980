// A plug-in for the restart test: at its first auto-run it presses the
// section's "Обновить" in the program that loaded it and answers the box
// that follows; every auto-run writes the process id to QUILL_TEST_PLUGIN_LOG.
#include "quillarbor_plugin.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <unistd.h>

namespace {

constexpr int kPluginsSection = 33;

void note(const QByteArray& line)
{
    QFile log(qEnvironmentVariable("QUILL_TEST_PLUGIN_LOG"));
    if (log.open(QIODevice::Append))
        log.write(line + '\n');
}

void pressRestart()
{
    // The warning before the restart is answered as soon as it is up.
    auto* answer = new QTimer(qApp);
    QObject::connect(answer, &QTimer::timeout, answer, [] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            box->accept();
    });
    answer->start(50);
    // The section is made when it is first shown: show it as the user would.
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* tree = qobject_cast<QTreeWidget*>(widget);
            tree && tree->objectName() == QLatin1String("TreeView1"))
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                if ((*it)->data(0, Qt::UserRole).toInt() == kPluginsSection)
                    tree->setCurrentItem(*it);
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->objectName() == QLatin1String("BitBtn36"))
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                button->click();
                return;
            }
    note("no BitBtn36");
}

} // namespace

extern "C" {

QUILLARBOR_PLUGIN_EXPORT void GetPluginInfo(TPluginInfo* info)
{
    QUILLARBOR_SET(info->Name, "Restarts");
    QUILLARBOR_SET(info->Version, "1.0");
    QUILLARBOR_SET(info->HostVersion, QUILLARBOR_HOST_VERSION);
    QUILLARBOR_SET(info->Description, "Presses the restart button once");
}

QUILLARBOR_PLUGIN_EXPORT unsigned char GetCanAutoRun(void)
{
    return 1;
}

QUILLARBOR_PLUGIN_EXPORT void AutoRun(TIPluginDemo* host)
{
    note("autorun " + QByteArray::number(qint64(getpid())));
    QFile marker(qEnvironmentVariable("QUILL_TEST_RESTART_MARKER"));
    if (marker.exists() || !marker.open(QIODevice::WriteOnly))
        return;
    marker.close();
    auto* application = static_cast<QApplication*>(host->lpVtbl->GetApplication(host));
    // Once the window is up and the event loop runs.
    QTimer::singleShot(1000, application, &pressRestart);
}

} // extern "C"
