#include "show/SloganList.h"

#include <cstdint>
#include <memory>

#include "io/Loader.h"

namespace {
const char kMarker[] = "---";
const size_t kMarkerLength = 3;

// The slogan text between two markers: the line end before the marker is not part of it, and
// CR LF line ends inside it become LF (the balloon breaks lines at LF and would print a CR).
std::string CleanSlogan(const char* begin, const char* end) {
    while (end > begin && (end[-1] == '\n' || end[-1] == '\r')) --end;
    std::string slogan;
    slogan.reserve(static_cast<size_t>(end - begin));
    for (const char* p = begin; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\r' && p + 1 < end && p[1] == '\n') continue;
        switch (c) {
            case 0xE4:
                slogan += 'a';
                break;
            case 0xF6:
                slogan += 'o';
                break;
            case 0xC4:
                slogan += 'A';
                break;
            case 0xD6:
                slogan += 'O';
                break;
            default:
                slogan += static_cast<char>(c);
        }
    }
    return slogan;
}
}  // namespace

void SloganList::Load(Loader* loader) {
    if (!loader) return;
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data = loader->LoadFile("slogans.txt", size);
    if (!data || size == 0) return;
    Parse(reinterpret_cast<const char*>(data.get()), size);
}

void SloganList::Parse(const char* text, size_t size) {
    const std::string all(text, size);
    size_t position = 0;
    while (position <= all.size()) {
        const size_t marker = all.find(kMarker, position, kMarkerLength);
        if (marker == std::string::npos) break;
        m_slogans.push_back(CleanSlogan(all.data() + position, all.data() + marker));
        // The marker's own line end, CR LF or LF, belongs to it.
        position = marker + kMarkerLength;
        if (position < all.size() && all[position] == '\r') ++position;
        if (position < all.size() && all[position] == '\n') ++position;
    }
}
