// An idea file (Ideas/*.ole): the BDOC header, the compound document and the
// picture inside, as the ideas section opens it.
#include "fuzz_support.h"

#include "idea_file.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const IdeaFile::Loaded loaded = IdeaFile::decode(FuzzSupport::bytes(data, size));
    if (loaded.status == IdeaFile::Status::Loaded && loaded.picture.isNull())
        FuzzSupport::fail("loaded without a picture");
    return 0;
}
