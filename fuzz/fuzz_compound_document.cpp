// An OLE compound document, the body of an idea file, read through libgsf.
#include "fuzz_support.h"

#include "compound_document.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto document = CompoundDocument::read(FuzzSupport::bytes(data, size));
    if (document)
        for (const CompoundDocument::Stream& stream : document->streams)
            if (stream.data.size() > CompoundDocument::kMaxStreamSize)
                FuzzSupport::fail("a stream over the limit was read");
    return 0;
}
