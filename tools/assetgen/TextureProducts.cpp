#include <cmath>

#include "AssetGenerator.h"
#include "Canvas.h"
#include "StrokeFont.h"

namespace {

// Font grid: 16 x 16 cells of 32 pixels; glyph code c sits in column c % 16, row c / 16.
constexpr int kFontCell = 32;
constexpr float kFontScale = 2.5f;     // pixels per design unit: caps 17.5 px high
constexpr float kFontBaseline = 23.0f;  // from the cell top; leaves >= 2 px clear above and below
constexpr float kFontRadius = 1.45f;   // stroke half width in pixels

bool MakeFont(const std::string& dataDir) {
    const std::string path = AssetGenerator::OutputPath(dataDir, "textures/font_default.png");
    if (path.empty()) return false;
    Mask mask(16 * kFontCell, 16 * kFontCell);
    for (int code = 0; code < 256; ++code) {
        const auto segments = StrokeFont::Glyph(static_cast<unsigned char>(code));
        if (segments.empty()) continue;
        float minX, maxX;
        StrokeFont::InkRange(segments, minX, maxX);
        // Centre the ink horizontally; snap to half pixels so vertical stems stay crisp.
        const float cellX = static_cast<float>((code % 16) * kFontCell);
        float originX = cellX + kFontCell * 0.5f - (minX + maxX) * 0.5f * kFontScale;
        originX = std::round(originX * 2.0f) * 0.5f;
        const float baseline = static_cast<float>((code / 16) * kFontCell) + kFontBaseline;
        StrokeFont::Render(mask, segments, originX, baseline, kFontScale, kFontRadius);
    }
    Canvas canvas(mask.Width(), mask.Height());
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) canvas.Set(x, y, Rgba{1.0f, 1.0f, 1.0f, mask.Get(x, y)});
    return canvas.SavePNG(path);
}

}  // namespace

void RegisterTextureProducts(AssetGenerator& generator) {
    generator.Register({"font", "textures/font_default.png: 16x16 glyph grid, 32 px cells", MakeFont});
}
