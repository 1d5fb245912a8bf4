#include "SpriteRig.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kDeg = kPi / 180.0f;

// Bone lengths and limb radii of the fighter, in image pixels (0.03 units).
constexpr float kThigh = 14.0f, kShin = 14.0f, kUpperArm = 10.0f, kForearm = 9.5f;
constexpr float kTorso = 15.0f, kNeckGap = 1.5f, kHeadRx = 5.0f, kHeadRy = 5.6f;

Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
Vec2 operator*(Vec2 a, float k) {
    return {a.x * k, a.y * k};
}
float Dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
float Length(Vec2 a) {
    return std::sqrt(Dot(a, a));
}
Vec2 Normalised(Vec2 a) {
    const float l = Length(a);
    return l > 1e-6f ? a * (1.0f / l) : Vec2{1.0f, 0.0f};
}
// Unit vector of a limb angle: 0 down, 90 forward, 180 up.
Vec2 Dir(float degrees) {
    return {std::sin(degrees * kDeg), -std::cos(degrees * kDeg)};
}
float AngleOf(Vec2 d) {
    return std::atan2(d.x, -d.y) / kDeg;
}
// Counter-clockwise rotation.
Vec2 Rotate(Vec2 v, float degrees) {
    const float c = std::cos(degrees * kDeg), s = std::sin(degrees * kDeg);
    return {v.x * c - v.y * s, v.x * s + v.y * c};
}
float Lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

const Vec2 kLight = Normalised({0.45f, 1.0f});

struct Material {
    Ink lit = Ink::None, shade = Ink::None;
    bool shaded = false;
};

// A filled primitive of a piece. Half-plane clips (inside where dot(p - origin, normal) >= 0)
// cut hair, head bands and belts out of larger shapes.
struct Prim {
    enum Kind { kCapsule, kEllipse, kPolygon } kind = kCapsule;
    Vec2 a, b;  // capsule ends, ellipse centre in a
    float ra = 0.0f, rb = 0.0f;
    Vec2 ax{1.0f, 0.0f}, ay{0.0f, 1.0f};  // ellipse axes
    float rx = 0.0f, ry = 0.0f;
    std::vector<Vec2> poly;
    Vec2 shadeOrigin, shadeDir;  // polygons shade where dot(p - origin, dir) > 0
    struct Clip {
        Vec2 origin, normal;
    };
    std::vector<Clip> clips;
    Material mat;
};

// Single-pixel features (eyes, mouth) and thin detail lines, painted after the fills.
struct Stamp {
    Vec2 a, b;
    Ink ink = Ink::None;
};

struct Piece {
    std::vector<Prim> prims;
    std::vector<Stamp> stamps;
};

Prim Capsule(Vec2 a, Vec2 b, float ra, float rb, Material m) {
    Prim p;
    p.kind = Prim::kCapsule;
    p.a = a;
    p.b = b;
    p.ra = ra;
    p.rb = rb;
    p.mat = m;
    return p;
}

Prim Ellipse(Vec2 c, Vec2 ax, float rx, float ry, Material m) {
    Prim p;
    p.kind = Prim::kEllipse;
    p.a = c;
    p.ax = ax;
    p.ay = Rotate(ax, 90.0f);
    p.rx = rx;
    p.ry = ry;
    p.mat = m;
    return p;
}

Prim Polygon(std::vector<Vec2> pts, Material m) {
    Prim p;
    p.kind = Prim::kPolygon;
    p.poly = std::move(pts);
    p.mat = m;
    return p;
}

bool InsidePolygon(const std::vector<Vec2>& poly, Vec2 s) {
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Vec2 &p = poly[i], &q = poly[j];
        if ((p.y > s.y) != (q.y > s.y) && s.x < (q.x - p.x) * (s.y - p.y) / (q.y - p.y) + p.x)
            inside = !inside;
    }
    return inside;
}

bool SamplePrim(const Prim& p, Vec2 s, Ink& out) {
    for (const Prim::Clip& c : p.clips)
        if (Dot(s - c.origin, c.normal) < 0.0f) return false;
    bool shade = false;
    switch (p.kind) {
        case Prim::kCapsule: {
            const Vec2 d = p.b - p.a;
            const float len2 = Dot(d, d);
            const float t = len2 > 0.0f ? std::clamp(Dot(s - p.a, d) / len2, 0.0f, 1.0f) : 0.0f;
            const Vec2 e = s - (p.a + d * t);
            const float dist = Length(e), r = Lerp(p.ra, p.rb, t);
            if (dist > r) return false;
            shade = dist > 0.3f * r && Dot(e * (1.0f / dist), kLight) < -0.2f;
            break;
        }
        case Prim::kEllipse: {
            const Vec2 e = s - p.a;
            const float lx = Dot(e, p.ax) / p.rx, ly = Dot(e, p.ay) / p.ry;
            const float r2 = lx * lx + ly * ly;
            if (r2 > 1.0f) return false;
            shade = r2 > 0.2f && Dot(Normalised(p.ax * lx + p.ay * ly), kLight) < -0.3f;
            break;
        }
        case Prim::kPolygon:
            if (!InsidePolygon(p.poly, s)) return false;
            shade = Dot(s - p.shadeOrigin, p.shadeDir) > 0.0f;
            break;
    }
    out = (p.mat.shaded && shade) ? p.mat.shade : p.mat.lit;
    return true;
}

float LowestPoint(const Prim& p) {
    switch (p.kind) {
        case Prim::kCapsule:
            return std::min(p.a.y - p.ra, p.b.y - p.rb);
        case Prim::kEllipse:
            return p.a.y - std::sqrt(p.rx * p.ax.y * p.rx * p.ax.y + p.ry * p.ay.y * p.ry * p.ay.y);
        case Prim::kPolygon: {
            float m = 1e9f;
            for (const Vec2& v : p.poly) m = std::min(m, v.y);
            return m;
        }
    }
    return 0.0f;
}

// Rotates about a pivot, then shifts.
struct Placement {
    Vec2 pivot;
    float angle = 0.0f;
    Vec2 shift;
    Vec2 Point(Vec2 v) const { return Rotate(v - pivot, angle) + pivot + shift; }
    Vec2 Direction(Vec2 v) const { return Rotate(v, angle); }
};

void Place(Prim& p, const Placement& m) {
    p.a = m.Point(p.a);
    p.b = m.Point(p.b);
    p.ax = m.Direction(p.ax);
    p.ay = m.Direction(p.ay);
    for (Vec2& v : p.poly) v = m.Point(v);
    p.shadeOrigin = m.Point(p.shadeOrigin);
    p.shadeDir = m.Direction(p.shadeDir);
    for (Prim::Clip& c : p.clips) {
        c.origin = m.Point(c.origin);
        c.normal = m.Direction(c.normal);
    }
}

struct Joints {
    Vec2 root, mid, end;
    float lowerAngle = 0.0f, endAngle = 90.0f;
};

Joints Solve(Vec2 root, const Limb& limb, float l1, float l2) {
    Joints j;
    j.root = root;
    if (!limb.ik) {
        j.mid = root + Dir(limb.upper) * l1;
        j.end = j.mid + Dir(limb.lower) * l2;
    } else {
        const float l2e = l2 + limb.reach;
        const Vec2 d = limb.target - root;
        const float dist = std::clamp(Length(d), std::fabs(l1 - l2e) + 0.01f, l1 + l2e - 0.01f);
        const float cosA = std::clamp((l1 * l1 + dist * dist - l2e * l2e) / (2.0f * l1 * dist), -1.0f, 1.0f);
        const float a = std::acos(cosA) / kDeg * (limb.bend >= 0 ? 1.0f : -1.0f);
        const Vec2 unit = Normalised(d);
        j.mid = root + Rotate(unit, a) * l1;
        const Vec2 far = root + unit * dist;
        j.end = j.mid + Normalised(far - j.mid) * l2;
    }
    j.lowerAngle = AngleOf(j.end - j.mid);
    j.endAngle = limb.endRelative ? j.lowerAngle + limb.end : limb.end;
    return j;
}

Material Mat(Ink lit, Ink shade) {
    return Material{lit, shade, true};
}
Material Flat(Ink ink) {
    return Material{ink, ink, false};
}

struct Look {
    Material gi, skin, trousers, shoe, hand;
};

Look LookFor(const Costume& c, bool far) {
    Look l;
    l.gi = far ? Mat(Ink::GiShade, Ink::GiDeep) : Mat(Ink::GiLit, Ink::GiShade);
    l.skin = far ? Mat(Ink::SkinShade, Ink::SkinDeep) : Mat(Ink::Skin, Ink::SkinShade);
    l.hand = l.skin;
    l.trousers = l.gi;
    l.shoe = Flat(Ink::Shoe);
    if (c.referee) {
        l.gi = far ? Mat(Ink::ShirtShade, Ink::ShirtShade) : Mat(Ink::Shirt, Ink::ShirtShade);
        l.trousers = far ? Flat(Ink::SuitDark) : Mat(Ink::Suit, Ink::SuitDark);
    }
    return l;
}

void AddFoot(Piece& piece, Vec2 ankle, float angle, float s, Material m, bool shoe) {
    const Vec2 f = Dir(angle), n = Rotate(f, -90.0f);  // n points to the sole
    const float heel = shoe ? 3.0f : 2.5f, toe = shoe ? 6.5f : 6.0f, top = shoe ? 2.0f : 1.6f;
    auto at = [&](float along, float down) { return ankle + f * (along * s) + n * (down * s); };
    Prim p = Polygon({at(-heel, 2.0f), at(toe, 2.0f), at(toe + 0.8f, 1.0f), at(toe - 0.5f, -0.2f),
                      at(1.5f, -top), at(-1.5f, -top), at(-heel - 0.4f, 0.5f)},
                     m);
    p.shadeOrigin = ankle + n * (1.2f * s);
    p.shadeDir = n;
    piece.prims.push_back(p);
}

Piece LegPiece(const Joints& j, const Pose& pose, const Costume& c, bool far) {
    const Look look = LookFor(c, far);
    const float s = c.scale;
    Piece piece;
    const Vec2 shin = j.end - j.mid;
    if (pose.trousers == 0 || c.referee) {
        const Vec2 hem = j.mid + shin * (c.referee ? 1.0f : 0.84f);
        piece.prims.push_back(Capsule(j.root, j.mid, 4.2f * s, 3.7f * s, look.trousers));
        piece.prims.push_back(Capsule(j.mid, hem, 3.7f * s, 3.5f * s, look.trousers));
        if (!c.referee) piece.prims.push_back(Capsule(hem, j.end, 2.0f * s, 1.9f * s, look.skin));
        AddFoot(piece, j.end, j.endAngle, s, c.referee ? look.shoe : look.skin, c.referee);
        return piece;
    }
    // Trousers down: bare legs below a pair of blue boxer shorts, the gi bunched lower down.
    const Vec2 thigh = j.mid - j.root;
    piece.prims.push_back(Capsule(j.root, j.mid, 2.9f * s, 2.5f * s, look.skin));
    piece.prims.push_back(Capsule(j.mid, j.end, 2.5f * s, 1.9f * s, look.skin));
    piece.prims.push_back(Capsule(j.root, j.root + thigh * 0.45f, 4.3f * s, 4.0f * s,
                                  far ? Flat(Ink::Shorts) : Mat(Ink::Shorts, Ink::Shorts)));
    piece.stamps.push_back({j.root + thigh * 0.25f, j.root + thigh * 0.25f, Ink::ShortsDot});
    AddFoot(piece, j.end, j.endAngle, s, look.skin, false);
    if (pose.trousers == 1) {
        const Vec2 knee = j.mid + shin * 0.2f;
        piece.prims.push_back(Ellipse(knee, Normalised(shin), 3.6f * s, 4.8f * s, look.gi));
    } else {
        piece.prims.push_back(
            Ellipse(j.end + Vec2{1.0f, 0.2f} * s, {1.0f, 0.0f}, 5.6f * s, 3.0f * s, look.gi));
    }
    return piece;
}

Piece ArmPiece(const Joints& j, const Costume& c, bool far, Vec2* fistCentre) {
    const Look look = LookFor(c, far);
    const float s = c.scale;
    Piece piece;
    const Vec2 fore = j.end - j.mid;
    const Vec2 cuff = j.mid + fore * (c.referee ? 0.9f : 0.7f);
    piece.prims.push_back(Capsule(j.root, j.mid, 3.1f * s, 2.8f * s, look.gi));
    piece.prims.push_back(Capsule(j.mid, cuff, 2.8f * s, 2.7f * s, look.gi));
    piece.prims.push_back(Capsule(cuff, j.end, 1.8f * s, 1.7f * s, look.hand));
    const Vec2 fist = j.end + Normalised(fore) * (1.4f * s);
    piece.prims.push_back(
        Ellipse(fist, {1.0f, 0.0f}, (c.referee ? 2.3f : 2.7f) * s, (c.referee ? 2.3f : 2.7f) * s, look.hand));
    *fistCentre = fist;
    return piece;
}

// The torso's outline in its own frame: height above the hip joint, half width to the front
// and to the back seen from the side, and half breadth seen from the front or back.
struct TorsoRow {
    float along, front, back, breadth;
};
constexpr TorsoRow kTorsoRows[] = {
    {-4.5f, 6.0f, 6.0f, 7.6f}, {2.0f, 5.3f, 5.0f, 7.0f},  {8.0f, 6.6f, 6.0f, 8.6f},
    {13.0f, 5.8f, 5.6f, 9.2f}, {15.5f, 3.4f, 4.0f, 4.2f},
};

struct TorsoFrame {
    Vec2 hip, u, n;  // u up the spine, n forward
    float s, girth, w;
    Vec2 At(float along, float across) const { return hip + u * (along * s) + n * (across * s); }
    // Half widths at a height, to the front (+) and back (-).
    void Widths(float along, float& front, float& back) const {
        const int n = static_cast<int>(sizeof(kTorsoRows) / sizeof(kTorsoRows[0]));
        int i = 0;
        while (i < n - 2 && along > kTorsoRows[i + 1].along) ++i;
        const TorsoRow &r0 = kTorsoRows[i], &r1 = kTorsoRows[i + 1];
        const float t = std::clamp((along - r0.along) / (r1.along - r0.along), 0.0f, 1.0f);
        const float f = Lerp(r0.front, r1.front, t), b = Lerp(r0.back, r1.back, t);
        const float br = Lerp(r0.breadth, r1.breadth, t);
        front = Lerp(f, br, w) * girth;
        back = Lerp(b, br, w) * girth;
    }
    std::vector<Vec2> Band(float a0, float a1, float grow) const {
        float f0, b0, f1, b1;
        Widths(a0, f0, b0);
        Widths(a1, f1, b1);
        return {At(a0, f0 + grow), At(a1, f1 + grow), At(a1, -b1 - grow), At(a0, -b0 - grow)};
    }
};

Piece TorsoPiece(const TorsoFrame& t, const Pose& pose, const Costume& c, Vec2 headBase) {
    Piece piece;
    const Look look = LookFor(c, false);
    piece.prims.push_back(Capsule(t.At(13.0f, 0.0f), headBase, 2.3f * t.s, 2.3f * t.s, look.skin));
    std::vector<Vec2> outline;
    for (const TorsoRow& r : kTorsoRows) {
        float f, b;
        t.Widths(r.along, f, b);
        outline.push_back(t.At(r.along, f));
    }
    for (int i = static_cast<int>(sizeof(kTorsoRows) / sizeof(kTorsoRows[0])) - 1; i >= 0; --i) {
        float f, b;
        t.Widths(kTorsoRows[i].along, f, b);
        outline.push_back(t.At(kTorsoRows[i].along, -b));
    }
    Prim jacket = Polygon(outline, look.gi);
    jacket.shadeOrigin = t.At(0.0f, -(1.5f + 2.5f * t.w));
    jacket.shadeDir = t.n * -1.0f;
    piece.prims.push_back(jacket);

    const bool front = pose.turn<-0.5f, back = pose.turn> 0.5f;
    if (c.referee) {
        Prim trousers = Polygon(t.Band(-4.5f, 1.4f, 0.0f), look.trousers);
        trousers.shadeOrigin = jacket.shadeOrigin;
        trousers.shadeDir = jacket.shadeDir;
        piece.prims.push_back(trousers);
        piece.prims.push_back(Polygon(t.Band(0.8f, 2.0f, 0.2f), Flat(Ink::Belt)));
        if (front) {
            // Bow tie under the collar and a row of buttons.
            const Vec2 knot = t.At(14.6f, 0.0f);
            piece.stamps.push_back({knot + t.n * (-3.2f * t.s), knot + t.n * (3.2f * t.s), Ink::Tie});
            piece.stamps.push_back({t.At(11.0f, 0.0f), t.At(3.5f, 0.0f), Ink::ShirtShade});
        } else if (!back) {
            piece.stamps.push_back({t.At(14.6f, 3.0f), t.At(14.6f, 4.6f), Ink::Tie});
        }
        return piece;
    }
    Prim belt = Polygon(t.Band(1.6f, 4.0f, 0.4f), Mat(Ink::BeltLit, Ink::Belt));
    belt.shadeOrigin = t.At(0.0f, 0.0f);
    belt.shadeDir = t.n * -1.0f;
    piece.prims.push_back(belt);
    if (back) {
        piece.stamps.push_back({t.At(14.0f, 0.0f), t.At(5.0f, 0.0f), Ink::GiShade});
        return piece;
    }
    float f4, b4;
    t.Widths(4.5f, f4, b4);
    const float knotAcross = front ? 0.0f : f4 + 0.6f;
    const Vec2 knot = t.At(2.8f, knotAcross);
    piece.prims.push_back(Ellipse(knot, t.n, 1.8f * t.s, 1.6f * t.s, Flat(Ink::Belt)));
    const float spread = front ? 1.8f : 1.0f;
    piece.prims.push_back(
        Capsule(knot, t.At(-3.5f, knotAcross + spread), 1.1f * t.s, 1.0f * t.s, Flat(Ink::Belt)));
    piece.prims.push_back(Capsule(knot, t.At(-3.0f, knotAcross - spread + (front ? 0.0f : 0.6f)), 1.1f * t.s,
                                  1.0f * t.s, Flat(Ink::BeltLit)));
    if (front) {
        piece.stamps.push_back({t.At(15.2f, 2.8f), t.At(4.6f, 0.4f), Ink::GiDeep});
        piece.stamps.push_back({t.At(15.2f, -2.8f), t.At(4.6f, -0.4f), Ink::GiDeep});
    } else {
        piece.stamps.push_back({t.At(15.2f, 1.0f), t.At(4.6f, f4 - 0.8f), Ink::GiDeep});
    }
    return piece;
}

struct HeadFrame {
    Vec2 c, hu, hf;  // centre, up, face direction
    float rx, ry;
    Vec2 At(float fx, float fy) const { return c + hf * (fx * rx) + hu * (fy * ry); }
    // Half-plane through two head-local points; the kept side is to the left of p0 -> p1.
    Prim::Clip Clip(float x0, float y0, float x1, float y1) const {
        const Vec2 p0 = At(x0, y0), d = At(x1, y1) - p0;
        return {p0, Rotate(d, 90.0f)};
    }
};

Piece HeadPiece(const HeadFrame& h, const Pose& pose, const Costume& c) {
    Piece piece;
    const bool front = pose.turn<-0.5f, back = pose.turn> 0.75f, threeQuarter = pose.turn > 0.35f && !back;
    Prim skull = Ellipse(h.c, h.hf, h.rx, h.ry, Mat(Ink::Skin, Ink::SkinShade));
    piece.prims.push_back(skull);
    if (!front && !back) {
        piece.stamps.push_back({h.At(1.12f, -0.12f), h.At(1.12f, -0.12f), Ink::Skin});  // nose
    }
    if (c.referee) {
        // Bald crown with a grey fringe over the ears and a dark moustache.
        Prim fringe = Ellipse(h.c, h.hf, h.rx + 0.4f, h.ry + 0.3f, Flat(Ink::Grey));
        fringe.clips.push_back(h.Clip(-1.0f, -0.55f, 1.0f, -0.55f));
        fringe.clips.push_back(h.Clip(1.0f, 0.05f, -1.0f, 0.05f));
        Prim left = fringe, right = fringe;
        left.clips.push_back(h.Clip(-0.72f, -1.0f, -0.72f, 1.0f));
        right.clips.push_back(h.Clip(0.72f, 1.0f, 0.72f, -1.0f));
        if (front || back) piece.prims.push_back(left);
        if (!front) piece.prims.push_back(right);
        if (back) {
            piece.prims.push_back(left);
        } else if (front) {
            piece.prims.push_back(right);
            piece.prims.push_back(
                Capsule(h.At(-0.5f, -0.36f), h.At(0.5f, -0.36f), 1.0f, 1.0f, Flat(Ink::Hair)));
            piece.stamps.push_back({h.At(-0.42f, 0.08f), h.At(-0.42f, 0.08f), Ink::Outline});
            piece.stamps.push_back({h.At(0.42f, 0.08f), h.At(0.42f, 0.08f), Ink::Outline});
            piece.stamps.push_back({h.At(0.0f, -0.7f), h.At(0.0f, -0.7f), Ink::Mouth});
        } else {
            piece.prims.push_back(
                Capsule(h.At(0.45f, -0.36f), h.At(1.0f, -0.36f), 1.0f, 1.0f, Flat(Ink::Hair)));
            piece.stamps.push_back({h.At(0.45f, 0.1f), h.At(0.45f, 0.1f), Ink::Outline});
        }
        return piece;
    }
    // Hair: a cap slightly larger than the head, cut by a line that depends on the view.
    Prim hair = Ellipse(h.c, h.hf, h.rx + 0.5f, h.ry + 0.6f, Mat(Ink::HairLit, Ink::Hair));
    if (back) {
        hair.clips.push_back(h.Clip(-1.0f, -0.5f, 1.0f, -0.5f));
    } else if (front) {
        hair.clips.push_back(h.Clip(-1.0f, 0.4f, 1.0f, 0.28f));
    } else if (threeQuarter) {
        hair.clips.push_back(h.Clip(0.1f, -1.0f, 0.75f, 0.5f));
    } else {
        hair.clips.push_back(h.Clip(-0.7f, -0.5f, 0.3f, 0.55f));
    }
    piece.prims.push_back(hair);
    // Red head band with its knot's tails flying behind.
    Prim band = Ellipse(h.c, h.hf, h.rx + 0.7f, h.ry + 0.7f, Flat(Ink::Band));
    band.clips.push_back(h.Clip(-1.0f, 0.16f, 1.0f, 0.16f));
    band.clips.push_back(h.Clip(1.0f, 0.44f, -1.0f, 0.44f));
    piece.prims.push_back(band);
    if (!front) {
        const Vec2 knot = back ? h.At(0.0f, 0.3f) : h.At(-1.0f, 0.3f);
        const Vec2 away = back ? h.hu * -1.0f : h.hf * -1.0f;
        piece.prims.push_back(Capsule(knot, knot + away * 4.5f + h.hu * -1.2f, 1.1f, 0.9f, Flat(Ink::Band)));
        piece.prims.push_back(Capsule(knot, knot + away * 3.5f + h.hu * -3.2f + h.hf * (back ? 1.5f : 0.0f),
                                      1.1f, 0.9f, Flat(Ink::BandDark)));
    }
    const Ink eye = pose.eyesShut ? Ink::SkinDeep : Ink::Outline;
    if (front) {
        piece.stamps.push_back({h.At(-0.42f, 0.02f), h.At(-0.42f, 0.02f), eye});
        piece.stamps.push_back({h.At(0.42f, 0.02f), h.At(0.42f, 0.02f), eye});
        if (pose.mouthOpen) piece.stamps.push_back({h.At(0.0f, -0.55f), h.At(0.0f, -0.55f), Ink::Mouth});
        if (pose.blush) {
            piece.stamps.push_back({h.At(-0.62f, -0.3f), h.At(-0.62f, -0.3f), Ink::Blush});
            piece.stamps.push_back({h.At(0.62f, -0.3f), h.At(0.62f, -0.3f), Ink::Blush});
        }
    } else if (!back && !threeQuarter) {
        piece.stamps.push_back({h.At(0.5f, 0.0f), h.At(0.5f, 0.0f), eye});
        piece.stamps.push_back({h.At(-0.22f, -0.12f), h.At(-0.22f, -0.12f), Ink::SkinShade});  // ear
        if (pose.mouthOpen) piece.stamps.push_back({h.At(0.72f, -0.55f), h.At(0.72f, -0.55f), Ink::Mouth});
        if (pose.blush) piece.stamps.push_back({h.At(0.2f, -0.38f), h.At(0.2f, -0.38f), Ink::Blush});
    }
    return piece;
}

// Model-space bounds of a primitive (before clipping).
void Bounds(const Prim& p, Vec2& lo, Vec2& hi) {
    switch (p.kind) {
        case Prim::kCapsule: {
            const float r = std::max(p.ra, p.rb);
            lo = {std::min(p.a.x, p.b.x) - r, std::min(p.a.y, p.b.y) - r};
            hi = {std::max(p.a.x, p.b.x) + r, std::max(p.a.y, p.b.y) + r};
            return;
        }
        case Prim::kEllipse: {
            const float r = std::max(p.rx, p.ry);
            lo = {p.a.x - r, p.a.y - r};
            hi = {p.a.x + r, p.a.y + r};
            return;
        }
        case Prim::kPolygon:
            lo = hi = p.poly.front();
            for (const Vec2& v : p.poly) {
                lo = {std::min(lo.x, v.x), std::min(lo.y, v.y)};
                hi = {std::max(hi.x, v.x), std::max(hi.y, v.y)};
            }
            return;
    }
}

void PaintPiece(PixelSprite& sprite, const Piece& piece) {
    const int w = PixelSprite::kWidth, h = PixelSprite::kHeight;
    std::vector<Ink> buf(static_cast<size_t>(w) * h, Ink::None);
    for (const Prim& prim : piece.prims) {
        Vec2 lo, hi;
        Bounds(prim, lo, hi);
        const int x0 = std::max(0, PixelSprite::Column(lo.x) - 1),
                  x1 = std::min(w - 1, PixelSprite::Column(hi.x) + 1);
        const int y0 = std::max(0, PixelSprite::Row(hi.y) - 1),
                  y1 = std::min(h - 1, PixelSprite::Row(lo.y) + 1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                Ink ink;
                if (SamplePrim(prim, PixelSprite::Centre(x, y), ink))
                    buf[static_cast<size_t>(y) * w + x] = ink;
            }
    }
    for (const Stamp& st : piece.stamps) {
        const float len = Length(st.b - st.a);
        const int steps = std::max(1, static_cast<int>(std::ceil(len * 2.0f)));
        for (int i = 0; i <= steps; ++i) {
            const Vec2 p = st.a + (st.b - st.a) * (static_cast<float>(i) / steps);
            const int x = PixelSprite::Column(p.x), y = PixelSprite::Row(p.y);
            if (x >= 0 && y >= 0 && x < w && y < h) buf[static_cast<size_t>(y) * w + x] = st.ink;
        }
    }
    auto filled = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && buf[static_cast<size_t>(y) * w + x] != Ink::None;
    };
    // A one-pixel dark rim around the piece, over what lies behind it, so overlapping limbs
    // stay apart.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!filled(x, y) &&
                (filled(x - 1, y) || filled(x + 1, y) || filled(x, y - 1) || filled(x, y + 1)))
                sprite.Put(x, y, Ink::Outline, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (filled(x, y)) sprite.Put(x, y, buf[static_cast<size_t>(y) * w + x], true);
}

void PaintStar(PixelSprite& sprite, Vec2 p, Ink ink) {
    const int x = PixelSprite::Column(p.x), y = PixelSprite::Row(p.y);
    sprite.Put(x, y, ink, false);
    sprite.Put(x - 1, y, ink, false);
    sprite.Put(x + 1, y, ink, false);
    sprite.Put(x, y - 1, ink, false);
    sprite.Put(x, y + 1, ink, false);
}

}  // namespace

Rgba InkColour(Ink ink) {
    auto rgb = [](int r, int g, int b) { return Rgba{r / 255.0f, g / 255.0f, b / 255.0f, 1.0f}; };
    switch (ink) {
        case Ink::None:
            return Rgba{0.0f, 0.0f, 0.0f, 0.0f};
        case Ink::Outline:
            return rgb(26, 20, 34);
        case Ink::GiLit:
            return rgb(255, 255, 255);
        case Ink::GiShade:
            return rgb(218, 218, 218);
        case Ink::GiDeep:
            return rgb(200, 200, 200);
        case Ink::Skin:
            return rgb(232, 166, 118);
        case Ink::SkinShade:
            return rgb(190, 120, 84);
        case Ink::SkinDeep:
            return rgb(146, 86, 64);
        case Ink::Hair:
            return rgb(34, 24, 26);
        case Ink::HairLit:
            return rgb(72, 48, 40);
        case Ink::Belt:
            return rgb(30, 28, 36);
        case Ink::BeltLit:
            return rgb(68, 62, 76);
        case Ink::Band:
            return rgb(214, 40, 46);
        case Ink::BandDark:
            return rgb(146, 24, 36);
        case Ink::Mouth:
            return rgb(124, 28, 40);
        case Ink::Blush:
            return rgb(236, 96, 112);
        case Ink::Shorts:
            return rgb(62, 104, 214);
        case Ink::ShortsDot:
            return rgb(250, 208, 60);
        case Ink::Shirt:
            return rgb(120, 172, 226);
        case Ink::ShirtShade:
            return rgb(82, 126, 186);
        case Ink::Suit:
            return rgb(64, 62, 86);
        case Ink::SuitDark:
            return rgb(40, 38, 56);
        case Ink::Tie:
            return rgb(206, 30, 54);
        case Ink::Shoe:
            return rgb(34, 26, 24);
        case Ink::Grey:
            return rgb(158, 138, 126);
        case Ink::StarYellow:
            return rgb(255, 224, 64);
        case Ink::StarOrange:
            return rgb(255, 146, 36);
        case Ink::StarCyan:
            return rgb(84, 214, 240);
        case Ink::StarPink:
            return rgb(246, 110, 196);
        case Ink::Count:
            break;
    }
    return Rgba{};
}

bool IsGiInk(Ink ink) {
    return ink == Ink::GiLit || ink == Ink::GiShade || ink == Ink::GiDeep;
}

PixelSprite::PixelSprite()
    : m_ink(static_cast<size_t>(kWidth) * kHeight, Ink::None),
      m_body(static_cast<size_t>(kWidth) * kHeight, 0) {}

Ink PixelSprite::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return Ink::None;
    return m_ink[static_cast<size_t>(y) * kWidth + x];
}

bool PixelSprite::IsBody(int x, int y) const {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return false;
    return m_body[static_cast<size_t>(y) * kWidth + x] != 0;
}

void PixelSprite::Put(int x, int y, Ink ink, bool body) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    m_ink[static_cast<size_t>(y) * kWidth + x] = ink;
    m_body[static_cast<size_t>(y) * kWidth + x] = body ? 1 : 0;
}

void PixelSprite::MirrorX() {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth / 2; ++x) {
            const size_t a = static_cast<size_t>(y) * kWidth + x,
                         b = static_cast<size_t>(y) * kWidth + kWidth - 1 - x;
            std::swap(m_ink[a], m_ink[b]);
            std::swap(m_body[a], m_body[b]);
        }
}

int PixelSprite::Column(float x) {
    return static_cast<int>(std::floor((x + kWidth) * 0.5f));
}

int PixelSprite::Row(float y) {
    return static_cast<int>(std::floor(kHeight - y));
}

Vec2 PixelSprite::Centre(int column, int row) {
    return {2.0f * column + 1.0f - kWidth, kHeight - row - 0.5f};
}

Canvas PixelSprite::ToCanvas() const {
    Canvas canvas(kWidth * 2, kHeight);
    canvas.Fill(Rgba{0.0f, 0.0f, 0.0f, 0.0f});
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Ink ink = At(x, y);
            if (ink == Ink::None) continue;
            canvas.Set(2 * x, y, InkColour(ink));
            canvas.Set(2 * x + 1, y, InkColour(ink));
        }
    return canvas;
}

Canvas PixelSprite::CollisionCanvas() const {
    Canvas canvas(kWidth * 2, kHeight);
    canvas.Fill(Rgba{0.0f, 0.0f, 0.0f, 0.0f});
    const Rgba solid{0.85f, 0.2f, 0.3f, 1.0f};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (IsBody(x, y)) {
                canvas.Set(2 * kWidth - 1 - 2 * x, y, solid);
                canvas.Set(2 * kWidth - 2 - 2 * x, y, solid);
            }
    return canvas;
}

Limb Angles(float upper, float lower, float foot) {
    Limb l;
    l.upper = upper;
    l.lower = lower;
    l.end = foot;
    return l;
}

Limb Reach(float x, float y, int bend, float reach, float foot) {
    Limb l;
    l.ik = true;
    l.target = {x, y};
    l.bend = bend;
    l.reach = reach;
    l.end = foot;
    return l;
}

Limb Kick(float x, float y) {
    Limb l = Reach(x, y, 1, 3.0f, 0.0f);
    l.endRelative = true;
    return l;
}

PixelSprite DrawFigure(const Pose& pose, const Costume& costume, FigurePoints* points) {
    const float s = costume.scale;
    TorsoFrame torso;
    torso.hip = pose.hip;
    torso.u = Dir(180.0f - pose.lean);
    torso.n = Rotate(torso.u, -90.0f);
    torso.s = s;
    torso.girth = costume.girth;
    torso.w = std::min(1.0f, std::fabs(pose.turn));

    const float side = pose.turn;  // near limbs move to screen +x when seen from behind
    const Vec2 shoulderN = torso.At(13.2f, side * 7.0f * costume.girth);
    const Vec2 shoulderF = torso.At(13.2f, -side * 7.0f * costume.girth);
    const Vec2 hipN = torso.At(0.0f, side * 3.6f * costume.girth);
    const Vec2 hipF = torso.At(0.0f, -side * 3.6f * costume.girth);

    HeadFrame head;
    head.hu = Rotate(torso.u, -pose.tilt);
    head.hf = Rotate(head.hu, -90.0f);
    head.rx = kHeadRx * costume.headScale;
    head.ry = kHeadRy * costume.headScale;
    head.c = torso.At(kTorso, 0.0f) + head.hu * (kNeckGap * s + head.ry);

    const Joints armN = Solve(shoulderN, pose.nearArm, kUpperArm * s, kForearm * s);
    const Joints armF = Solve(shoulderF, pose.farArm, kUpperArm * s, kForearm * s);
    const Joints legN = Solve(hipN, pose.nearLeg, kThigh * s, kShin * s);
    const Joints legF = Solve(hipF, pose.farLeg, kThigh * s, kShin * s);

    Vec2 fistN, fistF;
    Piece farArm = ArmPiece(armF, costume, true, &fistF);
    Piece nearArm = ArmPiece(armN, costume, false, &fistN);
    Piece farLeg = LegPiece(legF, pose, costume, true);
    Piece nearLeg = LegPiece(legN, pose, costume, false);
    Piece body = TorsoPiece(torso, pose, costume, head.c - head.hu * (head.ry * 0.5f));
    Piece skull = HeadPiece(head, pose, costume);

    // Seen from the front or back the legs hang below the jacket; from the side the near leg
    // passes in front of it.
    std::vector<Piece*> order;
    const bool legsBehind = std::fabs(pose.turn) > 0.5f;
    order.push_back(&farArm);
    order.push_back(&farLeg);
    if (legsBehind) order.push_back(&nearLeg);
    order.push_back(&body);
    order.push_back(&skull);
    if (!legsBehind) order.push_back(&nearLeg);
    order.push_back(&nearArm);

    Placement place;
    place.pivot = pose.hip;
    place.angle = pose.spin;
    float lowest = 1e9f;
    for (Piece* p : order)
        for (Prim& prim : p->prims) {
            Place(prim, place);
            lowest = std::min(lowest, LowestPoint(prim));
        }
    Placement ground;
    if (pose.grounded) ground.shift = {0.0f, pose.lift + 1.0f - lowest};
    for (Piece* p : order) {
        for (Prim& prim : p->prims) Place(prim, ground);
        for (Stamp& st : p->stamps) {
            st.a = ground.Point(place.Point(st.a));
            st.b = ground.Point(place.Point(st.b));
        }
    }
    auto final = [&](Vec2 v) { return ground.Point(place.Point(v)); };

    PixelSprite sprite;
    for (Piece* p : order) PaintPiece(sprite, *p);

    const Vec2 headC = final(head.c);
    if (pose.dazed >= 0) {
        const Ink inks[3] = {Ink::StarYellow, Ink::StarCyan, Ink::StarPink};
        for (int k = 0; k < 3; ++k) {
            const float a = (pose.dazed * 30.0f + k * 120.0f) * kDeg;
            PaintStar(sprite, headC + Vec2{std::cos(a) * 9.0f, head.ry + 4.0f + std::sin(a) * 2.5f}, inks[k]);
        }
    }

    FigurePoints pts;
    pts.head = headC;
    pts.nearHand = final(fistN);
    pts.farHand = final(fistF);
    pts.nearFoot = final(legN.end + Dir(legN.endAngle) * (3.0f * s));
    pts.farFoot = final(legF.end + Dir(legF.endAngle) * (3.0f * s));
    if (pose.mirror) {
        sprite.MirrorX();
        for (Vec2* v : {&pts.head, &pts.nearHand, &pts.farHand, &pts.nearFoot, &pts.farFoot}) v->x = -v->x;
    }
    if (points) *points = pts;
    return sprite;
}
