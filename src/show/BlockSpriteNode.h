#pragma once

#include <cstdint>
#include <string>

#include "scene/Node.h"

class GeomBlockSprite;

// A scene node showing one frame of a block-sprite set and playing frame sequences. A sequence
// is a list of frame numbers ended by kSequenceEnd; the entry kFlipFacing toggles the mirrored
// flag (the way the sprite faces) and is not a frame. Drawn through the set's technique; an
// RT_Karateka gets the node's two replacement colours first.
class BlockSpriteNode : public Node {
public:
    static constexpr int kSequenceEnd = -1;
    static constexpr int kFlipFacing = 65535;
    // Extra repeats for a sequence that loops until another one starts.
    static constexpr int kRepeatForever = -1;

    // The geometry is shared, not owned.
    BlockSpriteNode(Node* parent, const std::string& name, GeomBlockSprite* geometry);

    // Shows sequence[0] and plays from there; with the repeat flag the list runs repeats + 1
    // times, later rounds starting at loopStart. The list is not copied.
    void PlaySequence(const int* sequence, bool repeat, int loopStart, int repeats);
    // Shows the frame (frame 0 for one outside the set) and drops the sequence.
    void SetFrame(int frame);
    // One sequence entry; the owner calls it every 0.08 s.
    void Step();

    bool IsFinished() const { return m_finished; }
    int GetFrame() const { return m_frame; }
    bool IsMirrored() const { return m_mirrored; }
    void SetMirrored(bool mirrored) { m_mirrored = mirrored; }
    GeomBlockSprite* GetGeometry() const { return m_geometry; }
    // Colour to replace and its replacement, handed to an RT_Karateka (RGBA).
    void SetReplaceColors(const float* oldColor, const float* newColor);
    const float* GetReplaceColorOld() const { return m_replaceOld; }
    const float* GetReplaceColorNew() const { return m_replaceNew; }

    void UpdateBounds() override;
    using Node::Render;
    void Render(uint32_t pass, RenderTechnique* overrideTechnique) override;

private:
    // The frame to show for a sequence entry: frame 0 for one the set does not have.
    int ValidFrame(int frame) const;

    GeomBlockSprite* m_geometry;
    float m_replaceOld[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float m_replaceNew[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    int m_frame = 0;
    const int* m_sequence = nullptr;
    int m_length = 0;
    int m_position = 0;
    bool m_repeat = false;
    int m_loopStart = 0;
    int m_repeats = 0;
    bool m_finished = true;
    bool m_mirrored = false;
};
