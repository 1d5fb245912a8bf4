#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class LWObjectWriter;

// Solids for generated objects, added to the writer's current layer with outward faces.
namespace LWShapes {

// A box centred at (cx, cy, cz) with full sizes (sx, sy, sz) whose edges and corners are cut
// by a bevel of the given width.
void AddBevelBox(LWObjectWriter& writer, const float centre[3], const float size[3], float bevel,
                 const std::string& surface);

// A profile of (radius, height) pairs, bottom to top, turned about the vertical axis through
// (cx, cz) in the given number of segments. A radius of 0 closes the solid with one point;
// otherwise the end is capped with a flat polygon.
void AddLathe(LWObjectWriter& writer, float cx, float cz, const std::vector<std::pair<float, float>>& profile,
              int segments, const std::string& surface);

// A ball of the given radius: a lathe of a half circle in the given number of rings.
void AddSphere(LWObjectWriter& writer, const float centre[3], float radius, int rings, int segments,
               const std::string& surface);

using Ring = std::vector<std::array<float, 3>>;

// A solid through closed rings of equal point counts (a ring of one point is an apex),
// joined in order by quads; the first and last rings are capped with flat polygons when
// asked. Faces point away from the line through the rings' centres. Returns the first point.
uint32_t AddLoft(LWObjectWriter& writer, const std::vector<Ring>& rings, bool capFirst, bool capLast,
                 const std::string& surface);

// A grid of (columns + 1) x (rows + 1) points at at(u, v) for u, v in [0, 1], joined by quads
// facing towards `outward`. Returns the first point; point (i, j) is first + j * (columns + 1) + i.
uint32_t AddPatch(LWObjectWriter& writer, int columns, int rows,
                  const std::function<void(float u, float v, float out[3])>& at, const float outward[3],
                  const std::string& surface);

// A closed outline of a rectangle of full sizes (w, h) centred on the origin whose corners are
// rounded with the given radius in `segments` steps each, counter-clockwise from (+w/2, 0).
std::vector<std::pair<float, float>> RoundedRectangle(float w, float h, float radius, int segments);

// A ring from an outline in a plane: point (a, b) of the outline becomes origin + a * aAxis +
// b * bAxis.
Ring PlaneRing(const std::vector<std::pair<float, float>>& outline, const float origin[3],
               const float aAxis[3], const float bAxis[3]);

// Texture coordinates for the points [first, end) of the current layer by a planar projection
// of their placed positions: u = u0 + (p - origin) . uAxis, v = v0 + (p - origin) . vAxis.
void ProjectUV(LWObjectWriter& writer, const std::string& map, uint32_t first, uint32_t end,
               const float origin[3], const float uAxis[3], const float vAxis[3], float u0, float v0);

}  // namespace LWShapes
