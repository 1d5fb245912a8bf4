#include "lightwave/LWByteCursor.h"

#include <cstring>

std::string LWIDText(uint32_t id) {
    std::string text(4, '?');
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((id >> (24 - 8 * i)) & 0xFF);
        if (c >= 32 && c < 127) text[i] = c;
    }
    return text;
}

std::string LWByteCursor::S0() {
    const uint64_t left = Remaining();
    const uint8_t* start = m_data ? m_data + m_pos : nullptr;
    const void* nul = start ? std::memchr(start, 0, left) : nullptr;
    if (!nul) {
        std::string text(reinterpret_cast<const char*>(start), start ? left : 0);
        m_pos = m_size;
        m_overrun = true;
        return text;
    }
    const uint64_t length = static_cast<uint64_t>(static_cast<const uint8_t*>(nul) - start);
    uint64_t used = length + 1;
    if (used & 1) ++used;
    // A missing pad byte at the very end of a range is harmless.
    m_pos += used <= left ? used : left;
    return std::string(reinterpret_cast<const char*>(start), length);
}

void LWByteCursor::VEC12(float out[3]) {
    out[0] = F4();
    out[1] = F4();
    out[2] = F4();
}

void LWByteCursor::Skip(uint64_t count) {
    if (!Need(count)) return;
    m_pos += count;
}

bool LWByteCursor::Take(uint64_t count, LWByteCursor& out) {
    if (count > Remaining()) {
        out = LWByteCursor(m_data + m_pos, Remaining(), FileOffset());
        m_pos = m_size;
        return false;
    }
    out = LWByteCursor(m_data + m_pos, count, FileOffset());
    m_pos += count;
    if ((count & 1) && m_pos < m_size) ++m_pos;
    return true;
}

bool LWChunkWalker::Next() {
    const uint64_t header = m_shortSizes ? 6 : 8;
    if (m_broken || m_parent.Remaining() < header) return false;
    m_chunk.offset = m_parent.FileOffset();
    m_chunk.id = m_parent.ID4();
    m_chunk.size = m_shortSizes ? m_parent.U2() : m_parent.U4();
    if (!m_parent.Take(m_chunk.size, m_chunk.data)) {
        m_broken = true;
        return false;
    }
    return true;
}
