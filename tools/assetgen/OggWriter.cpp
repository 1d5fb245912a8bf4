#include "OggWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>

#include "base/Log.h"

namespace {

constexpr size_t kHeaderSize = 27;
constexpr size_t kSerialOffset = 14;
constexpr size_t kCrcOffset = 22;
constexpr size_t kSegmentCountOffset = 26;

void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) out.insert(out.end(), buffer, buffer + n);
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0) && ok;
}

}  // namespace

uint32_t OggWriter::Crc(const uint8_t* data, size_t size) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : (r << 1);
            table[i] = r;
        }
        ready = true;
    }
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xff];
    return crc;
}

bool OggWriter::FixSerials(std::vector<uint8_t>& bytes, uint32_t serial) {
    // First pass validates the page chain, so a malformed file is never half rewritten.
    std::vector<std::pair<uint64_t, uint64_t>> pages;
    uint64_t pos = 0;
    const uint64_t size = bytes.size();
    while (pos < size) {
        if (size - pos < kHeaderSize) return false;
        const uint8_t* p = bytes.data() + pos;
        if (p[0] != 'O' || p[1] != 'g' || p[2] != 'g' || p[3] != 'S' || p[4] != 0) return false;
        const uint64_t segments = p[kSegmentCountOffset];
        if (size - pos < kHeaderSize + segments) return false;
        uint64_t body = 0;
        for (uint64_t s = 0; s < segments; ++s) body += p[kHeaderSize + s];
        const uint64_t pageSize = kHeaderSize + segments + body;
        if (size - pos < pageSize) return false;
        pages.emplace_back(pos, pageSize);
        pos += pageSize;
    }
    if (pages.empty()) return false;
    for (const auto& page : pages) {
        uint8_t* p = bytes.data() + page.first;
        PutLE32(p + kSerialOffset, serial);
        PutLE32(p + kCrcOffset, 0);
        PutLE32(p + kCrcOffset, Crc(p, static_cast<size_t>(page.second)));
    }
    return true;
}

bool OggWriter::Write(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
                      double quality) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        LogMessage(LOG_ERROR, "assetgen: Cannot open audio file for writing: ", path);
        return false;
    }
    sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof(quality));
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / static_cast<size_t>(channels));
    // Small blocks: the Vorbis encoder's analysis buffers are sized for chunks, not whole songs.
    const sf_count_t block = 4096;
    sf_count_t written = 0;
    while (written < frames) {
        const sf_count_t n = std::min(block, frames - written);
        const sf_count_t done = sf_writef_float(file, interleaved.data() + written * channels, n);
        if (done != n) break;
        written += done;
    }
    const int closed = sf_close(file);
    if (written != frames || closed != 0) {
        LogMessage(LOG_ERROR, "assetgen: Writing audio failed: ", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, bytes) || !FixSerials(bytes, kFixedSerial) || !WriteFile(path, bytes)) {
        LogMessage(LOG_ERROR, "assetgen: Making the Ogg stream reproducible failed: ", path);
        return false;
    }
    return true;
}
