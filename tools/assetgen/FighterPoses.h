#pragma once

#include "SpriteRig.h"
#include "show/FighterFrames.h"

// The fighter's 78 sprite frames in the order the fight plays them by index, posed on the rig.
namespace FighterPoses {

constexpr int kFrameCount = FighterFrames::kCount;

const char* FrameName(int frame);
Pose FramePose(int frame);

// The point an attack frame strikes, in image pixels from the fighter's centre and ground
// (x forward), matching the fight's reach table; false for frames that strike nothing.
bool StrikePoint(int frame, Vec2& point);

}  // namespace FighterPoses
