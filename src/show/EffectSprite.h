#pragma once

#include <cstdint>
#include <string>

#include "script/DoubleBuffer.h"
#include "script/ScriptObjectEffect.h"

class ScriptObjectColor4;
class ScriptObjectFloat;
class ScriptObjectInteger;
class ScriptObjectString;
class ScriptObjectVector2;

// "sprite": one textured, tinted, rotated rectangle in screen space, blended as the script says.
class EffectSprite : public ScriptObjectEffect {
public:
    // Blend factors resolved by the update for the next frame's render.
    struct FrameData {
        uint32_t dstBlend;
        uint32_t srcBlend;
    };

    EffectSprite(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                 float end);
    ~EffectSprite() override;

    static ScriptObject* Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                float start, float end);

    void Activate() override;
    void Deactivate() override;
    void HandleEvent(ScriptEvent* event) override;
    void Validate(ScriptValidation& validation) override;
    using ScriptObjectEffect::Update;
    void Update(float time, float dt) override;
    void Render() override;

    uint32_t GetProgram() const { return m_program; }

    // Script names to renderer blend-factor codes; 0 for a name the side does not accept.
    static uint32_t SourceFactor(const std::string& name);
    static uint32_t DestinationFactor(const std::string& name);

private:
    void CreateProgram();
    void FreeProgram();
    // Rotation in radians from "angle", "angle_unit" and the auto-direction mode.
    float ResolveAngle();

    ScriptObjectVector2* m_pos;
    ScriptObjectVector2* m_size;
    ScriptObjectString* m_angleUnit;
    ScriptObjectFloat* m_angle;
    ScriptObjectString* m_autodir;
    ScriptObjectVector2* m_autodirTarget;
    ScriptObjectColor4* m_color;
    ScriptObjectFloat* m_aspect;
    ScriptObjectString* m_unitAxis;
    ScriptObjectInteger* m_texId;
    ScriptObjectString* m_srcBlend;
    ScriptObjectString* m_dstBlend;
    ScriptObjectVector2* m_texTl;
    ScriptObjectVector2* m_texBr;

    uint32_t m_program = 0;
    int32_t m_texturedLocation = -1;
    float m_previousPos[2] = {0.0f, 0.0f};
    bool m_hasPreviousPos = false;
    bool m_warnedNotFinite = false;
    DoubleBuffer<FrameData> m_frames;
};
