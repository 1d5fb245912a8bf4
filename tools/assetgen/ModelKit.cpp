#include "ModelKit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "AssetGenerator.h"
#include "LWShapes.h"
#include "StrokeFont.h"

namespace ModelKit {

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float Smoothstep(float edge0, float edge1, float v) {
    const float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float Hash01(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h =
        static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xffffffu) / 16777215.0f;
}

float ValueNoise(float x, float y, float cell, int period, uint32_t seed) {
    const float fx = x / cell, fy = y / cell;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const float tx = fx - ix, ty = fy - iy;
    const float sx = tx * tx * (3.0f - 2.0f * tx), sy = ty * ty * (3.0f - 2.0f * ty);
    auto at = [&](int cx, int cy) {
        if (period > 0) cx = ((cx % period) + period) % period, cy = ((cy % period) + period) % period;
        return Hash01(cx, cy, seed);
    };
    const float a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float Fractal(float x, float y, float cell, int period, int octaves, uint32_t seed) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int o = 0; o < octaves && cell >= 1.0f; ++o) {
        sum += weight * ValueNoise(x, y, cell, period, seed + static_cast<uint32_t>(o) * 7919u);
        total += weight;
        weight *= 0.5f, cell *= 0.5f, period *= 2;
    }
    return total > 0.0f ? sum / total : 0.5f;
}

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
    return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba Scale(const Rgba& c, float k) {
    return Rgba{c.r * k, c.g * k, c.b * k, c.a};
}

namespace {

// Glyphs placed side by side by their ink, in design units; the width comes back.
std::vector<StrokeFont::Segment> LayOut(const std::string& text, float gap, float& width) {
    std::vector<StrokeFont::Segment> all;
    float pen = 0.0f;
    for (unsigned char code : text) {
        if (code == ' ') {
            pen += 2.6f + gap;
            continue;
        }
        auto glyph = StrokeFont::Glyph(code);
        float minX = 0.0f, maxX = 0.0f;
        StrokeFont::InkRange(glyph, minX, maxX);
        for (auto s : glyph) {
            s.x0 += pen - minX;
            s.x1 += pen - minX;
            all.push_back(s);
        }
        pen += (maxX - minX) + gap;
    }
    width = std::max(0.0f, pen - gap);
    return all;
}

}  // namespace

float TextWidth(const std::string& text, float capHeight, float radius, float spacing) {
    float width = 0.0f;
    LayOut(text, 1.4f * spacing, width);
    return width * capHeight / StrokeFont::kCapHeight + 2.0f * radius;
}

float DrawText(Canvas& canvas, const std::string& text, float x, float baseline, float capHeight,
               float radius, const Rgba& colour, Align align, float spacing) {
    float width = 0.0f;
    const auto segments = LayOut(text, 1.4f * spacing, width);
    const float scale = capHeight / StrokeFont::kCapHeight;
    const float drawn = width * scale;
    float origin = x;
    if (align == Align::Centre) origin -= drawn * 0.5f;
    if (align == Align::Right) origin -= drawn;
    // Only the text's own rectangle is rendered and blended.
    const int left = std::max(0, static_cast<int>(origin - radius - 2.0f));
    const int top = std::max(0, static_cast<int>(baseline - capHeight * 1.3f - radius - 2.0f));
    const int right = std::min(canvas.Width(), static_cast<int>(origin + drawn + radius + 3.0f));
    const int bottom =
        std::min(canvas.Height(), static_cast<int>(baseline + capHeight * 0.4f + radius + 3.0f));
    if (right <= left || bottom <= top) return drawn;
    Mask mask(right - left, bottom - top);
    StrokeFont::Render(mask, segments, origin - left, baseline - top, scale, radius);
    for (int y = top; y < bottom; ++y)
        for (int xx = left; xx < right; ++xx) canvas.Blend(xx, y, colour, mask.Get(xx - left, y - top));
    return drawn;
}

bool SaveImage(const Canvas& canvas, const std::string& dataDir, const std::string& relative) {
    const std::string path = AssetGenerator::OutputPath(dataDir, relative);
    return !path.empty() && canvas.SavePNG(path, 6);
}

LWSurfaceDesc& AddMaterial(LWObjectWriter& writer, const std::string& name, float r, float g, float b,
                           float specular, float glossiness, float smoothingDegrees) {
    LWSurfaceDesc& s = writer.AddSurface(name);
    s.colour[0] = r, s.colour[1] = g, s.colour[2] = b;
    s.specular = specular;
    s.glossiness = glossiness;
    s.smoothingDegrees = smoothingDegrees;
    return s;
}

LWImageMapDesc UVImage(uint32_t clip, const std::string& uvMap, const char* channel) {
    LWImageMapDesc map;
    map.channel = channel;
    map.clip = clip;
    map.projection = 5;
    map.uvMap = uvMap;
    return map;
}

LWImageMapDesc PlanarImage(uint32_t clip, uint16_t axis, const float centre[3], const float size[3],
                           const char* channel) {
    LWImageMapDesc map;
    map.channel = channel;
    map.clip = clip;
    map.projection = 0;
    map.axis = axis;
    for (int a = 0; a < 3; ++a) map.centre[a] = centre[a], map.size[a] = size[a];
    return map;
}

LWPlacement At(float x, float y, float z) {
    return LWPlacement::Translation(x, y, z);
}

namespace {
float SignedArea(const Outline& outline) {
    float area = 0.0f;
    for (size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++)
        area += outline[j].first * outline[i].second - outline[i].first * outline[j].second;
    return area * 0.5f;
}
}  // namespace

// A convex outline moved inwards by d (mitred corners).
Outline Inset(const Outline& outline, float d) {
    const float turn = SignedArea(outline) >= 0.0f ? 1.0f : -1.0f;
    const size_t n = outline.size();
    Outline out;
    for (size_t i = 0; i < n; ++i) {
        const auto& prev = outline[(i + n - 1) % n];
        const auto& here = outline[i];
        const auto& next = outline[(i + 1) % n];
        auto normal = [&](const std::pair<float, float>& a, const std::pair<float, float>& b) {
            const float dx = b.first - a.first, dy = b.second - a.second;
            const float len = std::sqrt(dx * dx + dy * dy);
            return len > 0.0f ? std::pair<float, float>(-dy / len * turn, dx / len * turn)
                              : std::pair<float, float>(0.0f, 0.0f);
        };
        const auto n1 = normal(prev, here), n2 = normal(here, next);
        const float k = 1.0f + n1.first * n2.first + n1.second * n2.second;
        const float scale = k > 0.1f ? d / k : d;
        out.emplace_back(here.first + (n1.first + n2.first) * scale,
                         here.second + (n1.second + n2.second) * scale);
    }
    return out;
}

// A side profile (z, y) pushed along x from x0 to x1, its two ends chamfered by `bevel`.
uint32_t AddExtrusion(LWObjectWriter& writer, const Outline& profile, float x0, float x1, float bevel,
                      const std::string& surface) {
    const Outline inner = Inset(profile, bevel);
    const float z[3] = {0, 0, 1}, y[3] = {0, 1, 0};
    const float o0[3] = {x0, 0, 0}, o1[3] = {x0 + bevel, 0, 0}, o2[3] = {x1 - bevel, 0, 0},
                o3[3] = {x1, 0, 0};
    return LWShapes::AddLoft(writer,
                             {LWShapes::PlaneRing(inner, o0, z, y), LWShapes::PlaneRing(profile, o1, z, y),
                              LWShapes::PlaneRing(profile, o2, z, y), LWShapes::PlaneRing(inner, o3, z, y)},
                             true, true, surface);
}

// A rounded box seen from above: a rounded-rectangle outline of (w, d) raised from y0 to y1,
// its top edge rounded by `bevel` (corner radius r, `segments` steps per corner).
uint32_t AddRoundedSlab(LWObjectWriter& writer, float w, float d, float r, int segments, float y0, float y1,
                        float bevel, const std::string& surface) {
    const float x[3] = {1, 0, 0}, z[3] = {0, 0, 1};
    const Outline outer = LWShapes::RoundedRectangle(w, d, r, segments);
    const Outline top =
        LWShapes::RoundedRectangle(w - 2 * bevel, d - 2 * bevel, std::max(0.0f, r - bevel), segments);
    const Outline mid = LWShapes::RoundedRectangle(w - 0.6f * bevel, d - 0.6f * bevel,
                                                   std::max(0.0f, r - 0.3f * bevel), segments);
    const float b0[3] = {0, y0, 0}, b1[3] = {0, y1 - bevel, 0}, b2[3] = {0, y1 - 0.3f * bevel, 0},
                b3[3] = {0, y1, 0};
    return LWShapes::AddLoft(writer,
                             {LWShapes::PlaneRing(outer, b0, x, z), LWShapes::PlaneRing(outer, b1, x, z),
                              LWShapes::PlaneRing(mid, b2, x, z), LWShapes::PlaneRing(top, b3, x, z)},
                             true, true, surface);
}

// A turned part along +y from the origin: (radius, height) pairs.
void AddTurned(LWObjectWriter& writer, const LWPlacement& placement, const Outline& profile, int segments,
               const std::string& surface) {
    Placed(writer, placement, [&] { LWShapes::AddLathe(writer, 0, 0, profile, segments, surface); });
}

// Turns +y onto -z (towards the front) or onto +x / -x (out of the sides).
LWPlacement FacingFront() {
    return LWPlacement::RotationX(-kPi * 0.5f);
}
LWPlacement FacingBack() {
    return LWPlacement::RotationX(kPi * 0.5f);
}
LWPlacement FacingRight() {
    return LWPlacement::RotationZ(-kPi * 0.5f);
}
LWPlacement FacingLeft() {
    return LWPlacement::RotationZ(kPi * 0.5f);
}

void AddBox(LWObjectWriter& writer, float cx, float cy, float cz, float sx, float sy, float sz, float bevel,
            const std::string& surface) {
    const float c[3] = {cx, cy, cz}, s[3] = {sx, sy, sz};
    LWShapes::AddBevelBox(writer, c, s, bevel, surface);
}

// A flat patch of w x h in the x-y plane facing -z (or the x-z plane facing +y), with UVs
// from 0 to 1 across it in the map of the same name as the surface's image layer.
uint32_t AddDecal(LWObjectWriter& writer, const LWPlacement& placement, float w, float h,
                  const std::string& surface, const std::string& uvMap, bool facingUp) {
    uint32_t first = 0;
    Placed(writer, placement, [&] {
        const float front[3] = {0, 0, -1}, up[3] = {0, 1, 0};
        first = LWShapes::AddPatch(
            writer, 1, 1,
            [&](float u, float v, float out[3]) {
                out[0] = (u - 0.5f) * w;
                out[1] = facingUp ? 0.0f : (v - 0.5f) * h;
                out[2] = facingUp ? (v - 0.5f) * h : 0.0f;
            },
            facingUp ? up : front, surface);
    });
    for (uint32_t j = 0; j < 2; ++j)
        for (uint32_t i = 0; i < 2; ++i)
            writer.SetUV(uvMap, first + j * 2 + i, static_cast<float>(i), static_cast<float>(j));
    return first;
}

// A cable leaving a device: a strain relief and a stub of cable along the given placement's +y.
void AddCableStub(LWObjectWriter& writer, const LWPlacement& placement, float radius, float length,
                  const std::string& surface) {
    AddTurned(writer, placement,
              {{0.0f, 0.0f},
               {radius * 2.2f, 0.0f},
               {radius * 2.0f, length * 0.25f},
               {radius * 1.3f, length * 0.55f},
               {radius, length * 0.6f},
               {radius, length},
               {0.0f, length}},
              10, surface);
}

}  // namespace ModelKit
