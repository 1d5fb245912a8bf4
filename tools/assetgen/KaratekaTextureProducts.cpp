// Textures of the block fighters and their speech balloons: the balloon font, the bevel bump
// map every block shares and the shiny environment map.
#include <algorithm>
#include <cmath>
#include <string>

#include "AssetGenerator.h"
#include "BlockFont.h"
#include "Canvas.h"

namespace {

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
float SmoothStep(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
Rgba Mix(const Rgba& a, const Rgba& b, float t) {
    return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

bool Save(const Canvas& canvas, const std::string& dataDir, const char* relative) {
    const std::string path = AssetGenerator::OutputPath(dataDir, relative);
    return !path.empty() && canvas.SavePNG(path, 6);
}

// The balloon font: a 16 x 16 grid of cells, code = row * 16 + column with row 0 at the top.
// Each cell is the 8 x 8 glyph at 2 x 2 texels per font pixel, dark ink on opaque paper, so a
// row of text cells is the balloon's body. Besides the glyphs of printable ASCII:
//   0, 32   plain paper
//   1 2 3   top-left corner, top edge, top-right corner   (a one-pixel ink rim on the outer
//   4 5 6   left edge, plain paper, right edge             side; outside a corner's curve
//   7 8 9   bottom-left corner, bottom edge, bottom-right  the paper is transparent)
//   10      the tail: a triangle pointing down, rimmed, transparent around it
//   127     solid ink
//   128..255  the same set in inverse video (paper-coloured glyphs on ink).
constexpr int kFontTexel = 2;
constexpr int kFontCell = 8 * kFontTexel;

// Ink coverage of font pixel (x, y) of a frame-piece cell, or -1 where the texture is
// transparent (outside the rounded corners and the tail).
int FramePiece(int code, int x, int y) {
    if (code >= 1 && code <= 9) {
        const int col = (code - 1) % 3, row = (code - 1) / 3;  // 0 = left/top, 2 = right/bottom
        const bool left = col == 0, right = col == 2, top = row == 0, bottom = row == 2;
        if ((left || right) && (top || bottom)) {
            // Quarter circle of radius 7 centred on the inner corner of the cell.
            const float cx = left ? 7.5f : -0.5f, cy = top ? 7.5f : -0.5f;
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            if (d > 7.6f) return -1;
            return d > 6.4f ? 1 : 0;
        }
        return (left && x == 0) || (right && x == 7) || (top && y == 0) || (bottom && y == 7) ? 1 : 0;
    }
    if (code == 10) {
        // Apex at the bottom middle, base along the top edge.
        const float half = (8.0f - y) * 0.5f, mid = 3.5f, dx = std::fabs(x - mid);
        if (dx > half + 0.01f) return -1;
        return (dx > half - 1.0f || y == 7) ? 1 : 0;
    }
    return code == BlockFont::kFullBlock ? 1 : 0;
}

bool MakeBalloonFont(const std::string& dataDir) {
    const Rgba paper{246 / 255.0f, 241 / 255.0f, 226 / 255.0f, 1.0f},
        ink{30 / 255.0f, 28 / 255.0f, 48 / 255.0f, 1.0f};
    const BlockFont& font = BlockFont::Get();
    Canvas canvas(16 * kFontCell, 16 * kFontCell);
    for (int code = 0; code < 256; ++code) {
        const int base = code & 0x7F;
        const bool inverse = code >= 128;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                int v = font.Ink(static_cast<unsigned char>(base), x, y) ? 1 : 0;
                if (base <= 10 || base == BlockFont::kFullBlock) v = FramePiece(base, x, y);
                Rgba c = v < 0 ? Rgba{paper.r, paper.g, paper.b, 0.0f} : ((v > 0) != inverse ? ink : paper);
                for (int ty = 0; ty < kFontTexel; ++ty)
                    for (int tx = 0; tx < kFontTexel; ++tx)
                        canvas.Set((code % 16) * kFontCell + x * kFontTexel + tx,
                                   (code / 16) * kFontCell + y * kFontTexel + ty, c);
            }
    }
    return Save(canvas, dataDir, "textures/font_C64.png");
}

// Height field of soft-edged square bricks, 10 x 10 per tile: every block face of a fighter
// spans one tenth of the texture, so each block becomes one bevelled brick. 4 x 4 samples per
// texel keep the bevel's foot smooth where cell edges fall between texels.
bool MakeBlockBump(const std::string& dataDir) {
    const int n = 256, cells = 10, ss = 4;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float sum = 0.0f;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    const float u = (x + (sx + 0.5f) / ss) / n * cells,
                                v = (y + (sy + 0.5f) / ss) / n * cells;
                    const float cu = u - std::floor(u), cv = v - std::floor(v);
                    const float d = std::min(std::min(cu, 1.0f - cu), std::min(cv, 1.0f - cv));
                    // A rounded shoulder: flat top, the bevel falling off over a fifth of the cell.
                    const float t = Clamp01(d / 0.2f);
                    sum += 0.3f + 0.7f * std::sin(t * 1.5707963f);
                }
            const float h = sum / (ss * ss);
            canvas.Set(x, y, Rgba{h, h, h, 1.0f});
        }
    return Save(canvas, dataDir, "textures/karateka_bump.png");
}

// Sphere-mapped surroundings as a shiny block would mirror them: soft sky above, warm ground
// below, a bright window up to one side. Texel (s, t) holds the colour seen along the
// reflection of the view ray on a sphere whose normal is (2s - 1, 2t - 1, nz); the top image
// row is up.
Rgba EnvironmentColour(float rx, float ry, float rz) {
    const Rgba zenith{0.36f, 0.55f, 0.84f, 1.0f}, horizon{0.80f, 0.85f, 0.90f, 1.0f};
    const Rgba groundNear{0.62f, 0.46f, 0.30f, 1.0f}, groundFar{0.34f, 0.24f, 0.17f, 1.0f};
    Rgba c = ry >= 0.0f ? Mix(horizon, zenith, std::pow(Clamp01(ry), 0.6f))
                        : Mix(groundNear, groundFar, std::pow(Clamp01(-ry), 0.7f));
    // A soft bright horizon line between them.
    const float band = std::exp(-ry * ry * 120.0f);
    c = Mix(c, Rgba{0.98f, 0.94f, 0.86f, 1.0f}, band * 0.5f);
    // The window: a bright rectangle of four panes, up and to the left in front.
    const float len = std::sqrt(rx * rx + ry * ry + rz * rz);
    const float wx = rx / len + 0.45f, wy = ry / len - 0.42f;
    if (rz > -0.2f) {
        const float inside = SmoothStep(0.24f, 0.2f, std::fabs(wx)) * SmoothStep(0.2f, 0.16f, std::fabs(wy));
        const float bars = 1.0f - 0.75f * (SmoothStep(0.025f, 0.01f, std::fabs(wx)) +
                                           SmoothStep(0.025f, 0.01f, std::fabs(wy)));
        c = Mix(c, Rgba{1.0f, 0.98f, 0.92f, 1.0f}, inside * Clamp01(bars));
        const float glow = std::exp(-(wx * wx + wy * wy) * 14.0f);
        c = Mix(c, Rgba{1.0f, 0.97f, 0.9f, 1.0f}, glow * 0.35f);
    }
    return c;
}

bool MakeBlockEnvironment(const std::string& dataDir) {
    const int n = 256, ss = 3;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            Rgba sum{0.0f, 0.0f, 0.0f, 0.0f};
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    float nx = (x + (sx + 0.5f) / ss) / n * 2.0f - 1.0f;
                    float ny = 1.0f - (y + (sy + 0.5f) / ss) / n * 2.0f;
                    const float r2 = nx * nx + ny * ny;
                    if (r2 > 0.99f) {  // outside the sphere: the rim's colour continues outwards
                        const float r = std::sqrt(r2) / 0.995f;
                        nx /= r;
                        ny /= r;
                    }
                    const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
                    const Rgba c = EnvironmentColour(2.0f * nz * nx, 2.0f * nz * ny, 2.0f * nz * nz - 1.0f);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                }
            const float k = 1.0f / (ss * ss);
            canvas.Set(x, y, Rgba{sum.r * k, sum.g * k, sum.b * k, 1.0f});
        }
    return Save(canvas, dataDir, "textures/karateka_env.png");
}

}  // namespace

void RegisterKaratekaTextureProducts(AssetGenerator& generator) {
    generator.Register({"font_c64", "textures/font_C64.png: 8x8 balloon font on paper, 16x16 cells, 256x256",
                        MakeBalloonFont});
    generator.Register({"karateka_bump",
                        "textures/karateka_bump.png: 10x10 bevelled bricks height field, 256x256",
                        MakeBlockBump});
    generator.Register({"karateka_env",
                        "textures/karateka_env.png: sphere-mapped sky, ground and window, 256x256",
                        MakeBlockEnvironment});
}
