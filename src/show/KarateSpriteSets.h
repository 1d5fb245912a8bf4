#pragma once

#include <cstdint>
#include <memory>

#include "show/FighterFrames.h"
#include "show/GeomBlockSprite.h"

class RT_Karateka;

// The show's two block-sprite sets: the fighters' 78 frames with their collision images and the
// referee's 26 frames (himself, an invisible frame and a star burst), drawn with one shared
// RT_Karateka.
class KarateSpriteSets {
public:
    static constexpr int kFighterFrameCount = FighterFrames::kCount;
    static constexpr int kRefereeFrameCount = 26;
    // Frame names in frame-number order: "textures/karate/<name>.png" and
    // "textures/karate/collision/<name>.png".
    static constexpr const auto& kFighterFrames = FighterFrames::kNames;

    KarateSpriteSets();
    ~KarateSpriteSets();
    KarateSpriteSets(const KarateSpriteSets&) = delete;
    KarateSpriteSets& operator=(const KarateSpriteSets&) = delete;

    // Adds every frame through the global loader (no GL needed); false when a frame was skipped,
    // which shifts the later frames.
    bool LoadFighters();
    bool LoadReferee();
    // The fighters' technique, set on both sets: the shadow mask texture is borrowed, the bump and
    // environment maps are loaded. Needs the renderer.
    void CreateTechnique(uint32_t shadowTexture);

    GeomBlockSprite& GetFighters() { return m_fighters; }
    GeomBlockSprite& GetReferee() { return m_referee; }
    RT_Karateka* GetTechnique() const { return m_technique.get(); }

private:
    GeomBlockSprite m_fighters;
    GeomBlockSprite m_referee;
    std::unique_ptr<RT_Karateka> m_technique;
};
