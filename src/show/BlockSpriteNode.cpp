#include "show/BlockSpriteNode.h"

#include <algorithm>

#include "materials/RT_Karateka.h"
#include "show/GeomBlockSprite.h"

BlockSpriteNode::BlockSpriteNode(Node* parent, const std::string& name, GeomBlockSprite* geometry)
    : Node(parent, name), m_geometry(geometry) {}

void BlockSpriteNode::SetReplaceColors(const float* oldColor, const float* newColor) {
    std::copy(oldColor, oldColor + 4, m_replaceOld);
    std::copy(newColor, newColor + 4, m_replaceNew);
}

int BlockSpriteNode::ValidFrame(int frame) const {
    if (frame < 0) return 0;
    if (m_geometry && frame >= static_cast<int>(m_geometry->GetFrameCount())) return 0;
    return frame;
}

void BlockSpriteNode::PlaySequence(const int* sequence, bool repeat, int loopStart, int repeats) {
    if (!sequence) {
        SetFrame(0);
        return;
    }
    m_sequence = sequence;
    m_length = 0;
    while (sequence[m_length] != kSequenceEnd) ++m_length;
    m_position = 0;
    m_repeat = repeat;
    m_loopStart = std::clamp(loopStart, 0, m_length);
    m_repeats = repeats;
    m_frame = ValidFrame(sequence[0]);
    m_finished = false;
}

void BlockSpriteNode::SetFrame(int frame) {
    m_frame = ValidFrame(frame);
    m_sequence = nullptr;
    m_length = 0;
    m_position = 0;
    m_finished = true;
}

void BlockSpriteNode::Step() {
    if (m_finished || !m_sequence) return;
    int v = m_sequence[m_position];
    if (v == kSequenceEnd && m_repeat && (m_repeats >= 1 || m_repeats == kRepeatForever)) {
        if (m_repeats != kRepeatForever) --m_repeats;
        m_position = m_loopStart;
        v = m_sequence[m_position];
    }
    if (v == kFlipFacing) {
        m_mirrored = !m_mirrored;
        ++m_position;
        v = m_sequence[m_position];
    }
    if (v != kSequenceEnd && v != kFlipFacing) {
        m_frame = ValidFrame(v);
        ++m_position;
        return;
    }
    // The end holds the last real frame read; a list ending on the facing toggle holds the one
    // before it, not the toggle's value.
    int last = m_frame;
    for (int i = std::min(m_position, m_length) - 1; i >= 0; --i) {
        if (m_sequence[i] != kFlipFacing) {
            last = m_sequence[i];
            break;
        }
    }
    SetFrame(last);
}

void BlockSpriteNode::UpdateBounds() {
    if (m_geometry && m_frame < static_cast<int>(m_geometry->GetFrameCount()))
        SetLocalBounds(BOUNDS_LOCAL, m_geometry->GetFrame(static_cast<uint32_t>(m_frame)).box);
    else
        SetLocalBounds(BOUNDS_LOCAL, BoundingBox());
}

void BlockSpriteNode::Render(uint32_t pass, RenderTechnique* overrideTechnique) {
    if (!m_geometry) return;
    const uint32_t frame = static_cast<uint32_t>(m_frame);
    if (overrideTechnique) {
        m_geometry->Draw(frame, overrideTechnique);
        return;
    }
    RenderTechnique* technique = m_geometry->GetTechnique();
    if (!technique) return;
    if (auto* karateka = dynamic_cast<RT_Karateka*>(technique))
        karateka->SetReplaceColors(m_replaceOld, m_replaceNew);
    technique->Begin(static_cast<int>(pass));
    m_geometry->Draw(frame, technique);
    technique->End();
}
