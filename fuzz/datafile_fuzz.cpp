// Fuzzes the data file index reader and item reads: the input is written to a scratch
// file, opened as a data file, and every indexed item is loaded.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Log.h"
#include "io/Loader.h"

namespace {

const std::string& ScratchPath() {
    static const std::string path = [] {
        std::string p = "/tmp/tatamix_datafile_fuzz_" + std::to_string(getpid()) + ".dat";
        std::atexit([] { std::remove(ScratchPath().c_str()); });
        return p;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    const std::string& path = ScratchPath();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 0;
    if (size > 0) std::fwrite(data, 1, size, out);
    std::fclose(out);

    Loader loader;
    if (!loader.LoadFromDataFile(path)) return 0;
    unsigned checksum = 0;
    for (const std::string& name : loader.GetItemNames()) {
        uint32_t itemSize = 0;
        std::unique_ptr<uint8_t[]> item = loader.LoadFile(name, itemSize);
        if (item && itemSize > 0) checksum += item[0] + item[itemSize - 1];
    }
    volatile unsigned sink = checksum;
    (void)sink;
    return 0;
}
