#include "show/KarateSpriteSets.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "io/Loader.h"
#include "materials/RT_Karateka.h"
#include "render/IRenderer.h"


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
