#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Canvas.h"
#include "LWObjectWriter.h"

// Small helpers shared by the generated objects and scenes: stable noise for textures, text
// in the house typeface, and the surface presets the modelled materials start from.
namespace ModelKit {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v);
float Smoothstep(float edge0, float edge1, float v);
// Position hash in [0, 1]: stable everywhere, no generator state.
float Hash01(int32_t x, int32_t y, uint32_t seed);
// Smooth value noise in [0, 1] over a lattice of the given cell size in pixels; wraps with
// the given period in cells (0: no wrap), so textures tile.
float ValueNoise(float x, float y, float cell, int period, uint32_t seed);
// Sum of octaves of value noise, each half the cell of the last, weights halving.
float Fractal(float x, float y, float cell, int period, int octaves, uint32_t seed);

Rgba Mix(const Rgba& a, const Rgba& b, float t);
Rgba Scale(const Rgba& c, float k);

enum class Align { Left, Centre, Right };
// Text in the house stroke typeface: cap height and stroke radius in pixels, baseline at y.
// Returns the drawn width.
float DrawText(Canvas& canvas, const std::string& text, float x, float baseline, float capHeight,
               float radius, const Rgba& colour, Align align = Align::Left, float spacing = 1.0f);
float TextWidth(const std::string& text, float capHeight, float radius, float spacing = 1.0f);

bool SaveImage(const Canvas& canvas, const std::string& dataDir, const std::string& relative);

// A surface with the given colour and finish; smoothing in degrees.
LWSurfaceDesc& AddMaterial(LWObjectWriter& writer, const std::string& name, float r, float g, float b,
                           float specular, float glossiness, float smoothingDegrees);
// An image layer fed by a UV map.
LWImageMapDesc UVImage(uint32_t clip, const std::string& uvMap, const char* channel = "COLR");
// A planar image layer along the given axis (0 x, 1 y, 2 z), one picture per size.
LWImageMapDesc PlanarImage(uint32_t clip, uint16_t axis, const float centre[3], const float size[3],
                           const char* channel = "COLR");

// ---- Modelling in the file's coordinates (metres, y up, fronts towards -z) ----

using Outline = std::vector<std::pair<float, float>>;

// Runs `build` with its points placed by `placement` inside the current one.
template <class Build>
void Placed(LWObjectWriter& writer, const LWPlacement& placement, Build build) {
    const LWPlacement outer = writer.Placement();
    writer.SetPlacement(outer * placement);
    build();
    writer.SetPlacement(outer);
}

LWPlacement At(float x, float y, float z);
// Turns +y (the axis of turned parts) towards -z, +z, +x or -x.
LWPlacement FacingFront();
LWPlacement FacingBack();
LWPlacement FacingRight();
LWPlacement FacingLeft();

// A convex outline moved inwards by d (mitred corners).
Outline Inset(const Outline& outline, float d);
// A side profile (z, y) pushed along x from x0 to x1, both ends chamfered by `bevel`.
uint32_t AddExtrusion(LWObjectWriter& writer, const Outline& profile, float x0, float x1, float bevel,
                      const std::string& surface);
// A slab with a rounded-rectangle outline of w x d (corner radius r) from y0 to y1, its top edge
// rounded off by `bevel`.
uint32_t AddRoundedSlab(LWObjectWriter& writer, float w, float d, float r, int segments, float y0, float y1,
                        float bevel, const std::string& surface);
// A turned part along the placement's +y: (radius, height) pairs from the bottom.
void AddTurned(LWObjectWriter& writer, const LWPlacement& placement, const Outline& profile, int segments,
               const std::string& surface);
void AddBox(LWObjectWriter& writer, float cx, float cy, float cz, float sx, float sy, float sz, float bevel,
            const std::string& surface);
// A flat w x h picture in the x-y plane facing -z (or, facingUp, in the x-z plane facing +y,
// its top towards +z), UVs 0..1 across it in the given map.
uint32_t AddDecal(LWObjectWriter& writer, const LWPlacement& placement, float w, float h,
                  const std::string& surface, const std::string& uvMap, bool facingUp);
// A cable leaving a device along the placement's +y: a strain relief and a stub of lead.
void AddCableStub(LWObjectWriter& writer, const LWPlacement& placement, float radius, float length,
                  const std::string& surface);

}  // namespace ModelKit
