// Fuzzes JPEG decoding, then runs the bitmap operations over whatever decoded.

#include <cstdint>

#include "base/Log.h"
#include "io/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    if (size > UINT32_MAX) return 0;
    Bitmap bitmap;
    if (!bitmap.LoadJPEG(data, static_cast<uint32_t>(size), size % 2 == 0)) return 0;
    if (static_cast<uint64_t>(bitmap.GetWidth()) * bitmap.GetHeight() > 64 * 64) return 0;
    Bitmap copy(bitmap);
    copy.ResizeBicubic(copy.GetWidth() / 2 + 1, copy.GetHeight() + 1);
    bitmap.ConvertFormat(8);
    bitmap.MakeNormalMap(1.0f, 1, false);
    return 0;
}
