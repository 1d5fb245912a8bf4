#pragma once

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

}  // namespace LWShapes
