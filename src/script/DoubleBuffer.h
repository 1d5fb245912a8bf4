#pragma once

#include <cstdint>

// Hands per-frame data from an effect's update to its render: the update fills one slot while
// the render reads the other, so a render always sees a complete frame.
template <class FrameData>
class DoubleBuffer {
public:
    DoubleBuffer() = default;
    explicit DoubleBuffer(const FrameData& initial) : m_slots{initial, initial} {}
    virtual ~DoubleBuffer() = default;

    // The slot the writer fills this frame; the counter advances at once.
    FrameData& Write() { return m_slots[m_counter++ & 1u]; }
    const FrameData& Read() const { return m_slots[m_counter & 1u]; }
    // Sets both slots, so a render before the second update sees real data.
    void Fill(const FrameData& data) { m_slots[0] = m_slots[1] = data; }
    uint32_t GetCounter() const { return m_counter; }

private:
    FrameData m_slots[2]{};
    uint32_t m_counter = 0;
};
