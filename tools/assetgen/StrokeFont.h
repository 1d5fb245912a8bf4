#pragma once

#include <vector>

#include "Canvas.h"

// The house typeface, described as strokes: each glyph is a set of round-capped line segments
// in design units (baseline at y = 0, y up, cap height 7, x-height 5, descenders to -2).
// Rendering the same strokes at any size and weight gives both the bitmap font and the logo.
class StrokeFont {
public:
    struct Segment {
        float x0, y0, x1, y1;
        float weight;  // stroke radius factor; dots are drawn a little heavier than lines
    };

    static constexpr float kCapHeight = 7.0f;

    // Empty for codes without a glyph (control codes, space, most of Latin-1).
    static std::vector<Segment> Glyph(unsigned char code);
    static bool HasGlyph(unsigned char code);
    // Horizontal ink extent of the glyph's centre lines.
    static void InkRange(const std::vector<Segment>& segments, float& minX, float& maxX);

    // Adds stroke coverage to the mask. Design point (x, y) lands on pixel
    // (originX + x * scale, baselineY - y * scale); radius is in pixels.
    static void Render(Mask& mask, const std::vector<Segment>& segments, float originX, float baselineY,
                       float scale, float radius);
};
