#pragma once

// The fighters' 78 sprite frames in frame-number order, as the fight plays them by index. The
// asset generator draws "textures/karate/<name>.png" and "textures/karate/collision/<name>.png"
// under these names and the show loads them in this order, so both read this one table.
namespace FighterFrames {

constexpr int kCount = 78;

inline constexpr const char* kNames[kCount] = {
    "stance_00",      "walk_01",        "walk_02",        "walk_03",        "walk_04",
    "walk_05",        "lowkick_01",     "lowkick_02",     "kick_01",        "kick_02",
    "highkick_01",    "highkick_02",    "doublekick_01",  "doublekick_02",  "doublekick_03",
    "doublekick_04",  "headbutt_01",    "headbutt_02",    "headbutt_03",    "block_01",
    "flip_01",        "flip_02",        "flip_03",        "flip_04",        "flip_05",
    "flip_06",        "flip_07",        "flip_08",        "flip_09",        "jump_01",
    "jump_02",        "jump_03",        "highfist_01",    "highfist_02",    "kneelfist_01",
    "kneelfist_02",   "jumpkick_01",    "kneelkick_01",   "kneelkick_02",   "pantsdown_01",
    "pantsdown_02",   "pantsdown_03",   "roundkick_01",   "roundkick_02",   "roundkick_03",
    "turn_01",        "hit_stomach_01", "hit_stomach_02", "hit_stomach_03", "hit_stomach_04",
    "hit_stomach_05", "hit_stomach_06", "hit_stomach_07", "hit_back_01",    "hit_back_02",
    "hit_back_03",    "hit_back_04",    "hit_back_05",    "hit_back_06",    "hit_back_07",
    "hit_front_01",   "hit_front_02",   "hit_front_03",   "hit_front_04",   "hit_front_05",
    "hit_front_06",   "hit_front_07",   "getup_back_01",  "getup_back_02",  "getup_back_03",
    "getup_back_04",  "getup_back_05",  "getup_back_06",  "getup_front_01", "getup_front_02",
    "hit_stomach_00", "hit_back_00",    "hit_front_00",
};

}  // namespace FighterFrames
