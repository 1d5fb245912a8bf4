#include "Canvas.h"

#include <algorithm>
#include <cmath>

#include "io/PngWriter.h"

namespace {

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
    t = Clamp01(t);
    const float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

Canvas::Canvas(int width, int height)
    : m_width(width),
      m_height(height),
      m_pixels(static_cast<size_t>(width) * height, Rgba{1.0f, 1.0f, 1.0f, 0.0f}) {}

Rgba Canvas::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return Rgba{};
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}

void Canvas::Set(int x, int y, const Rgba& c) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_pixels[static_cast<size_t>(y) * m_width + x] = c;
}

void Canvas::Fill(const Rgba& c) {
    std::fill(m_pixels.begin(), m_pixels.end(), c);
}

void Canvas::Blend(int x, int y, const Rgba& c, float coverage) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    const float sa = Clamp01(c.a * coverage);
    if (sa <= 0.0f) return;
    Rgba& d = m_pixels[static_cast<size_t>(y) * m_width + x];
    const float outA = sa + d.a * (1.0f - sa);
    if (outA <= 0.0f) return;
    const float k = d.a * (1.0f - sa);
    d.r = (c.r * sa + d.r * k) / outA;
    d.g = (c.g * sa + d.g * k) / outA;
    d.b = (c.b * sa + d.b * k) / outA;
    d.a = outA;
}

void Canvas::Composite(const Canvas& top, int dx, int dy) {
    for (int y = 0; y < top.m_height; ++y)
        for (int x = 0; x < top.m_width; ++x) Blend(x + dx, y + dy, top.Get(x, y), 1.0f);
}

void Canvas::DrawLine(float x0, float y0, float x1, float y1, float radius, const Rgba& c) {
    const int minX = static_cast<int>(std::floor(std::min(x0, x1) - radius - 1.0f));
    const int maxX = static_cast<int>(std::ceil(std::max(x0, x1) + radius + 1.0f));
    const int minY = static_cast<int>(std::floor(std::min(y0, y1) - radius - 1.0f));
    const int maxY = static_cast<int>(std::ceil(std::max(y0, y1) + radius + 1.0f));
    for (int y = std::max(minY, 0); y <= std::min(maxY, m_height - 1); ++y)
        for (int x = std::max(minX, 0); x <= std::min(maxX, m_width - 1); ++x) {
            const float d = SegmentDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1);
            const float cov = Clamp01(radius - d + 0.5f);
            if (cov > 0.0f) Blend(x, y, c, cov);
        }
}

void Canvas::DrawDisc(float cx, float cy, float radius, const Rgba& c) {
    DrawLine(cx, cy, cx, cy, radius, c);
}

void Canvas::FillPolygon(const std::vector<std::pair<float, float>>& outline, const Rgba& c) {
    if (outline.size() < 3) return;
    float minX = outline[0].first, maxX = minX, minY = outline[0].second, maxY = minY;
    for (const auto& [x, y] : outline) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(minX))),
              x1 = std::min(m_width - 1, static_cast<int>(maxX));
    const int y0 = std::max(0, static_cast<int>(std::floor(minY))),
              y1 = std::min(m_height - 1, static_cast<int>(maxY));
    const size_t n = outline.size();
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            int inside = 0;
            for (int s = 0; s < 16; ++s) {
                // Sixteen rooks: every sample on its own row and column, so edges at any angle
                // (45 degrees included) are covered in proportion.
                const float px = x + (s + 0.5f) / 16.0f, py = y + ((s * 5) % 16 + 0.5f) / 16.0f;
                bool in = false;
                for (size_t i = 0, j = n - 1; i < n; j = i++) {
                    const float xi = outline[i].first, yi = outline[i].second;
                    const float xj = outline[j].first, yj = outline[j].second;
                    if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
                }
                inside += in;
            }
            if (inside) Blend(x, y, c, inside / 16.0f);
        }
}

void Canvas::FillRect(float x0, float y0, float x1, float y1, const Rgba& c) {
    FillPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, c);
}

std::vector<uint8_t> Canvas::ToRGBA8() const {
    std::vector<uint8_t> out(m_pixels.size() * 4);
    for (size_t i = 0; i < m_pixels.size(); ++i) {
        const Rgba& p = m_pixels[i];
        const float comps[4] = {p.r, p.g, p.b, p.a};
        for (int k = 0; k < 4; ++k)
            out[i * 4 + k] = static_cast<uint8_t>(std::lround(Clamp01(comps[k]) * 255.0f));
    }
    return out;
}

bool Canvas::SavePNG(const std::string& path, int compressionLevel) const {
    const std::vector<uint8_t> bytes = ToRGBA8();
    return WritePNG(path, static_cast<uint32_t>(m_width), static_cast<uint32_t>(m_height), 32, bytes.data(),
                    compressionLevel);
}

Mask::Mask(int width, int height)
    : m_width(width), m_height(height), m_values(static_cast<size_t>(width) * height, 0.0f) {}

float Mask::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0.0f;
    return m_values[static_cast<size_t>(y) * m_width + x];
}

void Mask::Set(int x, int y, float v) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_values[static_cast<size_t>(y) * m_width + x] = v;
}

void Mask::Max(int x, int y, float v) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    float& d = m_values[static_cast<size_t>(y) * m_width + x];
    d = std::max(d, v);
}

void Mask::Blur(int radius) {
    if (radius <= 0) return;
    std::vector<float> tmp(m_values.size());
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                float s = 0.0f;
                for (int k = -radius; k <= radius; ++k) s += Get(x + k, y);
                tmp[static_cast<size_t>(y) * m_width + x] = s * norm;
            }
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                float s = 0.0f;
                for (int k = -radius; k <= radius; ++k) {
                    const int yy = y + k;
                    if (yy >= 0 && yy < m_height) s += tmp[static_cast<size_t>(yy) * m_width + x];
                }
                m_values[static_cast<size_t>(y) * m_width + x] = s * norm;
            }
    }
}
