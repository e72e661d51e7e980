// The description record a plug-in library fills (TPluginInfo): someone
// else's bytes, read as the plug-in list and the description show them.
#include "fuzz_support.h"

#include "plugin_record.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TPluginInfo info;
    std::memset(&info, 0, sizeof info);
    std::memcpy(&info, data, qMin(size, sizeof info));
    const QString name = PluginRecord::text(info.Name);
    if (name.size() > QUILLARBOR_NAME_SIZE - 1)
        FuzzSupport::fail("a name longer than its field");
    PluginRecord::heading(info);
    PluginRecord::text(info.Description);
    // A record filled by the program from what it read keeps within its fields.
    TPluginInfo copy = PluginRecord::defaults(name);
    PluginRecord::setText(copy.Name, name);
    PluginRecord::setText(copy.Description, PluginRecord::text(info.Description));
    if (copy.Name[0] > QUILLARBOR_NAME_SIZE - 1 || copy.Description[0] > QUILLARBOR_DESCRIPTION_SIZE - 1)
        FuzzSupport::fail("a length byte past its field");
    return 0;
}
