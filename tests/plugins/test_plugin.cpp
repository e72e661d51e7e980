// A plug-in for the tests, built from the public header alone. What it does
// is chosen when it is compiled; every call it receives is written, with
// its tag, to the file named by QUILL_TEST_PLUGIN_LOG.
#include "quillarbor_plugin.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <stdexcept>
#include <string>

#ifdef NAME_CP1251
// "Второй" as the Windows version of the program would have it.
#define PLUGIN_NAME "\xC2\xF2\xEE\xF0\xEE\xE9"
#endif

namespace {

void note(const char* event)
{
    const char* log = std::getenv("QUILL_TEST_PLUGIN_LOG");
    if (!log)
        return;
    if (FILE* file = std::fopen(log, "a")) {
        std::fprintf(file, "%s:%s\n", TAG, event);
        std::fclose(file);
    }
}

#ifdef NAME_FROM_FILE
// The library's own file name without its extension.
std::string ownName()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&note), &info) || !info.dli_fname)
        return "?";
    std::string name = info.dli_fname;
    name = name.substr(name.find_last_of('/') + 1);
    return name.substr(0, name.find('.'));
}
#endif

} // namespace

extern "C" {

#ifndef NO_INFO
QUILLARBOR_PLUGIN_EXPORT void GetPluginInfo(TPluginInfo* info)
{
    note("info");
#ifdef INFO_THROWS
    (void)info;
    throw std::runtime_error("broken description");
#else
#ifdef NAME_FROM_FILE
    QUILLARBOR_SET(info->Name, ownName().c_str());
#else
    QUILLARBOR_SET(info->Name, PLUGIN_NAME);
#endif
    QUILLARBOR_SET(info->Version, "1.2");
    QUILLARBOR_SET(info->HostVersion, QUILLARBOR_HOST_VERSION);
#ifdef PLUGIN_DESCRIPTION
    QUILLARBOR_SET(info->Description, PLUGIN_DESCRIPTION);
#else
    QUILLARBOR_SET(info->Description, "Test plug-in " TAG);
#endif
#endif
}
#endif

#ifdef CAN_AUTORUN
QUILLARBOR_PLUGIN_EXPORT unsigned char GetCanAutoRun(void)
{
    note("can");
    return CAN_AUTORUN;
}
#endif

#ifdef HAS_AUTORUN
QUILLARBOR_PLUGIN_EXPORT void AutoRun(TIPluginDemo* host)
{
    note(host && host->lpVtbl ? "autorun" : "autorun-without-host");
#ifdef AUTORUN_THROWS
    throw std::runtime_error("broken start");
#endif
#ifdef AUTORUN_CRASHES
    // As a library built for another version of the program would.
    std::raise(SIGSEGV);
#endif
}
#endif

#ifdef HAS_INIT
QUILLARBOR_PLUGIN_EXPORT void InitPlugin(TIPluginDemo* host)
{
    note("init");
    (void)host;
#ifdef INIT_CRASHES
    std::raise(SIGSEGV);
#endif
#ifdef INIT_UPDATES
    host->lpVtbl->SetAction(host, u"update"); // the wrong case asks for nothing
    host->lpVtbl->SetAction(host, u"UPDATE");
#endif
#ifdef INIT_COMPLAINS
    host->lpVtbl->PluginErrorMessage(host, u"Не удалось: ошибка плагина");
#endif
#ifdef INIT_ASKS_APPLICATION
    note(host->lpVtbl->GetApplication(host) ? "application" : "no-application");
#endif
}
#endif

} // extern "C"
