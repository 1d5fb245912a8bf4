// Textures of the outdoor scene's light and atmosphere: clouds, night sky, water waves, noise,
// a test chart and the lens-flare elements.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "AssetGenerator.h"
#include "BlockFont.h"
#include "Canvas.h"

namespace {

constexpr float kTwoPi = 6.28318531f;

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
float SmoothStep(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}
float Hash01(uint32_t x, uint32_t y, uint32_t seed) {
    return static_cast<float>(Hash(x, y, seed) & 0xffffffu) / 16777215.0f;
}

// Gradient noise on a lattice that repeats every `period` cells, so a tile joins itself.
float PeriodicNoise(float x, float y, int period, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const float tx = x - fx, ty = y - fy;
    auto grad = [&](int ix, int iy, float dx, float dy) {
        const uint32_t px = static_cast<uint32_t>(((ix % period) + period) % period);
        const uint32_t py = static_cast<uint32_t>(((iy % period) + period) % period);
        const float a = Hash01(px, py, seed) * kTwoPi;
        return std::cos(a) * dx + std::sin(a) * dy;
    };
    auto fade = [](float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); };
    const float n00 = grad(x0, y0, tx, ty), n10 = grad(x0 + 1, y0, tx - 1.0f, ty);
    const float n01 = grad(x0, y0 + 1, tx, ty - 1.0f), n11 = grad(x0 + 1, y0 + 1, tx - 1.0f, ty - 1.0f);
    const float u = fade(tx), v = fade(ty);
    const float a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
    return a + (b - a) * v;
}

// Fractal sum over (u, v) in [0, 1): every octave's lattice divides the tile, so it tiles.
float Fbm(float u, float v, int base, int octaves, float gain, uint32_t seed) {
    float sum = 0.0f, amp = 1.0f, norm = 0.0f;
    int f = base;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * PeriodicNoise(u * f, v * f, f, seed + static_cast<uint32_t>(o) * 101u);
        norm += amp;
        amp *= gain;
        f *= 2;
    }
    return sum / norm;
}

// Half a quantisation step of hashed noise, so soft gradients leave no 8-bit bands.
float Dither(float v, int x, int y, uint32_t seed) {
    return v + (Hash01(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) - 0.5f) / 255.0f;
}

bool Save(const Canvas& canvas, const std::string& dataDir, const char* relative) {
    const std::string path = AssetGenerator::OutputPath(dataDir, relative);
    return !path.empty() && canvas.SavePNG(path, 6);
}

bool MakeClouds(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            const float f = Fbm(u, v, 4, 6, 0.55f, 11u);
            // Coverage grows out of the noise's upper half; thick cores stay bright.
            const float c = Dither(SmoothStep(-0.12f, 0.3f, f), x, y, 12u);
            canvas.Set(x, y, Rgba{c, c, c, Clamp01(c)});
        }
    return Save(canvas, dataDir, "textures/clouds.png");
}

// Adds a soft round point to a wrapping canvas.
void AddStar(Canvas& canvas, float cx, float cy, float radius, const Rgba& colour) {
    const int n = canvas.Width(), r = static_cast<int>(std::ceil(radius * 3.0f)) + 1;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const int x = static_cast<int>(std::floor(cx)) + dx, y = static_cast<int>(std::floor(cy)) + dy;
            const float ex = x + 0.5f - cx, ey = y + 0.5f - cy;
            const float k = std::exp(-(ex * ex + ey * ey) / (radius * radius));
            if (k < 0.004f) continue;
            const int wx = ((x % n) + n) % n, wy = ((y % n) + n) % n;
            Rgba d = canvas.Get(wx, wy);
            d.r = Clamp01(d.r + colour.r * k);
            d.g = Clamp01(d.g + colour.g * k);
            d.b = Clamp01(d.b + colour.b * k);
            canvas.Set(wx, wy, d);
        }
}

bool MakeStars(const std::string& dataDir) {
    const int n = 512;
    Canvas canvas(n, n);
    // A faint band of far stars and dust crossing the tile once along its diagonal.
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            const float across = u - v - std::floor(u - v) - 0.5f;  // wraps with the tile
            const float band = std::exp(-across * across * 40.0f);
            const float dust = 0.6f + 0.8f * Fbm(u, v, 8, 4, 0.6f, 21u);
            const float lane = SmoothStep(0.05f, -0.1f, Fbm(u, v, 4, 3, 0.5f, 22u));
            const float glow = Clamp01(band * dust * (1.0f - 0.6f * lane)) * 0.10f;
            canvas.Set(x, y, Rgba{glow * 0.85f, glow * 0.9f, glow * 1.1f, 1.0f});
        }
    // Many faint stars, more of them inside the band; some brighter; a few bright ones.
    const int faint = 1800, mid = 90, bright = 12;
    for (int i = 0; i < faint + mid + bright; ++i) {
        float x = Hash01(static_cast<uint32_t>(i), 1u, 31u) * n,
              y = Hash01(static_cast<uint32_t>(i), 2u, 31u) * n;
        if (i % 3 == 0) {  // pull a third of them towards the band
            const float t = (Hash01(static_cast<uint32_t>(i), 3u, 31u) - 0.5f) * 0.12f * n;
            y = std::fmod(x + n * 0.5f + t + n, static_cast<float>(n));
        }
        const float tint = Hash01(static_cast<uint32_t>(i), 4u, 31u);
        const Rgba hue = tint < 0.3f   ? Rgba{0.75f, 0.85f, 1.0f, 1.0f}
                         : tint < 0.8f ? Rgba{1.0f, 1.0f, 1.0f, 1.0f}
                                       : Rgba{1.0f, 0.88f, 0.7f, 1.0f};
        float level, radius;
        if (i < faint) {
            level = 0.12f + 0.3f * Hash01(static_cast<uint32_t>(i), 5u, 31u);
            radius = 0.55f;
        } else if (i < faint + mid) {
            level = 0.5f + 0.3f * Hash01(static_cast<uint32_t>(i), 5u, 31u);
            radius = 0.7f;
        } else {
            level = 1.0f;
            radius = 0.95f;
        }
        AddStar(canvas, x, y, radius, Rgba{hue.r * level, hue.g * level, hue.b * level, 1.0f});
        if (i >= faint + mid) {  // a small cross glint on the brightest
            for (int k = 2; k <= 4; ++k) {
                const float g = 0.25f / (k - 1);
                AddStar(canvas, x + k, y, 0.5f, Rgba{g, g, g, 1.0f});
                AddStar(canvas, x - k, y, 0.5f, Rgba{g, g, g, 1.0f});
                AddStar(canvas, x, y + k, 0.5f, Rgba{g, g, g, 1.0f});
                AddStar(canvas, x, y - k, 0.5f, Rgba{g, g, g, 1.0f});
            }
        }
    }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            Rgba c = canvas.Get(x, y);
            c.r = Dither(c.r, x, y, 32u);
            c.g = Dither(c.g, x, y, 33u);
            c.b = Dither(c.b, x, y, 34u);
            c.a = Clamp01(std::max({c.r, c.g, c.b}));
            canvas.Set(x, y, c);
        }
    return Save(canvas, dataDir, "textures/stars.png");
}

// Waves of several lengths and directions (whole numbers of waves per tile, so it repeats),
// chopped up by fine noise.
bool MakeWaterBump(const std::string& dataDir) {
    const int n = 256;
    struct Wave {
        int kx, ky;
        float amp, phase;
    };
    const Wave waves[] = {{2, 1, 0.6f, 0.3f},     {-1, 3, 0.55f, 1.7f},   {4, -3, 0.5f, 2.9f},
                          {5, 4, 0.45f, 0.8f},    {-7, 2, 0.35f, 4.1f},   {3, -8, 0.3f, 5.3f},
                          {-9, -6, 0.22f, 1.1f},  {12, 5, 0.16f, 3.6f},   {-4, 14, 0.12f, 2.2f},
                          {17, -11, 0.08f, 0.4f}, {-19, -13, 0.06f, 4.8f}};
    std::vector<float> h(static_cast<size_t>(n) * n);
    float lo = 1e9f, hi = -1e9f;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            float s = 0.0f;
            for (const Wave& w : waves) {
                // Sharpened crests: waves are steeper on top than in their troughs.
                const float p = std::sin(kTwoPi * (w.kx * u + w.ky * v) + w.phase);
                s += w.amp * std::pow((p + 1.0f) * 0.5f, 1.6f);
            }
            s += 0.6f * Fbm(u, v, 8, 4, 0.55f, 41u);
            h[static_cast<size_t>(y) * n + x] = s;
            lo = std::min(lo, s);
            hi = std::max(hi, s);
        }
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float g = Dither((h[static_cast<size_t>(y) * n + x] - lo) / (hi - lo), x, y, 42u);
            canvas.Set(x, y, Rgba{g, g, g, 1.0f});
        }
    return Save(canvas, dataDir, "textures/waterbump.png");
}

bool MakeRgbNoise(const std::string& dataDir) {
    const int n = 64;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const uint32_t h = Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 51u);
            canvas.Set(
                x, y,
                Rgba{(h & 0xff) / 255.0f, ((h >> 8) & 0xff) / 255.0f, ((h >> 16) & 0xff) / 255.0f, 1.0f});
        }
    return Save(canvas, dataDir, "textures/rgb-noise.png");
}

// Our test chart: primary and secondary bars, a grey step wedge and a smooth ramp, a hue sweep,
// a fine checker and a centred ring and cross to judge aspect and filtering.
bool MakeColourTest(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    const Rgba bars[8] = {{1, 1, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}, {0, 1, 0, 1},
                          {1, 0, 1, 1}, {1, 0, 0, 1}, {0, 0, 1, 1}, {0, 0, 0, 1}};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            Rgba c;
            if (y < 80) {
                c = bars[x / 32];
            } else if (y < 104) {
                const float g = std::floor(x / 16.0f) / 15.0f;
                c = Rgba{g, g, g, 1.0f};
            } else if (y < 128) {
                const float g = Dither((x + 0.5f) / n, x, y, 61u);
                c = Rgba{g, g, g, 1.0f};
            } else if (y < 160) {
                const float hue = (x + 0.5f) / n * 6.0f;
                auto ch = [&](float offset) {
                    const float d = std::fabs(std::fmod(hue + offset, 6.0f) - 3.0f);
                    return Clamp01(d - 1.0f);
                };
                const float light = 1.0f - (y - 128) / 40.0f;
                c = Rgba{ch(0.0f) * light, ch(4.0f) * light, ch(2.0f) * light, 1.0f};
            } else {
                const bool odd = ((x / 8) + (y / 8)) % 2 != 0;
                const float g = odd ? 0.75f : 0.25f;
                c = Rgba{g, g, g * 1.05f, 1.0f};
            }
            canvas.Set(x, y, c);
        }
    const Rgba mark{1.0f, 0.55f, 0.1f, 1.0f};
    canvas.DrawLine(128.0f, 164.0f, 128.0f, 252.0f, 0.8f, mark);
    canvas.DrawLine(84.0f, 208.0f, 172.0f, 208.0f, 0.8f, mark);
    for (int i = 0; i < 96; ++i) {
        const float a0 = i * kTwoPi / 96.0f, a1 = (i + 1) * kTwoPi / 96.0f;
        canvas.DrawLine(128.0f + 40.0f * std::cos(a0), 208.0f + 40.0f * std::sin(a0),
                        128.0f + 40.0f * std::cos(a1), 208.0f + 40.0f * std::sin(a1), 0.9f, mark);
    }
    BlockFont::Get().Draw(canvas, 8, 8, "TATAMIX+", Rgba{0.0f, 0.0f, 0.0f, 1.0f}, 2, 2);
    BlockFont::Get().Draw(canvas, 8, 56, "TEST CHART", Rgba{0.0f, 0.0f, 0.0f, 1.0f}, 1, 1);
    return Save(canvas, dataDir, "textures/color_test.png");
}

// --- lens flare elements: white shapes fading to black and transparent at the edge ---------

template <typename Shape>
bool MakeFlare(const std::string& dataDir, const char* relative, uint32_t seed, Shape shape) {
    const int n = 256, ss = 2;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float sum = 0.0f;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    const float px = (x + (sx + 0.5f) / ss) / (n * 0.5f) - 1.0f;
                    const float py = (y + (sy + 0.5f) / ss) / (n * 0.5f) - 1.0f;
                    sum += shape(px, py);
                }
            const float r = std::hypot((x + 0.5f) / (n * 0.5f) - 1.0f, (y + 0.5f) / (n * 0.5f) - 1.0f);
            // Everything reaches zero before the square's inscribed circle ends.
            const float v = sum / (ss * ss) * SmoothStep(0.97f, 0.9f, r);
            const float d = v > 0.0f ? Clamp01(Dither(v, x, y, seed)) : 0.0f;
            canvas.Set(x, y, Rgba{d, d, d, d});
        }
    return Save(canvas, dataDir, relative);
}

bool MakeLightBall(const std::string& dataDir) {
    return MakeFlare(dataDir, "textures/light_ball.png", 71u, [](float x, float y) {
        const float r = std::sqrt(x * x + y * y);
        return Clamp01(std::pow(Clamp01(1.0f - r), 2.4f) * 0.8f + std::exp(-r * r * 60.0f) * 0.25f);
    });
}

bool MakeLightBloom(const std::string& dataDir) {
    return MakeFlare(dataDir, "textures/light_bloom.png", 72u, [](float x, float y) {
        const float r2 = x * x + y * y;
        return Clamp01(std::exp(-r2 * 3.5f) * 0.65f + std::exp(-r2 * 18.0f) * 0.3f);
    });
}

bool MakeLightRays(const std::string& dataDir) {
    return MakeFlare(dataDir, "textures/light_rays.png", 73u, [](float x, float y) {
        const float r = std::sqrt(x * x + y * y), a = std::atan2(y, x);
        float rays = 0.0f;
        for (int i = 0; i < 40; ++i) {
            const float angle = Hash01(static_cast<uint32_t>(i), 1u, 74u) * kTwoPi;
            const float width = 0.008f + 0.02f * Hash01(static_cast<uint32_t>(i), 2u, 74u);
            const float length = 0.45f + 0.55f * Hash01(static_cast<uint32_t>(i), 3u, 74u);
            const float level = 0.5f + 0.5f * Hash01(static_cast<uint32_t>(i), 4u, 74u);
            float d = std::fabs(a - angle);
            d = std::min(d, kTwoPi - d);
            const float w = width * (1.0f + r * 2.0f);  // rays widen a little outwards
            if (d > 4.0f * w || r >= length) continue;
            const float fade = 1.0f - r / length;
            rays += level * std::exp(-d * d / (w * w)) * fade * fade;
        }
        const float core = std::exp(-r * r * 40.0f) + 0.35f * std::exp(-r * r * 6.0f);
        return Clamp01(core + rays * 0.7f);
    });
}

bool MakeLightLens1(const std::string& dataDir) {
    return MakeFlare(dataDir, "textures/light_lens1.png", 75u, [](float x, float y) {
        const float r = std::sqrt(x * x + y * y);
        const float disc = SmoothStep(0.8f, 0.72f, r) * (0.22f + 0.12f * r);
        const float ring = std::exp(-(r - 0.76f) * (r - 0.76f) / 0.0016f) * 0.55f;
        return Clamp01(disc + ring);
    });
}

bool MakeLightLens2(const std::string& dataDir) {
    return MakeFlare(dataDir, "textures/light_lens2.png", 76u, [](float x, float y) {
        // Distance to a hexagonal aperture, flat sides up and down.
        float d = 0.0f;
        for (int k = 0; k < 6; ++k) {
            const float a = (k * 60.0f + 30.0f) * kTwoPi / 360.0f;
            d = std::max(d, x * std::cos(a) + y * std::sin(a));
        }
        const float fill = SmoothStep(0.74f, 0.68f, d) * (0.3f + 0.15f * d);
        const float rim = std::exp(-(d - 0.7f) * (d - 0.7f) / 0.0012f) * 0.35f;
        return Clamp01(fill + rim);
    });
}

}  // namespace

void RegisterLightProducts(AssetGenerator& generator) {
    generator.Register({"clouds", "textures/clouds.png: tileable fractal cloud cover, 256x256", MakeClouds});
    generator.Register(
        {"stars", "textures/stars.png: tileable night sky with a faint band, 512x512", MakeStars});
    generator.Register(
        {"waterbump", "textures/waterbump.png: tileable wave height field, 256x256", MakeWaterBump});
    generator.Register(
        {"rgb_noise", "textures/rgb-noise.png: uniform random RGB noise, 64x64", MakeRgbNoise});
    generator.Register({"color_test", "textures/color_test.png: colour test chart, 256x256", MakeColourTest});
    generator.Register(
        {"light_ball", "textures/light_ball.png: soft round flare glow, 256x256", MakeLightBall});
    generator.Register(
        {"light_bloom", "textures/light_bloom.png: large soft flare bloom, 256x256", MakeLightBloom});
    generator.Register(
        {"light_rays", "textures/light_rays.png: star-burst flare rays, 256x256", MakeLightRays});
    generator.Register(
        {"light_lens1", "textures/light_lens1.png: soft lens ghost ring, 256x256", MakeLightLens1});
    generator.Register(
        {"light_lens2", "textures/light_lens2.png: hexagonal aperture ghost, 256x256", MakeLightLens2});
}
