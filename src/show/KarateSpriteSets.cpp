#include "show/KarateSpriteSets.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "io/Loader.h"
#include "materials/RT_Karateka.h"
#include "render/IRenderer.h"

const char* const KarateSpriteSets::kFighterFrames[kFighterFrameCount] = {
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

KarateSpriteSets::KarateSpriteSets() = default;

KarateSpriteSets::~KarateSpriteSets() {
    // The sets forget the technique before it goes.
    m_fighters.SetTechnique(nullptr, false);
    m_referee.SetTechnique(nullptr, false);
}

bool KarateSpriteSets::LoadFighters() {
    std::vector<std::pair<std::string, std::string>> names;
    for (const char* name : kFighterFrames)
        names.emplace_back(std::string("textures/karate/") + name + ".png",
                           std::string("textures/karate/collision/") + name + ".png");
    const bool all = m_fighters.AddFrames(names);
    m_fighters.GetElementList();
    return all;
}

bool KarateSpriteSets::LoadReferee() {
    std::vector<std::pair<std::string, std::string>> names = {
        {"textures/karate/tuomari/tuomari.png", ""}, {"textures/karate/tuomari/tuomari_invisible.png", ""}};
    for (int i = 1; i <= kRefereeFrameCount - 2; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "textures/karate/tuomari/stars_%02d.png", i);
        names.emplace_back(name, "");
    }
    const bool all = m_referee.AddFrames(names);
    m_referee.GetElementList();
    return all;
}

void KarateSpriteSets::CreateTechnique(uint32_t shadowTexture) {
    m_technique = std::make_unique<RT_Karateka>();
    m_technique->SetTexture(0, false, shadowTexture);
    if (IRenderer* renderer = GetRenderer()) {
        renderer->ResetTextureParameters();
        renderer->SetTextureWrap(WRAP_REPEAT, WRAP_REPEAT, WRAP_REPEAT);
        renderer->SetTextureFlags(TEXTURE_FLAG_MIPMAP);
        renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_LINEAR);
        m_technique->SetTexture(
            1, true, renderer->LoadNormalMapFromHeightField(GetLoader(), "textures/karateka_bump.png"));
        renderer->SetTextureFlags(TEXTURE_FLAG_COMPRESSION | TEXTURE_FLAG_MIPMAP);
        m_technique->SetTexture(
            2, true, renderer->LoadTexture2D(GetLoader(), "textures/karateka_env.png", FORMAT_RGBA));
    }
    m_fighters.SetTechnique(m_technique.get(), false);
    m_referee.SetTechnique(m_technique.get(), false);
}
