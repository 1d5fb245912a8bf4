#include "show/BalloonNode.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "materials/RT_Balloon.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"

namespace {
const float kCell = 0.2f;
// The text block is shifted left of the node's origin, which sits at the speaker's head.
const float kLeftPerColumn = 0.1332f;
const float kTextHalfDepth = 0.0375f;
const float kGlyphCell = 0.0625f;
// The front glyph keeps clear of its right and top neighbours in the font grid.
const float kFrontGlyph = 0.061875f;
const float kTextColor[4] = {1.0f, 0.98f, 0.9f, 1.0f};
// Frame pieces: cells of the font page around the text, 0.1 wide, flush with the text's faces;
// the tail hangs 0.2 below the bottom bar, 0.3 below the text.
const float kBar = 0.1f;
const float kTailSize = 0.2f;
// The list's budget for the pieces; what they leave unused stays degenerate.
const int kFrameVertices = 120;
const int kFrameIndexQuads = 15;
// Font page cells of the frame: corners and edges laid out like a keypad, the tail, solid ink.
enum : unsigned char {
    CELL_TOP_LEFT = 1,
    CELL_TOP = 2,
    CELL_TOP_RIGHT = 3,
    CELL_LEFT = 4,
    CELL_RIGHT = 6,
    CELL_BOTTOM_LEFT = 7,
    CELL_BOTTOM = 8,
    CELL_BOTTOM_RIGHT = 9,
    CELL_TAIL = 10,
    CELL_INK = 127,
};
// Frame cells are sampled a little inside their borders, away from the neighbouring cells.
const float kCellInset = 0.0005f;

// Glyph cell of a character in the 16 x 16 font grid (bytes above 127 have cells too).
void GlyphCell(unsigned char ch, float& u, float& v) {
    u = static_cast<float>(ch % 16) * kGlyphCell;
    v = static_cast<float>(15 - ch / 16) * kGlyphCell;
}
}  // namespace

BalloonNode::BalloonNode(Node* parent, const std::string& name) : Node(parent, name) {}

BalloonNode::~BalloonNode() = default;

std::string BalloonNode::GetText() const {
    std::string text;
    for (size_t i = 0; i < m_lines.size(); ++i) text += (i ? "\n" : "") + m_lines[i];
    return text;
}

void BalloonNode::SetText(const std::string& text) {
    m_lines.clear();
    m_list.reset();
    m_box = BoundingBox();
    m_longestLine = 0;
    m_shown = true;
    m_enabled = false;
    if (text.empty()) return;
    size_t start = 0;
    while (start <= text.size() && static_cast<int>(m_lines.size()) < kMaxLines) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        m_lines.push_back(text.substr(start, std::min<size_t>(end - start, kMaxLineLength)));
        m_longestLine = std::max(m_longestLine, static_cast<int>(m_lines.back().size()));
        start = end + 1;
    }
    BuildMesh();
}

void BalloonNode::BuildMesh() {
    const int lines = static_cast<int>(m_lines.size());
    const int width = m_longestLine;
    const uint32_t vertices = static_cast<uint32_t>(8 * lines * width + kFrameVertices);
    const uint32_t indices = static_cast<uint32_t>(12 * (lines * width + kFrameIndexQuads));
    m_list = std::make_unique<ElementList>(PRIMITIVE_TRIANGLES, vertices, indices);
    m_list->AllocVertexData(VERTEX_DATA_POSITION, 12);
    m_list->AllocVertexData(VERTEX_DATA_NORMAL, 12);
    m_list->AllocVertexData(VERTEX_DATA_COLOR, 16);
    m_list->AllocVertexData(VERTEX_DATA_TEXCOORD0, 8);
    m_list->AllocIndices();
    m_vertex = m_index = 0;

    float lo[3] = {FLT_MAX, FLT_MAX, -kTextHalfDepth}, hi[3] = {-FLT_MAX, -FLT_MAX, kTextHalfDepth};
    for (int r = 0; r < lines; ++r)
        for (int c = 0; c < width; ++c) AddGlyphQuads(r, c, lo, hi);
    if (width == 0) lo[0] = lo[1] = hi[0] = hi[1] = 0.0f;

    BuildFrame(lo, hi);
    if (GetRenderer()) m_list->CreateVBO(BUFFER_STATIC, BUFFER_DRAW);
}

void BalloonNode::AddGlyphQuads(int row, int column, float* lo, float* hi) {
    const int lines = static_cast<int>(m_lines.size());
    const int width = m_longestLine;
    const float xL = kCell * static_cast<float>(column) - kLeftPerColumn * static_cast<float>(width);
    const float yB = kCell * static_cast<float>(lines) - kCell * static_cast<float>(row);
    const std::string& line = m_lines[static_cast<size_t>(row)];
    auto at = [&](int c) -> unsigned char {
        return c < static_cast<int>(line.size()) ? static_cast<unsigned char>(line[static_cast<size_t>(c)])
                                                 : ' ';
    };
    const float corners[4][2] = {{xL, yB}, {xL + kCell, yB}, {xL, yB + kCell}, {xL + kCell, yB + kCell}};

    float u, v;
    GlyphCell(at(column), u, v);
    const float frontUV[4][2] = {
        {u, v}, {u + kFrontGlyph, v}, {u, v + kFrontGlyph}, {u + kFrontGlyph, v + kFrontGlyph}};
    static const float kFront[3] = {0.0f, 0.0f, 1.0f}, kBack[3] = {0.0f, 0.0f, -1.0f};
    for (int i = 0; i < 4; ++i) {
        const float p[3] = {corners[i][0], corners[i][1], kTextHalfDepth};
        AddVertex(p, kFront, frontUV[i][0], frontUV[i][1]);
    }
    AddQuadIndices(false);

    // From behind the row reads left to right: mirrored columns, mirrored glyphs.
    GlyphCell(at(width - 1 - column), u, v);
    const float backUV[4][2] = {
        {u + kGlyphCell, v}, {u, v}, {u + kGlyphCell, v + kGlyphCell}, {u, v + kGlyphCell}};
    for (int i = 0; i < 4; ++i) {
        const float p[3] = {corners[i][0], corners[i][1], -kTextHalfDepth};
        AddVertex(p, kBack, backUV[i][0], backUV[i][1]);
    }
    AddQuadIndices(true);

    lo[0] = std::min(lo[0], xL), hi[0] = std::max(hi[0], xL + kCell);
    lo[1] = std::min(lo[1], yB), hi[1] = std::max(hi[1], yB + kCell);
}

void BalloonNode::AddVertex(const float* position, const float* normal, float u, float v) {
    const uint32_t i = m_vertex++;
    float* p = m_list->GetVertexData(VERTEX_DATA_POSITION) + i * 3;
    float* n = m_list->GetVertexData(VERTEX_DATA_NORMAL) + i * 3;
    float* c = m_list->GetVertexData(VERTEX_DATA_COLOR) + i * 4;
    float* t = m_list->GetVertexData(VERTEX_DATA_TEXCOORD0) + i * 2;
    std::copy(position, position + 3, p);
    std::copy(normal, normal + 3, n);
    std::copy(kTextColor, kTextColor + 4, c);
    t[0] = u, t[1] = v;
}

void BalloonNode::AddQuadIndices(bool flipped) {
    const uint32_t b = m_vertex - 4;
    uint32_t* out = m_list->GetIndices() + m_index;
    const uint32_t front[6] = {b, b + 1, b + 2, b + 1, b + 3, b + 2};
    const uint32_t back[6] = {b, b + 2, b + 1, b + 1, b + 2, b + 3};
    std::copy(flipped ? back : front, (flipped ? back : front) + 6, out);
    m_index += 6;
}

void BalloonNode::BuildFrame(const float* lo, const float* hi) {
    const float x0 = lo[0] - kBar, x1 = hi[0] + kBar, y0 = lo[1] - kBar, y1 = hi[1] + kBar;
    const float d = kTextHalfDepth;
    // Top and bottom: rounded corners and the edge between them, with the slab's outer strip.
    AddCellQuads(x0, lo[0], hi[1], y1, CELL_TOP_LEFT);
    AddCellQuads(lo[0], hi[0], hi[1], y1, CELL_TOP);
    AddCellQuads(hi[0], x1, hi[1], y1, CELL_TOP_RIGHT);
    const float top[12] = {lo[0], y1, d, hi[0], y1, d, hi[0], y1, -d, lo[0], y1, -d};
    static const float kUp[3] = {0, 1, 0}, kDown[3] = {0, -1, 0}, kLeft[3] = {-1, 0, 0},
                       kRight[3] = {1, 0, 0};
    AddStrip(top, kUp);
    AddCellQuads(x0, lo[0], y0, lo[1], CELL_BOTTOM_LEFT);
    AddCellQuads(lo[0], hi[0], y0, lo[1], CELL_BOTTOM);
    AddCellQuads(hi[0], x1, y0, lo[1], CELL_BOTTOM_RIGHT);
    const float bottom[12] = {lo[0], y0, -d, hi[0], y0, -d, hi[0], y0, d, lo[0], y0, d};
    AddStrip(bottom, kDown);
    // The sides.
    AddCellQuads(x0, lo[0], lo[1], hi[1], CELL_LEFT);
    const float left[12] = {x0, lo[1], -d, x0, lo[1], d, x0, hi[1], d, x0, hi[1], -d};
    AddStrip(left, kLeft);
    AddCellQuads(hi[0], x1, lo[1], hi[1], CELL_RIGHT);
    const float right[12] = {x1, lo[1], d, x1, lo[1], -d, x1, hi[1], -d, x1, hi[1], d};
    AddStrip(right, kRight);
    // The tail points down below the speaker's head (right of the balloon's origin), within the
    // bottom bar.
    const float tailLeft = std::max(lo[0], std::min(0.075f, hi[0] - kTailSize));
    AddCellQuads(tailLeft, tailLeft + kTailSize, y0 - kTailSize, y0, CELL_TAIL);

    const float boxLo[3] = {x0, y0 - kTailSize, -d}, boxHi[3] = {x1, y1, d};
    m_box.SetMinMax(boxLo, boxHi);
}

void BalloonNode::AddCellQuads(float xa, float xb, float ya, float yb, unsigned char cell) {
    static const float kFront[3] = {0.0f, 0.0f, 1.0f}, kBack[3] = {0.0f, 0.0f, -1.0f};
    float u, v;
    GlyphCell(cell, u, v);
    const float ua = u + kCellInset, ub = u + kGlyphCell - kCellInset;
    const float va = v + kCellInset, vb = v + kGlyphCell - kCellInset;
    const float corners[4][2] = {{xa, ya}, {xb, ya}, {xa, yb}, {xb, yb}};
    const float front[4][2] = {{ua, va}, {ub, va}, {ua, vb}, {ub, vb}};
    // From behind the piece is seen mirrored, so its rim stays on the outer side.
    const float back[4][2] = {{ub, va}, {ua, va}, {ub, vb}, {ua, vb}};
    for (int i = 0; i < 4; ++i) {
        const float p[3] = {corners[i][0], corners[i][1], kTextHalfDepth};
        AddVertex(p, kFront, front[i][0], front[i][1]);
    }
    AddQuadIndices(false);
    for (int i = 0; i < 4; ++i) {
        const float p[3] = {corners[i][0], corners[i][1], -kTextHalfDepth};
        AddVertex(p, kBack, back[i][0], back[i][1]);
    }
    AddQuadIndices(true);
}

void BalloonNode::AddStrip(const float* corners, const float* normal) {
    // The balloon's outline seen edge-on: solid ink.
    float u, v;
    GlyphCell(CELL_INK, u, v);
    u += 0.5f * kGlyphCell, v += 0.5f * kGlyphCell;
    for (int k = 0; k < 4; ++k) AddVertex(corners + k * 3, normal, u, v);
    const uint32_t base = m_vertex - 4;
    const uint32_t quad[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
    std::copy(quad, quad + 6, m_list->GetIndices() + m_index);
    m_index += 6;
}

void BalloonNode::UpdateBounds() {
    SetLocalBounds(BOUNDS_LOCAL, m_box);
}

void BalloonNode::Render(uint32_t pass, RenderTechnique* overrideTechnique) {
    if (!m_shown || m_enabled || !m_list) return;
    if (overrideTechnique) {
        overrideTechnique->Draw(*m_list);
        return;
    }
    if (!m_technique) m_technique = std::make_unique<RT_Balloon>();
    m_technique->Begin(static_cast<int>(pass));
    m_technique->Draw(*m_list);
    m_technique->End();
}
