#include <algorithm>
#include <cmath>
#include <cstdint>

#include "AssetGenerator.h"
#include "Canvas.h"
#include "StrokeFont.h"

namespace {

// Font grid: 16 x 16 cells of 32 pixels; glyph code c sits in column c % 16, row c / 16.
constexpr int kFontCell = 32;
constexpr float kFontScale = 2.5f;      // pixels per design unit: caps 17.5 px high
constexpr float kFontBaseline = 23.0f;  // from the cell top; leaves >= 2 px clear above and below
constexpr float kFontRadius = 1.45f;    // stroke half width in pixels
constexpr float kFontWidth = 1.35f;     // horizontal stretch: the strokes' natural width leaves cells half empty

bool MakeFont(const std::string& dataDir) {
    const std::string path = AssetGenerator::OutputPath(dataDir, "textures/font_default.png");
    if (path.empty()) return false;
    Mask mask(16 * kFontCell, 16 * kFontCell);
    for (int code = 0; code < 256; ++code) {
        auto segments = StrokeFont::Glyph(static_cast<unsigned char>(code));
        if (segments.empty()) continue;
        for (StrokeFont::Segment& segment : segments) {
            segment.x0 *= kFontWidth;
            segment.x1 *= kFontWidth;
        }
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

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
float Lerp(float a, float b, float t) {
    return a + (b - a) * t;
}
Rgba Mix(const Rgba& a, const Rgba& b, float t) {
    return Rgba{Lerp(a.r, b.r, t), Lerp(a.g, b.g, t), Lerp(a.b, b.b, t), Lerp(a.a, b.a, t)};
}
float SmoothStep(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// Position hash for texture grain: stable across platforms, no generator state.
float Hash01(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xffffffu) / 16777215.0f;
}

bool Save(const Canvas& canvas, const std::string& dataDir, const char* relative) {
    const std::string path = AssetGenerator::OutputPath(dataDir, relative);
    return !path.empty() && canvas.SavePNG(path);
}

// Lays a text out with the stroke font: sheared for an italic lean, advancing by ink width.
std::vector<StrokeFont::Segment> LayOut(const char* text, float gap, float shear, float& width) {
    std::vector<StrokeFont::Segment> all;
    float pen = 0.0f;
    for (const char* p = text; *p; ++p) {
        auto glyph = StrokeFont::Glyph(static_cast<unsigned char>(*p));
        float minX, maxX;
        StrokeFont::InkRange(glyph, minX, maxX);
        for (auto s : glyph) {
            s.x0 += pen - minX + s.y0 * shear;
            s.x1 += pen - minX + s.y1 * shear;
            all.push_back(s);
        }
        pen += (maxX - minX) + gap;
    }
    width = pen - gap + StrokeFont::kCapHeight * shear;
    return all;
}

bool MakeLogo(const std::string& dataDir) {
    const int w = 1024, h = 256;
    const float scale = 18.0f, radius = 14.0f, outline = 6.0f;
    float width;
    const auto text = LayOut("TATAMIX+", 1.9f, 0.16f, width);
    const float originX = std::round((w - width * scale) * 0.5f) - 6.0f;
    const float baseline = std::round(h * 0.5f + StrokeFont::kCapHeight * scale * 0.5f);
    Mask fill(w, h), rim(w, h), shadow(w, h);
    StrokeFont::Render(fill, text, originX, baseline, scale, radius);
    StrokeFont::Render(rim, text, originX, baseline, scale, radius + outline);
    StrokeFont::Render(shadow, text, originX + 9.0f, baseline + 11.0f, scale, radius + outline);
    shadow.Blur(5);
    const float top = baseline - StrokeFont::kCapHeight * scale - radius;
    const float bottom = baseline + radius;
    const Rgba hiYellow{1.0f, 0.97f, 0.55f, 1.0f}, yellow{1.0f, 0.84f, 0.12f, 1.0f};
    const Rgba orange{1.0f, 0.47f, 0.05f, 1.0f}, red{0.86f, 0.16f, 0.06f, 1.0f};
    Canvas canvas(w, h);
    canvas.Fill(Rgba{0.0f, 0.0f, 0.0f, 0.0f});
    for (int y = 0; y < h; ++y) {
        const float t = Clamp01((y + 0.5f - top) / (bottom - top));
        // Two-tone "chrome" ramp: a bright upper half, a hard horizon, then a hot lower half.
        Rgba grad = t < 0.5f ? Mix(hiYellow, yellow, t / 0.5f) : Mix(orange, red, (t - 0.5f) / 0.5f);
        if (t >= 0.5f && t < 0.56f) grad = Mix(Rgba{1.0f, 0.95f, 0.7f, 1.0f}, orange, (t - 0.5f) / 0.06f);
        for (int x = 0; x < w; ++x) {
            canvas.Blend(x, y, Rgba{0.0f, 0.0f, 0.0f, 0.65f}, shadow.Get(x, y));
            canvas.Blend(x, y, Rgba{0.13f, 0.02f, 0.10f, 1.0f}, rim.Get(x, y));
            canvas.Blend(x, y, grad, fill.Get(x, y));
        }
    }
    return Save(canvas, dataDir, "textures/logo_tatamix.png");
}

bool MakeGlow(const std::string& dataDir) {
    const int n = 128;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float dx = (x + 0.5f) / (n * 0.5f) - 1.0f, dy = (y + 0.5f) / (n * 0.5f) - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float falloff = std::pow(Clamp01(1.0f - r), 2.2f);
            const float core = std::exp(-r * r * 40.0f);
            canvas.Set(x, y, Rgba{1.0f, 1.0f, 1.0f, Clamp01(falloff * 0.85f + core * 0.15f)});
        }
    return Save(canvas, dataDir, "textures/glow.png");
}

bool MakeRasterBars(const std::string& dataDir) {
    // A 16-colour-era style palette of our own choosing, one hue per bar.
    const Rgba hues[8] = {{0.85f, 0.20f, 0.18f, 1}, {0.90f, 0.52f, 0.15f, 1}, {0.93f, 0.86f, 0.30f, 1},
                          {0.40f, 0.80f, 0.30f, 1}, {0.35f, 0.80f, 0.82f, 1}, {0.28f, 0.35f, 0.88f, 1},
                          {0.70f, 0.30f, 0.80f, 1}, {0.72f, 0.72f, 0.72f, 1}};
    const int w = 16, h = 256, bar = 32;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y) {
        const Rgba& hue = hues[y / bar];
        // Eight discrete shades per half bar, as a palette-limited machine would step them.
        const float t = ((y % bar) + 0.5f) / bar;
        const float level = std::floor(std::sin(t * 3.14159265f) * 8.0f) / 8.0f;
        const float shine = level > 0.87f ? 0.45f : 0.0f;
        const Rgba c{Clamp01(hue.r * level + shine), Clamp01(hue.g * level + shine),
                     Clamp01(hue.b * level + shine), 1};
        for (int x = 0; x < w; ++x) canvas.Set(x, y, c);
    }
    return Save(canvas, dataDir, "textures/rasterbars.png");
}

bool MakeScanlines(const std::string& dataDir) {
    Canvas canvas(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) canvas.Set(x, y, Rgba{0.0f, 0.0f, 0.0f, (y % 2) ? 0.32f : 0.0f});
    return Save(canvas, dataDir, "textures/scanlines.png");
}

bool MakeChecker(const std::string& dataDir) {
    const int n = 256, square = 32;
    const Rgba straw{0.82f, 0.75f, 0.47f, 1.0f}, green{0.47f, 0.57f, 0.29f, 1.0f};
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const bool odd = ((x / square) + (y / square)) % 2 != 0;
            Rgba c = odd ? green : straw;
            // Woven rush grain runs across each square, turning direction from square to square.
            const int along = odd ? y : x;
            const float weave = 0.92f + 0.08f * std::fabs(std::sin((along % 4) * 0.785398f + 0.4f));
            const float grain = 0.95f + 0.07f * Hash01(static_cast<uint32_t>(odd ? x / 3 : x),
                                                       static_cast<uint32_t>(odd ? y : y / 3), 7u);
            // Darkened mat border where squares meet.
            const int ex = std::min(x % square, square - 1 - x % square);
            const int ey = std::min(y % square, square - 1 - y % square);
            const float edge = std::min(ex, ey) < 1 ? 0.72f : (std::min(ex, ey) < 2 ? 0.88f : 1.0f);
            const float k = weave * grain * edge;
            c = Rgba{Clamp01(c.r * k), Clamp01(c.g * k), Clamp01(c.b * k), 1.0f};
            canvas.Set(x, y, c);
        }
    return Save(canvas, dataDir, "textures/checker.png");
}

bool MakeStar(const std::string& dataDir) {
    const int n = 64;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float dx = (x + 0.5f) / (n * 0.5f) - 1.0f, dy = (y + 0.5f) / (n * 0.5f) - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float rayH = std::exp(-dy * dy * 900.0f) * std::pow(Clamp01(1.0f - std::fabs(dx)), 1.6f);
            const float rayV = std::exp(-dx * dx * 900.0f) * std::pow(Clamp01(1.0f - std::fabs(dy)), 1.6f);
            const float core = std::exp(-r * r * 60.0f);
            const float halo = 0.25f * std::pow(Clamp01(1.0f - r * 2.2f), 2.0f);
            const float a = Clamp01(std::max(rayH, rayV) + core + halo);
            canvas.Set(x, y, Rgba{1.0f, 1.0f, 0.92f + 0.08f * core, a * SmoothStep(1.0f, 0.9f, r)});
        }
    return Save(canvas, dataDir, "textures/star.png");
}

bool MakeBelt(const std::string& dataDir) {
    const int w = 512, h = 64;
    const float top = 10.0f, bottom = 54.0f;
    Canvas canvas(w, h);
    canvas.Fill(Rgba{0.05f, 0.05f, 0.05f, 0.0f});
    for (int y = 0; y < h; ++y) {
        const float yc = y + 0.5f;
        const float cover = Clamp01(yc - top + 0.5f) * Clamp01(bottom - yc + 0.5f);
        if (cover <= 0.0f) continue;
        const float t = (yc - top) / (bottom - top);
        // Rounded cloth: lit from above, darker towards the folded edges.
        const float shade = 0.55f + 0.45f * std::sin(Clamp01(t) * 3.14159265f) - 0.12f * t;
        for (int x = 0; x < w; ++x) {
            const float grain =
                0.9f + 0.2f * Hash01(static_cast<uint32_t>(x), static_cast<uint32_t>(y / 2), 3u);
            float v = 0.11f * shade * grain;
            Rgba c{v, v, v * 1.05f, 1.0f};
            // Rows of running stitches; the period divides the width so the belt tiles sideways.
            for (float row : {16.0f, 24.0f, 32.0f, 40.0f, 48.0f})
                if (std::fabs(yc - row) < 0.9f && (x % 8) < 5) c = Rgba{0.30f, 0.30f, 0.32f, 1.0f};
            // Two thin gold bands near the edges.
            if (std::fabs(yc - 13.0f) < 1.0f || std::fabs(yc - 51.0f) < 1.0f)
                c = Rgba{0.86f * shade + 0.1f, 0.66f * shade, 0.18f, 1.0f};
            c.a = cover;
            canvas.Set(x, y, c);
        }
    }
    return Save(canvas, dataDir, "textures/belt.png");
}

}  // namespace

void RegisterTextureProducts(AssetGenerator& generator) {
    generator.Register({"font", "textures/font_default.png: 16x16 glyph grid, 32 px cells", MakeFont});
    generator.Register({"logo", "textures/logo_tatamix.png: title logo, 1024x256", MakeLogo});
    generator.Register({"glow", "textures/glow.png: soft round glow sprite, 128x128", MakeGlow});
    generator.Register({"rasterbars", "textures/rasterbars.png: shaded colour bars, 16x256", MakeRasterBars});
    generator.Register({"scanlines", "textures/scanlines.png: dark scan-line overlay, 4x4", MakeScanlines});
    generator.Register({"checker", "textures/checker.png: tatami checkerboard floor, 256x256", MakeChecker});
    generator.Register({"star", "textures/star.png: four-point sparkle, 64x64", MakeStar});
    generator.Register({"belt", "textures/belt.png: karate belt stripe for wipes, 512x64", MakeBelt});
}
