#pragma once

#include <cstdint>
#include <vector>

#include "Canvas.h"

// The palette of the chunky block sprites. The fighter shader recolours near-white to the gi
// colour and keeps its shading, so only the gi inks are near-white; every other ink stays
// clearly darker or coloured.
enum class Ink : uint8_t {
    None,
    Outline,
    GiLit,
    GiShade,
    GiDeep,
    Skin,
    SkinShade,
    SkinDeep,
    Hair,
    HairLit,
    Belt,
    BeltLit,
    Band,
    BandDark,
    Mouth,
    Blush,
    Shorts,
    ShortsDot,
    Shirt,
    ShirtShade,
    Suit,
    SuitDark,
    Tie,
    Shoe,
    Grey,
    StarYellow,
    StarOrange,
    StarCyan,
    StarPink,
    Count
};

Rgba InkColour(Ink ink);
// Only the gi inks: pure white and the light neutral greys of its folds.
bool IsGiInk(Ink ink);

struct Vec2 {
    float x = 0.0f, y = 0.0f;
};

// A sprite on the logical grid the block geometry reads: 64 x 96 logical pixels, each two image
// columns wide and one row high (only the left pixel of a pair becomes a block, so both are
// written alike). Model space is in image pixels of 0.03 units: x forward from the centre
// column, y up from the bottom edge (the ground).
class PixelSprite {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 96;

    PixelSprite();

    Ink At(int x, int y) const;
    // Body pixels are the fighter itself; effects such as dizzy stars are drawn but not body.
    bool IsBody(int x, int y) const;
    void Put(int x, int y, Ink ink, bool body);
    void MirrorX();

    // Logical pixel holding a model-space point.
    static int Column(float x);
    static int Row(float y);
    // Centre of a logical pixel in model space.
    static Vec2 Centre(int column, int row);

    // The 128 x 96 image: each logical pixel written twice, transparent black elsewhere.
    Canvas ToCanvas() const;
    // The body silhouette mirrored left to right: the hit test reads collision images mirrored
    // relative to the drawn frames.
    Canvas CollisionCanvas() const;

private:
    std::vector<Ink> m_ink;
    std::vector<uint8_t> m_body;
};

// One arm or leg: upper and lower bone by absolute angles, or solved to reach a target.
// Angles are degrees: 0 hangs straight down, 90 points forward (+x), 180 up, -90 backward.
struct Limb {
    float upper = 0.0f, lower = 0.0f;
    bool ik = false;
    Vec2 target;               // where the end point goes
    float reach = 0.0f;        // the end point lies this far beyond the wrist/ankle along the lower bone
    int bend = 1;              // +1: elbow/knee counter-clockwise of the root-to-target line, -1 clockwise
    float end = 90.0f;         // foot direction (absolute; 90 = flat, toes forward)
    bool endRelative = false;  // foot direction relative to the shin (0 = pointed toes)
};

Limb Angles(float upper, float lower, float foot = 90.0f);
Limb Reach(float x, float y, int bend, float reach = 0.0f, float foot = 90.0f);
// A kicking leg whose pointed foot covers the target point with its middle.
Limb Kick(float x, float y);

struct Pose {
    Vec2 hip{0.0f, 27.0f};
    bool grounded = false;  // shift the figure so its lowest point rests `lift` above the ground
    float lift = 0.0f;
    float lean = 0.0f;  // torso from vertical, + leans forward
    float tilt = 0.0f;  // head relative to the torso, + nods forward
    float turn = 0.0f;  // -1 front view, 0 profile facing +x, +1 back view
    float spin = 0.0f;  // whole figure turned counter-clockwise about the hip (a back flip)
    Limb nearArm, farArm, nearLeg, farLeg;
    bool mirror = false;  // drawn facing -x
    int trousers = 0;     // 0 worn, 1 down at the knees, 2 at the ankles
    bool blush = false;
    bool mouthOpen = false;
    bool eyesShut = false;
    int dazed = -1;  // phase 0..3 of the stars circling the head, -1 none
};

// Proportions and clothes.
struct Costume {
    float scale = 1.0f;      // bones and limb thickness
    float headScale = 1.0f;  // head size
    float girth = 1.0f;      // torso width
    bool referee = false;    // shirt, dark trousers, shoes, bow tie, bald with a moustache
};

// Where the figure's extremities ended up (model space, after spin, grounding and mirroring).
struct FigurePoints {
    Vec2 head, nearHand, farHand, nearFoot, farFoot;
};

PixelSprite DrawFigure(const Pose& pose, const Costume& costume, FigurePoints* points = nullptr);
