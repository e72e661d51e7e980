// The decoding of text files that may come from the Windows version:
// byte-order marks, UTF-8, else Windows-1251.
#include "fuzz_support.h"

#include "text_decoding.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    TextDecoding::decode(bytes);
    if (TextDecoding::decodeWindows1251(bytes).size() != bytes.size())
        FuzzSupport::fail("Windows-1251 gives one character a byte");
    return 0;
}
