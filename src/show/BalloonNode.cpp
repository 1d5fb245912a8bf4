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
// Frame: bars 0.1 wide around the text, 0.05 deep on each side; the tail reaches 0.3 below it.
const float kBar = 0.1f;
const float kFrameHalfDepth = 0.05f;
const float kTailDrop = 0.3f;
const int kPieceVertices = 24;
const int kPieceIndices = 36;
const int kPieces = 5;

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
    const uint32_t vertices = static_cast<uint32_t>(8 * lines * width + kPieces * kPieceVertices);
    const uint32_t indices = static_cast<uint32_t>(12 * (lines * width + kPieces * kPieceIndices / 12));
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

    // Four bars around the text block and a tapering tail towards the speaker.
    const float x0 = lo[0] - kBar, x1 = hi[0] + kBar, y0 = lo[1] - kBar, y1 = hi[1] + kBar;
    const float d = kFrameHalfDepth;
    auto bar = [&](float ax, float bx, float ay, float by) {
        float c[8][3];
        for (int i = 0; i < 8; ++i) {
            c[i][0] = (i & 1) ? bx : ax;
            c[i][1] = (i & 2) ? by : ay;
            c[i][2] = (i & 4) ? d : -d;
        }
        AddPiece(c);
    };
    bar(x0, x1, hi[1], y1);
    bar(x0, x1, y0, lo[1]);
    bar(x0, lo[0], lo[1], hi[1]);
    bar(hi[0], x1, lo[1], hi[1]);
    const float tailLeft = std::max(lo[0], hi[0] - 0.35f);
    const float tip = lo[1] - kTailDrop;
    float tail[8][3];
    for (int i = 0; i < 8; ++i) {
        const bool top = (i & 2) != 0, right = (i & 1) != 0, front = (i & 4) != 0;
        tail[i][0] =
            top ? tailLeft + (right ? 2.0f * kBar : 0.0f) : tailLeft + (right ? 2.5f * kBar : 2.0f * kBar);
        tail[i][1] = top ? y0 : tip;
        tail[i][2] = (front ? 1.0f : -1.0f) * (top ? d : 0.5f * d);
    }
    AddPiece(tail);

    const float boxLo[3] = {x0, tip, -d}, boxHi[3] = {x1, y1, d};
    m_box.SetMinMax(boxLo, boxHi);
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

void BalloonNode::AddPiece(const float corners[8][3]) {
    // Faces counter-clockwise from outside: front, back, left, right, top, bottom.
    static const int kFaces[6][4] = {{4, 5, 7, 6}, {1, 0, 2, 3}, {0, 4, 6, 2},
                                     {5, 1, 3, 7}, {6, 7, 3, 2}, {0, 1, 5, 4}};
    // Blank paper: the middle of the space glyph's cell.
    float u, v;
    GlyphCell(' ', u, v);
    u += 0.5f * kGlyphCell, v += 0.5f * kGlyphCell;
    for (const auto& face : kFaces) {
        const float* a = corners[face[0]];
        const float* b = corners[face[1]];
        const float* d = corners[face[3]];
        const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float e2[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
        float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                      e1[0] * e2[1] - e1[1] * e2[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0.0f) n[0] /= length, n[1] /= length, n[2] /= length;
        for (int k = 0; k < 4; ++k) AddVertex(corners[face[k]], n, u, v);
        const uint32_t base = m_vertex - 4;
        const uint32_t quad[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
        std::copy(quad, quad + 6, m_list->GetIndices() + m_index);
        m_index += 6;
    }
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
