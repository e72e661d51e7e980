// A Windows bitmap, the picture inside an idea file (with or without its
// file header).
#include "fuzz_support.h"

#include "device_bitmap.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto picture = DeviceBitmap::read(FuzzSupport::bytes(data, size));
    if (picture && (picture->isNull() || picture->width() > DeviceBitmap::kMaxSide ||
                    picture->height() > DeviceBitmap::kMaxSide))
        FuzzSupport::fail("a picture outside the accepted sizes");
    return 0;
}
