// Writes the seed corpora of the fuzz targets: valid files of every accepted kind plus a
// few that must be refused. Deterministic; usage: fuzz_seed_generator <corpus dir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Log.h"
#include "io/Loader.h"
#include "support/ImageEncoding.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Write(const std::string& path, const Bytes& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return true;
}

Bytes Pattern(size_t count, unsigned seed) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>((i * 37 + seed * 11 + (i >> 3) * 5) & 0xff);
    return bytes;
}

Bytes Png(uint32_t width, uint32_t height, int colorType, int bitDepth, bool interlaced) {
    Bytes pixels = Pattern(PngRowBytes(width, colorType, bitDepth) * height, width + height);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (uint8_t& b : pixels) b &= 0x03;  // palette indices 0..3
    }
    return EncodePng(width, height, colorType, bitDepth, pixels, interlaced);
}

Bytes Jpeg(uint32_t width, uint32_t height, int components, bool progressive) {
    const Bytes pixels = Pattern(static_cast<size_t>(width) * height * components, components);
    return EncodeJpeg(width, height, components, pixels, 75, progressive);
}

void PutU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool WriteDataFiles(const std::string& dir) {
    // A real packed file, made the way a run makes it.
    const std::string source = dir + "source.tmp/";
    Loader::CreatePath(source + "textures/");
    Write(source + "script.xml", {'<', 'd', 'e', 'm', 'o', '/', '>'});
    Write(source + "textures/a.png", Png(2, 2, PNG_COLOR_TYPE_GRAY, 8, false));
    Write(source + "empty.txt", {});
    Loader loader;
    loader.LoadFromDataDirectory(source);
    for (const char* name : {"script.xml", "textures/a.png", "empty.txt", "script.xml"})
        loader.LoadFile(name);
    const bool ok = loader.GenerateDataFile(dir + "packed.dat");
    for (const char* name : {"script.xml", "textures/a.png", "empty.txt"})
        std::remove((source + name).c_str());
    std::remove((source + "textures").c_str());
    std::remove(source.c_str());

    Bytes empty;
    PutU32(empty, 0);
    PutU32(empty, 0);
    Write(dir + "empty_index.dat", empty);

    // Duplicate names, an item spanning the index, and a name that climbs out.
    Bytes dup = {'a', 'b', 'c', 'd'};
    PutU32(dup, 3);
    for (const auto& entry : {std::make_pair(std::string("x"), 0u), std::make_pair(std::string("x"), 2u),
                              std::make_pair(std::string("../y"), 1u)}) {
        PutU32(dup, static_cast<uint32_t>(entry.first.size()));
        dup.insert(dup.end(), entry.first.begin(), entry.first.end());
        PutU32(dup, entry.second);
        PutU32(dup, 2);
        PutU32(dup, 0);
    }
    PutU32(dup, 4);
    Write(dir + "duplicates.dat", dup);

    Bytes lying = {'z'};
    PutU32(lying, 0x10000000);
    PutU32(lying, 1);
    return ok && Write(dir + "lying_count.dat", lying);
}

bool WritePngs(const std::string& dir) {
    bool ok = Write(dir + "grey.png", Png(5, 3, PNG_COLOR_TYPE_GRAY, 8, false));
    ok &= Write(dir + "grey_alpha.png", Png(3, 3, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false));
    ok &= Write(dir + "rgb.png", Png(4, 2, PNG_COLOR_TYPE_RGB, 8, false));
    ok &= Write(dir + "rgba_interlaced.png", Png(9, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, true));
    ok &= Write(dir + "rgb16.png", Png(2, 2, PNG_COLOR_TYPE_RGB, 16, false));
    ok &= Write(dir + "palette.png", Png(4, 4, PNG_COLOR_TYPE_PALETTE, 8, false));
    ok &= Write(dir + "grey2.png", Png(7, 2, PNG_COLOR_TYPE_GRAY, 2, false));
    Bytes cut = Png(16, 16, PNG_COLOR_TYPE_RGB, 8, false);
    cut.resize(cut.size() / 2);
    return ok && Write(dir + "truncated.png", cut);
}

bool WriteJpegs(const std::string& dir) {
    bool ok = Write(dir + "grey.jpg", Jpeg(8, 8, 1, false));
    ok &= Write(dir + "rgb.jpg", Jpeg(17, 9, 3, false));
    ok &= Write(dir + "progressive.jpg", Jpeg(16, 16, 3, true));
    Bytes cut = Jpeg(16, 16, 3, false);
    cut.resize(cut.size() * 2 / 3);
    return ok && Write(dir + "truncated.jpg", cut);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: fuzz_seed_generator <corpus dir>\n");
        return 2;
    }
    SetLogSinks(stderr, nullptr);
    std::string root = argv[1];
    if (root.back() != '/') root += '/';
    for (const char* target : {"datafile/", "png/", "jpeg/"}) Loader::CreatePath(root + target);
    const bool ok =
        WriteDataFiles(root + "datafile/") && WritePngs(root + "png/") && WriteJpegs(root + "jpeg/");
    return ok ? 0 : 1;
}
