// Fuzzes PNG decoding, then runs the bitmap operations over whatever decoded.

#include <cstdint>

#include "base/Log.h"
#include "io/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    if (size > UINT32_MAX) return 0;
    Bitmap bitmap;
    if (!bitmap.LoadPNG(data, static_cast<uint32_t>(size), false)) return 0;
    Bitmap withAlpha;
    withAlpha.LoadPNG(data, static_cast<uint32_t>(size), true);
    // Keep the per-input cost bounded; the decoders are what is under test.
    if (static_cast<uint64_t>(bitmap.GetWidth()) * bitmap.GetHeight() > 64 * 64) return 0;
    bitmap.FlipVertical();
    auto sub = bitmap.GetSubImage(bitmap.GetWidth() / 2, bitmap.GetHeight() / 2, bitmap.GetWidth() / 2 + 1,
                                  bitmap.GetHeight() / 2 + 1);
    withAlpha.Resize(bitmap.GetWidth() + 3, bitmap.GetHeight() / 2 + 1);
    withAlpha.ConvertFormat(24);
    bitmap.MakeNormalMap(2.0f, 3, true);
    return 0;
}
