/* A plug-in written in C against the public header alone. The checks below
   pin the record and the host table as a C compiler lays them out. */
#include "quillarbor_plugin.h"

_Static_assert(sizeof(TPluginInfo) == 284, "TPluginInfo is 284 bytes");
_Static_assert(offsetof(TPluginInfo, Name) == 0, "Name at 0");
_Static_assert(offsetof(TPluginInfo, Version) == 16, "Version at 16");
_Static_assert(offsetof(TPluginInfo, HostVersion) == 20, "HostVersion at 20");
_Static_assert(offsetof(TPluginInfo, Description) == 24, "Description at 24");
_Static_assert(offsetof(TPluginInfo, Reserved) == 280, "reserved bytes at 280");
_Static_assert(offsetof(TIPluginDemoVtbl, GetApplication) == 0 * sizeof(void*), "slot 0");
_Static_assert(offsetof(TIPluginDemoVtbl, PluginErrorMessage) == 1 * sizeof(void*), "slot 1");
_Static_assert(offsetof(TIPluginDemoVtbl, SetAction) == 2 * sizeof(void*), "slot 2");
_Static_assert(sizeof(TIPluginDemoVtbl) == 3 * sizeof(void*), "three slots");
_Static_assert(offsetof(TIPluginDemo, lpVtbl) == 0, "the table is the first word");

QUILLARBOR_PLUGIN_EXPORT void GetPluginInfo(TPluginInfo* info)
{
    QUILLARBOR_SET(info->Name, "C-плагин");
    QUILLARBOR_SET(info->Version, "1.0");
    QUILLARBOR_SET(info->HostVersion, QUILLARBOR_HOST_VERSION);
    QUILLARBOR_SET(info->Description, "Написан на C.");
}

QUILLARBOR_PLUGIN_EXPORT void InitPlugin(TIPluginDemo* host)
{
    host->lpVtbl->PluginErrorMessage(host, u"Ошибка из C");
}

QUILLARBOR_PLUGIN_EXPORT unsigned char GetCanAutoRun(void)
{
    return 0;
}

/* The layout as this compiler made it, for the host-side test to compare. */
QUILLARBOR_PLUGIN_EXPORT void LayoutOfC(size_t* figures)
{
    figures[0] = sizeof(TPluginInfo);
    figures[1] = offsetof(TPluginInfo, Version);
    figures[2] = offsetof(TPluginInfo, HostVersion);
    figures[3] = offsetof(TPluginInfo, Description);
    figures[4] = offsetof(TIPluginDemoVtbl, SetAction);
}
