#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/Node.h"

class ElementList;
class RT_Balloon;

// The referee's speech balloon: up to four lines of text as glyph quads on both sides (the back
// reads left to right from behind), framed by four bars and a tail. Drawn with an RT_Balloon
// while shown; the enabled flag, while set, leaves it out (the karate effect sets it around its
// mirrored reflection pass, where the text would read backwards).
class BalloonNode : public Node {
public:
    static constexpr int kMaxLines = 4;
    static constexpr int kMaxLineLength = 64;

    BalloonNode(Node* parent, const std::string& name);
    ~BalloonNode() override;

    // Shows the text (lines at each LF) and clears the enabled flag; an empty text shows an
    // empty balloon, which draws nothing.
    void SetText(const std::string& text);
    void Hide() { m_shown = false; }
    bool IsShown() const { return m_shown; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    const std::vector<std::string>& GetLines() const { return m_lines; }
    // The lines joined with LF: what the balloon says.
    std::string GetText() const;
    int GetLongestLine() const { return m_longestLine; }
    // Null while the balloon is empty.
    ElementList* GetElementList() const { return m_list.get(); }

    void UpdateBounds() override;
    using Node::Render;
    void Render(uint32_t pass, RenderTechnique* overrideTechnique) override;

private:
    void BuildMesh();
    void AddGlyphQuads(int row, int column, float* lo, float* hi);
    // A six-sided piece from its eight corners (bit 0: +x, bit 1: +y, bit 2: +z).
    void AddPiece(const float corners[8][3]);
    void AddVertex(const float* position, const float* normal, float u, float v);
    void AddQuadIndices(bool flipped);

    bool m_shown = false;
    bool m_enabled = false;
    std::vector<std::string> m_lines;
    int m_longestLine = 0;
    std::unique_ptr<ElementList> m_list;
    BoundingBox m_box;
    std::unique_ptr<RT_Balloon> m_technique;
    // Write cursors while the mesh is built.
    uint32_t m_vertex = 0;
    uint32_t m_index = 0;
};
