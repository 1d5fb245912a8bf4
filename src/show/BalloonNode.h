#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/Node.h"

class ElementList;
class RT_Balloon;

// The referee's speech balloon: up to four lines of text as glyph quads on both sides (the back
// reads left to right from behind), framed by the font page's frame cells (rounded corners,
// edges with an ink rim) and its tail. Drawn with an RT_Balloon
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
    // The five frame pieces around the text block's bounds (x, y).
    void BuildFrame(const float* lo, const float* hi);
    // A rectangle showing one cell of the font page on both sides.
    void AddCellQuads(float xa, float xb, float ya, float yb, unsigned char cell);
    // A quad closing the slab's edge.
    void AddStrip(const float* corners, const float* normal);
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
