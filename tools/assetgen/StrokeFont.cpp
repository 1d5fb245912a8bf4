#include "StrokeFont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/Log.h"

namespace {

// Glyph outlines as a tiny path language (design units, angles in degrees, counter-clockwise from +x):
//   M x y            start a path          L x y               line from the current point
//   A cx cy rx ry a0 a1  separate elliptic arc from a0 to a1 (a1 < a0 runs clockwise)
//   a cx cy rx ry a0 a1  the same arc, joined to the current point by a line
//   D x y            a dot
struct GlyphDef {
    unsigned char code;
    const char* path;
};

const GlyphDef kGlyphs[] = {
    {'!', "M2 7 L2 2.3 D2 0.2"},
    {'"', "M1.2 7.2 L1.2 5.2 M2.8 7.2 L2.8 5.2"},
    {'#', "M1.3 6.6 L1.3 0.4 M2.9 6.6 L2.9 0.4 M0 4.6 L4.2 4.6 M0 2.4 L4.2 2.4"},
    {'$', "A 2 5.1 1.8 1.45 30 270 a 2 2.2 1.8 1.45 90 -150 M2 7.4 L2 -0.6"},
    {'%', "A 0.9 5.8 0.8 1.1 0 360 A 3.3 1.2 0.8 1.1 0 360 M3.9 7 L0.3 0"},
    {'&', "M4.2 0 L1.06 4.76 a 1.9 5.6 1.1 1.3 220 -40 L0.3 2.0 a 1.8 1.5 1.6 1.5 160 380 L4 3.2"},
    {'\'', "M2 7.2 L2 5.2"},
    {'(', "A 3.8 3 2.4 4.8 118 242"},
    {')', "A 0.2 3 2.4 4.8 62 -62"},
    {'*', "M2 6.6 L2 2.6 M0.3 5.6 L3.7 3.6 M3.7 5.6 L0.3 3.6"},
    {'+', "M2 5.6 L2 1.4 M-0.1 3.5 L4.1 3.5"},
    {',', "D2 0.2 M2.2 0.2 L1.3 -1.6"},
    {'-', "M0.6 3 L3.4 3"},
    {'.', "D2 0.2"},
    {'/', "M3.6 7.3 L0.4 -0.8"},
    {'0', "A 2 3.5 1.9 3.5 0 360 M3 5.4 L1 1.6"},
    {'1', "M0.7 5.4 L2.2 7 L2.2 0 M0.6 0 L3.8 0"},
    {'2', "A 2 5 1.9 2 160 -30 L0 0 L4 0"},
    {'3', "A 2 5.3 1.8 1.7 150 -90 a 2 1.8 2 1.8 90 -150 M1.2 3.6 L2 3.6"},
    {'4', "M3 0 L3 7 L0 2 L4.2 2"},
    {'5', "M3.8 7 L0.5 7 L0.3 4.1 a 1.9 2.2 2 2.2 120 -150"},
    {'6', "A 2 2.2 1.9 2.2 0 360 M0.1 2.2 L0.1 3.8 a 2.6 3.8 2.5 3.2 180 70"},
    {'7', "M0 7 L4 7 L1.5 0"},
    {'8', "A 2 5.3 1.7 1.7 0 360 A 2 1.85 2 1.85 0 360"},
    {'9', "A 2 4.8 1.9 2.2 0 360 M3.9 4.8 L3.9 3.2 a 1.4 3.2 2.5 3.2 0 -110"},
    {':', "D2 0.2 D2 4.3"},
    {';', "D2 4.3 D2 0.2 M2.2 0.2 L1.3 -1.6"},
    {'<', "M4 6 L0 3.5 L4 1"},
    {'=', "M0.2 4.6 L3.8 4.6 M0.2 2.4 L3.8 2.4"},
    {'>', "M0 6 L4 3.5 L0 1"},
    {'?', "A 2 5.2 1.8 1.8 160 -90 L2 2.3 D2 0.2"},
    {'@', "A 2.3 3.4 1.1 1.3 0 360 M3.4 4.7 L3.4 2.4 a 4 2.4 0.6 0.6 180 360 a 2.3 3.4 2.3 3.4 0 300"},
    {'A', "M0 0 L2.1 7 L4.2 0 M0.7 2.4 L3.5 2.4"},
    {'B', "M0 0 L0 7 L2.3 7 a 2.3 5.3 1.7 1.7 90 -90 M0 3.6 L2.5 3.6 a 2.5 1.8 1.7 1.8 90 -90 L0 0"},
    {'C', "A 2.2 3.5 2.2 3.5 45 315"},
    {'D', "M0 0 L0 7 L1.6 7 a 1.6 3.5 2.5 3.5 90 -90 L0 0"},
    {'E', "M4 7 L0 7 L0 0 L4 0 M0 3.6 L3 3.6"},
    {'F', "M4 7 L0 7 L0 0 M0 3.6 L3 3.6"},
    {'G', "A 2.2 3.5 2.2 3.5 45 360 M2.6 3.5 L4.4 3.5"},
    {'H', "M0 0 L0 7 M4 0 L4 7 M0 3.6 L4 3.6"},
    {'I', "M2 0 L2 7 M0.8 7 L3.2 7 M0.8 0 L3.2 0"},
    {'J', "M1.6 7 L4 7 L4 2 a 2 2 2 2 0 -170"},
    {'K', "M0 0 L0 7 M4 7 L0 2.6 M1.5 4 L4.1 0"},
    {'L', "M0 7 L0 0 L4 0"},
    {'M', "M0 0 L0 7 L2.2 2.6 L4.4 7 L4.4 0"},
    {'N', "M0 0 L0 7 L4 0 L4 7"},
    {'O', "A 2.2 3.5 2.2 3.5 0 360"},
    {'P', "M0 0 L0 7 L2.3 7 a 2.3 5.2 1.8 1.8 90 -90 L0 3.4"},
    {'Q', "A 2.2 3.5 2.2 3.5 0 360 M2.7 1.4 L4.4 -0.4"},
    {'R', "M0 0 L0 7 L2.3 7 a 2.3 5.2 1.8 1.8 90 -90 L0 3.4 M2 3.4 L4 0"},
    {'S', "A 2 5.25 1.9 1.75 30 270 a 2 1.75 1.9 1.75 90 -150"},
    {'T', "M0 7 L4.4 7 M2.2 7 L2.2 0"},
    {'U', "M0 7 L0 2 a 2 2 2 2 180 360 L4 7"},
    {'V', "M0 7 L2.1 0 L4.2 7"},
    {'W', "M0 7 L1.1 0 L2.3 5 L3.5 0 L4.6 7"},
    {'X', "M0 7 L4 0 M4 7 L0 0"},
    {'Y', "M0 7 L2.1 3.5 L4.2 7 M2.1 3.5 L2.1 0"},
    {'Z', "M0 7 L4 7 L0 0 L4 0"},
    {'[', "M3 7.6 L1.5 7.6 L1.5 -1.3 L3 -1.3"},
    {'\\', "M0.4 7.3 L3.6 -0.8"},
    {']', "M1 7.6 L2.5 7.6 L2.5 -1.3 L1 -1.3"},
    {'^', "M0.5 4.6 L2 7 L3.5 4.6"},
    {'_', "M0 -1.6 L4.4 -1.6"},
    {'`', "M1.4 7.4 L2.5 6.1"},
    {'a', "A 1.9 2.5 1.9 2.5 0 360 M3.8 5 L3.8 0"},
    {'b', "M0 7 L0 0 A 2 2.5 2 2.5 0 360"},
    {'c', "A 2.1 2.5 2.1 2.5 45 315"},
    {'d', "A 2 2.5 2 2.5 0 360 M4 7 L4 0"},
    {'e', "M0.1 2.6 L4.1 2.6 a 2.1 2.5 2 2.5 0 315"},
    {'f', "A 3 5.6 1.4 1.4 30 180 L1.6 0 M0.3 5 L3.3 5"},
    {'g', "A 1.9 2.5 1.9 2.5 0 360 M3.8 5 L3.8 0 a 1.9 0 1.9 2 0 -160"},
    {'h', "M0 7 L0 0 M0 3 a 2 3 2 2 180 0 L4 0"},
    {'i', "M2 5 L2 0 D2 6.7"},
    {'j', "M2.6 5 L2.6 -0.5 a 1.1 -0.5 1.5 1.5 0 -150 D2.6 6.7"},
    {'k', "M0 7 L0 0 M3.6 5 L0 1.8 M1.3 2.9 L3.8 0"},
    {'l', "M1.5 7 L1.5 1 a 2.5 1 1 1 180 290"},
    {'m', "M0 5 L0 0 M0 3.6 a 1.15 3.6 1.15 1.4 180 0 L2.3 0 M2.3 3.6 a 3.45 3.6 1.15 1.4 180 0 L4.6 0"},
    {'n', "M0 5 L0 0 M0 3 a 2 3 2 2 180 0 L4 0"},
    {'o', "A 2 2.5 2 2.5 0 360"},
    {'p', "M0 5 L0 -2 A 2 2.5 2 2.5 0 360"},
    {'q', "A 2 2.5 2 2.5 0 360 M4 5 L4 -2"},
    {'r', "M0 5 L0 0 M0 2.8 a 2.4 2.8 2.4 2.2 180 60"},
    {'s', "A 2 3.75 1.7 1.25 30 270 a 2 1.25 1.8 1.25 90 -150"},
    {'t', "M1.6 6.6 L1.6 1 a 2.6 1 1 1 180 300 M0.2 5 L3.4 5"},
    {'u', "M0 5 L0 2 a 2 2 2 2 180 360 M4 5 L4 0"},
    {'v', "M0 5 L2 0 L4 5"},
    {'w', "M0 5 L1.1 0 L2.3 3.6 L3.5 0 L4.6 5"},
    {'x', "M0 5 L4 0 M4 5 L0 0"},
    {'y', "M0 5 L2.1 0 M4.2 5 L1.4 -1.6 L0.4 -2"},
    {'z', "M0 5 L4 5 L0 0 L4 0"},
    {'{', "M3.2 7.6 L2.5 7.3 L2.3 4.3 L1.3 3.2 L2.3 2.1 L2.5 -0.9 L3.2 -1.3"},
    {'|', "M2 7.6 L2 -1.6"},
    {'}', "M0.8 7.6 L1.5 7.3 L1.7 4.3 L2.7 3.2 L1.7 2.1 L1.5 -0.9 L0.8 -1.3"},
    {'~', "A 1.2 3.1 0.9 0.7 180 0 a 2.8 3.1 0.9 0.7 180 360"},
    // Latin-1 umlauts; the capitals are drawn a little shorter so the dots stay inside the cell.
    {0xC4, "M0 0 L2.1 6.1 L4.2 0 M0.75 2.1 L3.45 2.1 D1.2 7.7 D3 7.7"},
    {0xD6, "A 2.2 3.05 2.2 3.05 0 360 D1.3 7.7 D3.1 7.7"},
    {0xE4, "A 1.9 2.5 1.9 2.5 0 360 M3.8 5 L3.8 0 D1.1 6.6 D2.9 6.6"},
    {0xF6, "A 2 2.5 2 2.5 0 360 D1.1 6.6 D2.9 6.6"},
};

const char* FindPath(unsigned char code) {
    for (const GlyphDef& g : kGlyphs)
        if (g.code == code) return g.path;
    return nullptr;
}

// Reads the next number; returns false at the end of the text or on a malformed token.
bool NextNumber(const char*& p, float& out) {
    char* end = nullptr;
    out = std::strtof(p, &end);
    if (end == p) return false;
    p = end;
    return true;
}

void AddArc(std::vector<StrokeFont::Segment>& out, const float v[6], bool joined, float& curX, float& curY) {
    const float kDeg = 3.14159265358979f / 180.0f;
    const float span = v[5] - v[4];
    const int steps = std::max(8, static_cast<int>(std::ceil(std::fabs(span) / 6.0f)));
    float px = v[0] + v[2] * std::cos(v[4] * kDeg), py = v[1] + v[3] * std::sin(v[4] * kDeg);
    if (joined) out.push_back({curX, curY, px, py, 1.0f});
    for (int i = 1; i <= steps; ++i) {
        const float a = (v[4] + span * static_cast<float>(i) / steps) * kDeg;
        const float nx = v[0] + v[2] * std::cos(a), ny = v[1] + v[3] * std::sin(a);
        out.push_back({px, py, nx, ny, 1.0f});
        px = nx;
        py = ny;
    }
    curX = px;
    curY = py;
}

float SegmentDistance(float px, float py, const StrokeFont::Segment& s) {
    const float dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0.0f ? ((px - s.x0) * dx + (py - s.y0) * dy) / len2 : 0.0f;
    t = std::min(1.0f, std::max(0.0f, t));
    const float ex = px - (s.x0 + t * dx), ey = py - (s.y0 + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

bool StrokeFont::HasGlyph(unsigned char code) {
    return FindPath(code) != nullptr;
}

std::vector<StrokeFont::Segment> StrokeFont::Glyph(unsigned char code) {
    std::vector<Segment> out;
    const char* p = FindPath(code);
    if (!p) return out;
    float curX = 0.0f, curY = 0.0f;
    while (*p) {
        const char cmd = *p++;
        if (cmd == ' ') continue;
        const int count = (cmd == 'A' || cmd == 'a') ? 6 : 2;
        float v[6] = {};
        for (int i = 0; i < count; ++i)
            if (!NextNumber(p, v[i])) {
                LogMessage(LOG_WARNING, "assetgen: Malformed glyph path for code ", static_cast<int>(code));
                return out;
            }
        switch (cmd) {
            case 'M':
                curX = v[0];
                curY = v[1];
                break;
            case 'L':
                out.push_back({curX, curY, v[0], v[1], 1.0f});
                curX = v[0];
                curY = v[1];
                break;
            case 'D':
                out.push_back({v[0], v[1], v[0], v[1], 1.3f});
                break;
            case 'A':
                AddArc(out, v, false, curX, curY);
                break;
            case 'a':
                AddArc(out, v, true, curX, curY);
                break;
            default:
                LogMessage(LOG_WARNING, "assetgen: Unknown glyph path command for code ", static_cast<int>(code));
                return out;
        }
    }
    return out;
}

void StrokeFont::InkRange(const std::vector<Segment>& segments, float& minX, float& maxX) {
    minX = 0.0f;
    maxX = 0.0f;
    if (segments.empty()) return;
    minX = maxX = segments[0].x0;
    for (const Segment& s : segments) {
        minX = std::min({minX, s.x0, s.x1});
        maxX = std::max({maxX, s.x0, s.x1});
    }
}

void StrokeFont::Render(Mask& mask, const std::vector<Segment>& segments, float originX, float baselineY,
                        float scale, float radius) {
    for (const Segment& s : segments) {
        const float x0 = originX + s.x0 * scale, y0 = baselineY - s.y0 * scale;
        const float x1 = originX + s.x1 * scale, y1 = baselineY - s.y1 * scale;
        const Segment px{x0, y0, x1, y1, s.weight};
        const float r = radius * s.weight;
        const int minX = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - r - 1.0f)));
        const int maxX = std::min(mask.Width() - 1, static_cast<int>(std::ceil(std::max(x0, x1) + r + 1.0f)));
        const int minY = std::max(0, static_cast<int>(std::floor(std::min(y0, y1) - r - 1.0f)));
        const int maxY =
            std::min(mask.Height() - 1, static_cast<int>(std::ceil(std::max(y0, y1) + r + 1.0f)));
        for (int y = minY; y <= maxY; ++y)
            for (int x = minX; x <= maxX; ++x) {
                const float d = SegmentDistance(x + 0.5f, y + 0.5f, px);
                const float cov = r - d + 0.5f;
                if (cov > 0.0f) mask.Max(x, y, std::min(1.0f, cov));
            }
    }
}
