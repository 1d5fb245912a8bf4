#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Straight (not premultiplied) RGBA colour, components 0..1.
struct Rgba {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

// A float RGBA image with the few drawing primitives the generated textures need.
// Row 0 is the top row; pixel (x, y) covers [x, x+1) x [y, y+1), its centre at +0.5.
// A new canvas is transparent white: the colour that linear filtering blends in at the edges
// of white sprites and glyphs; textures with dark edges fill with a dark transparent colour.
class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    Rgba Get(int x, int y) const;
    void Set(int x, int y, const Rgba& c);
    void Fill(const Rgba& c);
    // Source-over compositing of c with extra coverage 0..1.
    void Blend(int x, int y, const Rgba& c, float coverage);
    // Alpha-weighted blend of a whole canvas on top of this one at an offset.
    void Composite(const Canvas& top, int dx, int dy);

    // Anti-aliased round-capped thick line, radius in pixels.
    void DrawLine(float x0, float y0, float x1, float y1, float radius, const Rgba& c);
    void DrawDisc(float cx, float cy, float radius, const Rgba& c);
    // Anti-aliased fill (16 samples a pixel, even-odd rule) of a closed outline of
    // (x, y) pixel positions.
    void FillPolygon(const std::vector<std::pair<float, float>>& outline, const Rgba& c);
    void FillRect(float x0, float y0, float x1, float y1, const Rgba& c);

    // Quantises to 8 bits (rounded) and writes a 32-bit RGBA PNG. Level 9 squeezes flat
    // artwork; photographic noise compresses almost as well and several times faster at 6.
    bool SavePNG(const std::string& path, int compressionLevel = 9) const;
    std::vector<uint8_t> ToRGBA8() const;

private:
    int m_width;
    int m_height;
    std::vector<Rgba> m_pixels;
};

// A single-channel coverage image (0..1), used for masks, outlines and shadows.
class Mask {
public:
    Mask(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    float Get(int x, int y) const;
    void Set(int x, int y, float v);
    // Keeps the larger coverage, so overlapping strokes do not darken their joints.
    void Max(int x, int y, float v);
    // Separable box blur applied three times (close to a Gaussian of sigma ~ radius).
    void Blur(int radius);

private:
    int m_width;
    int m_height;
    std::vector<float> m_values;
};
