// Fuzzes the data file index reader, item reads and extraction: the input is written to a
// scratch file, opened as a data file, every indexed item is loaded, and the whole file is
// extracted into a scratch folder that is emptied after each input.

#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/Log.h"
#include "io/Loader.h"

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    std::remove(path);
    return 0;
}

// One folder below $TMPDIR per process, removed at exit: "in.dat" and "out/". The path is
// never destroyed, so the exit handler can still read it.
const std::string& ScratchDir() {
    static const std::string* dir = [] {
        const char* root = std::getenv("TMPDIR");
        auto* pattern =
            new std::string(std::string(root && *root ? root : "/tmp") + "/tatamix_datafile_fuzzXXXXXX");
        if (!mkdtemp(&(*pattern)[0])) std::abort();
        return pattern;
    }();
    static const bool cleanup =
        std::atexit([] { nftw(dir->c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }) == 0;
    (void)cleanup;
    return *dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    const std::string path = ScratchDir() + "/in.dat";
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
    const std::string target = ScratchDir() + "/out/";
    loader.ExtractDataFile(target);
    nftw(target.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
