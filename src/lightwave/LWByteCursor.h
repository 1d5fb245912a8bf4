#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Four ASCII bytes as one big-endian number, the way chunk ids are compared.
constexpr uint32_t LWID(const char (&id)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(id[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(id[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(id[2])) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(id[3]));
}

// "ABCD" for messages; bytes outside printable ASCII become '?'.
std::string LWIDText(uint32_t id);

// Reads the big-endian primitives of a LightWave IFF file from a byte range it never leaves.
// A read past the end yields zeros (or what is left of a string) and marks the cursor as
// overrun, so a parser checks Overrun() once after an entry instead of before every read.
// All offsets are 64-bit so that sizes from the file cannot wrap.
class LWByteCursor {
public:
    LWByteCursor() = default;
    LWByteCursor(const uint8_t* data, uint64_t size, uint64_t fileOffset = 0)
        : m_data(data), m_size(data ? size : 0), m_fileOffset(fileOffset) {}

    uint64_t Size() const { return m_size; }
    uint64_t Position() const { return m_pos; }
    uint64_t Remaining() const { return m_size - m_pos; }
    bool AtEnd() const { return m_pos >= m_size; }
    bool Overrun() const { return m_overrun; }
    // Where the cursor stands in the whole file, for messages.
    uint64_t FileOffset() const { return m_fileOffset + m_pos; }

    // The primitives are inline: a large object makes millions of these reads.
    uint8_t U1() {
        if (!Need(1)) return 0;
        return m_data[m_pos++];
    }
    uint16_t U2() {
        if (!Need(2)) return 0;
        const uint16_t v = static_cast<uint16_t>((m_data[m_pos] << 8) | m_data[m_pos + 1]);
        m_pos += 2;
        return v;
    }
    uint32_t U4() {
        if (!Need(4)) return 0;
        const uint8_t* p = m_data + m_pos;
        m_pos += 4;
        return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
               (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
    }
    float F4() {
        const uint32_t bits = U4();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    uint32_t ID4() { return U4(); }
    // Variable-length index: two bytes below 0xFF00, else the low 24 bits of four bytes.
    uint32_t VX() {
        if (m_pos < m_size && m_data[m_pos] == 0xFF) return U4() & 0x00FFFFFFu;
        return U2();
    }
    // NUL-terminated, padded to an even length. Without a terminator the rest of the range
    // is taken and the cursor is marked overrun.
    std::string S0();
    void VEC12(float out[3]);
    // The next count bytes, or null (and nothing consumed) when fewer remain; for parsers
    // that decode a run of values after checking its largest possible size once.
    const uint8_t* Peek(uint64_t count) const { return count <= m_size - m_pos ? m_data + m_pos : nullptr; }
    void Skip(uint64_t count);

    // A cursor over the next count bytes, which must lie inside this one; the cursor moves
    // past them and past the pad byte of an odd count. A count running past the end is
    // reported by a false result (and the cursor is left at the end).
    bool Take(uint64_t count, LWByteCursor& out);

private:
    bool Need(uint64_t count) {
        if (count <= m_size - m_pos) return true;
        m_pos = m_size;
        m_overrun = true;
        return false;
    }

    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    uint64_t m_pos = 0;
    uint64_t m_fileOffset = 0;
    bool m_overrun = false;
};

// One chunk or sub-chunk: its id, where its header started and a cursor over its data.
struct LWChunk {
    uint32_t id = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
    LWByteCursor data;
};

// Walks the chunks (4-byte sizes) or sub-chunks (2-byte sizes) of a parent range.
// Next() is false at the end of the parent; Broken() then tells whether the walk stopped at
// a chunk whose size runs past its parent (the chunk is still in Current() for messages).
class LWChunkWalker {
public:
    LWChunkWalker(LWByteCursor& parent, bool shortSizes) : m_parent(parent), m_shortSizes(shortSizes) {}
    bool Next();
    bool Broken() const { return m_broken; }
    LWChunk& Current() { return m_chunk; }

private:
    LWByteCursor& m_parent;
    bool m_shortSizes;
    bool m_broken = false;
    LWChunk m_chunk;
};
