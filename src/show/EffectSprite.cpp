#include "show/EffectSprite.h"

#include <GL/glew.h>

#include <cmath>
#include <initializer_list>

#include "base/Exit.h"
#include "base/Log.h"
#include "io/Loader.h"
#include "render/IRenderer.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectVector2.h"
#include "script/ScriptValidation.h"
#include "script/ScriptValueUtil.h"

namespace {

struct BlendName {
    const char* name;
    uint32_t code;
};

// In the order the names are compared; each side accepts its own set.
const BlendName kSourceFactors[] = {
    {"zero", BLEND_ZERO},
    {"one", BLEND_ONE},
    {"src_alpha", BLEND_SRC_ALPHA},
    {"one_minus_src_alpha", BLEND_ONE_MINUS_SRC_ALPHA},
    {"dst_color", BLEND_DST_COLOR},
    {"one_minus_dst_color", BLEND_ONE_MINUS_DST_COLOR},
    {"dst_alpha", BLEND_DST_ALPHA},
    {"one_minus_dst_alpha", BLEND_ONE_MINUS_DST_ALPHA},
    {"src_alpha_saturate", BLEND_SRC_ALPHA_SATURATE},
};

const BlendName kDestinationFactors[] = {
    {"zero", BLEND_ZERO},
    {"one", BLEND_ONE},
    {"src_color", BLEND_SRC_COLOR},
    {"one_minus_src_color", BLEND_ONE_MINUS_SRC_COLOR},
    {"src_alpha", BLEND_SRC_ALPHA},
    {"one_minus_src_alpha", BLEND_ONE_MINUS_SRC_ALPHA},
    {"dst_alpha", BLEND_DST_ALPHA},
    {"one_minus_dst_alpha", BLEND_ONE_MINUS_DST_ALPHA},
    {"src_alpha_saturate", BLEND_SRC_ALPHA_SATURATE},
};

template <size_t N>
uint32_t FindFactor(const BlendName (&table)[N], const std::string& name) {
    for (const BlendName& entry : table) {
        if (name == entry.name) return entry.code;
    }
    return 0;
}

[[noreturn]] void Fatal(const std::string& message, const std::string& value) {
    LogMessage(LOG_ERROR, message + ScriptValueUtil::Excerpt(value));
    ExitProgram(-1);
}

// The fragment is texel x colour. True when blending that fragment leaves every channel of the
// target as it was: the source term vanishes (a zero factor, an all-zero colour, or alpha 0
// under "src_alpha") and the destination is kept whole ("one", or "one_minus_src_alpha" at
// alpha 0). Such a draw costs a full fill and changes nothing.
bool LeavesTargetUnchanged(uint32_t source, uint32_t destination, const float* color) {
    const bool transparent = color[3] == 0.0f;
    const bool black = transparent && color[0] == 0.0f && color[1] == 0.0f && color[2] == 0.0f;
    const bool noSource = source == BLEND_ZERO || black || (source == BLEND_SRC_ALPHA && transparent);
    const bool keepsDestination =
        destination == BLEND_ONE || (destination == BLEND_ONE_MINUS_SRC_ALPHA && transparent);
    return noSource && keepsDestination;
}

bool AllFinite(std::initializer_list<float> values) {
    for (float v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

const char* const kVertexShader = "GLSL/Special/Sprite.vert";
const char* const kFragmentShader = "GLSL/Special/Sprite.frag";

}  // namespace

uint32_t EffectSprite::SourceFactor(const std::string& name) {
    return FindFactor(kSourceFactors, name);
}

uint32_t EffectSprite::DestinationFactor(const std::string& name) {
    return FindFactor(kDestinationFactors, name);
}

EffectSprite::EffectSprite(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                           float end)
    : ScriptObjectEffect(framework, id, "sprite", parent, start, end),
      m_frames(FrameData{BLEND_ZERO, BLEND_ONE}) {
    m_description = "Effect for rendering 2D sprites.";
    m_pos = AddVector2Parameter("pos", ACCESS_READ_WRITE, 0.0f, 0.0f, "Screen space position.");
    m_size = AddVector2Parameter("size", ACCESS_READ_WRITE, 1.0f, 1.0f, "Screen space size.");
    m_angleUnit = AddStringParameter("angle_unit", ACCESS_READ_WRITE, "deg",
                                     "Unit for rotation angle. Accepted values: \"deg\", \"rad\".");
    m_angle = AddFloatParameter("angle", ACCESS_READ_WRITE, 0.0f,
                                "Sprite rotation angle. Unit is defined by angle_unit. Default=0.0.");
    m_autodir = AddStringParameter(
        "autodir", ACCESS_READ_WRITE, "disabled",
        "Auto direction mode. Accepted values: \"disabled\", \"point_to_target\", \"follow_path\".");
    m_autodirTarget =
        AddVector2Parameter("autodir_target", ACCESS_READ_WRITE, 0.0f, 0.0f,
                            "Target's screen space position for point_to_target auto direction mode.");
    m_color = AddColor4Parameter("color", ACCESS_READ_WRITE, 1.0f, 1.0f, 1.0f, 1.0f,
                                 "Sprite color. Default=(1.0, 1.0, 1.0, 1.0)");
    m_aspect =
        AddFloatParameter("aspect", ACCESS_READ_WRITE, 0.0f,
                          "X/y aspect ratio. Default=0.0 takes aspect from texture bitmap's original aspect "
                          "ratio.");
    m_unitAxis =
        AddStringParameter("unit_axis", ACCESS_READ_WRITE, "x",
                           "Sets main axis for sprite. Main axis is length of size, other depends on aspect. "
                           "Accepted values: \"x\", \"y\".");
    m_texId = AddIntegerParameter("tex_id", ACCESS_READ_WRITE, -1, "Texture ID for RGBA color texture.");
    m_srcBlend = AddStringParameter("src_blend", ACCESS_READ_WRITE, "one",
                                    "Source buffer blending mode. Accepted values: \"one\", \"zero\", "
                                    "\"src_alpha\", \"one_minus_src_alpha\", "
                                    "\"dst_color\", \"one_minus_dst_color\", \"dst_alpha\", "
                                    "\"one_minus_dst_alpha\", \"src_alpha_saturate\".");
    m_dstBlend = AddStringParameter(
        "dst_blend", ACCESS_READ_WRITE, "zero",
        "Destination buffer blending mode. Accepted values: \"zero\", \"one\", \"src_color\", "
        "\"one_minus_src_color\", \"src_alpha\", \"one_minus_src_alpha\", \"dst_alpha\", "
        "\"one_minus_dst_alpha\", "
        "\"src_alpha_saturate\".");
    m_texTl = AddVector2Parameter("tex_tl", ACCESS_READ_WRITE, 0.0f, 0.0f,
                                  "Texture coordinates for top-left corner. Default=(0.0, 0.0)");
    m_texBr = AddVector2Parameter("tex_br", ACCESS_READ_WRITE, 1.0f, 1.0f,
                                  "Texture coordinates for bottom-right corner. Default=(1.0, 1.0)");
    const float transparentBlack[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    SetClearDefaults(transparentBlack, false, 1.0f, false);
}

EffectSprite::~EffectSprite() {
    FreeProgram();
}

ScriptObject* EffectSprite::Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                   float start, float end) {
    return new EffectSprite(framework, id, parent, start, end);
}

void EffectSprite::CreateProgram() {
    if (m_program) return;
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    m_program = renderer->LoadProgram(GetLoader(), kVertexShader, kFragmentShader);
    if (!m_program) return;
    const GLuint program = m_program;
    renderer->UseProgram(m_program);
    glUniform1i(glGetUniformLocation(program, "texture0"), 0);
    m_texturedLocation = glGetUniformLocation(program, "textured");
    renderer->UseProgram(0);
}

void EffectSprite::FreeProgram() {
    if (!m_program) return;
    if (IRenderer* renderer = GetRenderer()) renderer->FreeProgram(m_program);
    // The name is gone with the program; a later activation makes a new one.
    m_program = 0;
    m_texturedLocation = -1;
}

void EffectSprite::Activate() {
    // "Init" only arrives for an element with attributes; a bare <sprite/> needs its program too.
    CreateProgram();
    if (GetAutoStart()) StartEffect();
}

void EffectSprite::Deactivate() {
    StopEffect();
    FreeProgram();
}

void EffectSprite::HandleEvent(ScriptEvent* event) {
    if (event->name == "Init") {
        CreateProgram();
    } else if (event->name == "Start") {
        StartEffect();
    } else if (event->name == "Stop") {
        StopEffect();
    }
}

void EffectSprite::Update(float, float) {
    FrameData data;
    data.srcBlend = SourceFactor(m_srcBlend->GetValue());
    if (!data.srcBlend) Fatal("EffectSprite: Unknown src_blend value: ", m_srcBlend->GetValue());
    data.dstBlend = DestinationFactor(m_dstBlend->GetValue());
    if (!data.dstBlend) Fatal("EffectSprite: Unknown dst_blend value: ", m_dstBlend->GetValue());
    // The first render reads the slot this update does not fill; give it the same factors.
    if (m_frames.GetCounter() == 0) m_frames.Fill(data);
    m_frames.Write() = data;
}

float EffectSprite::ResolveAngle() {
    float angle = m_angle->GetValue();
    const std::string& unit = m_angleUnit->GetValue();
    if (unit == "deg") {
        angle = angle * 3.1415927f * 0.0055555557f;
    } else if (unit != "rad") {
        Fatal("EffectSprite: Unknown angle_unit value: ", unit);
    }
    const std::string& autodir = m_autodir->GetValue();
    const float x = m_pos->GetX(), y = m_pos->GetY();
    if (autodir == "point_to_target") {
        // Measured from +y towards +x, matching the clockwise rotation of the sprite.
        angle += std::atan2(m_autodirTarget->GetX() - x, m_autodirTarget->GetY() - y);
    } else if (autodir == "follow_path") {
        if (m_hasPreviousPos) angle += std::atan2(x - m_previousPos[0], y - m_previousPos[1]);
    } else if (autodir != "disabled") {
        Fatal("EffectSprite: Unknown autodir value: ", autodir);
    }
    return angle;
}

void EffectSprite::Render() {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    const FrameData& frame = m_frames.Read();
    const int32_t texId = m_texId->GetValue();
    // -1 (no texture) and 0 (a resource not loaded yet) draw the plain colour.
    const bool textured = texId > 0;

    renderer->SetBlend(true, frame.srcBlend, frame.dstBlend);
    renderer->SetLighting(false);
    renderer->SetWriteMask(CLEAR_COLOR_ALL);
    renderer->SetCulling(false, 0);
    renderer->SetDepthTest(false, 0);
    renderer->EnableTexture(0, true, TEXTURE_TARGET_2D);
    renderer->BindTexture(0, textured ? static_cast<uint32_t>(texId) : 0u, TEXTURE_TARGET_2D);
    renderer->UseProgram(m_program);
    if (m_program && m_texturedLocation >= 0) glUniform1i(m_texturedLocation, textured ? 1 : 0);

    const float angle = ResolveAngle();
    float size[2] = {2.0f * m_size->GetX(), 2.0f * m_size->GetY()};
    float aspect = m_aspect->GetValue();
    if (aspect == 0.0f) aspect = renderer->GetTextureAspectRatio(static_cast<uint32_t>(texId));
    const std::string& unitAxis = m_unitAxis->GetValue();
    if (unitAxis == "x") {
        if (aspect > 1.0f) {
            size[0] *= 1.0f / aspect;
            size[1] *= 1.0f / aspect;
        }
    } else if (unitAxis != "y") {
        Fatal("EffectSprite: Unknown unit_axis value: ", unitAxis);
    }
    // (a, b, c, d) = (u left, v top, u right, v bottom): script y runs down, texture v up.
    const float texRect[4] = {m_texTl->GetX(), 1.0f - m_texTl->GetY(), m_texBr->GetX(),
                              1.0f - m_texBr->GetY()};

    IRenderTarget* target = renderer->GetRenderTarget();
    const float a = target ? target->GetAspectRatio() : 16.0f / 9.0f;
    renderer->SetOrtho(-a, a, 1.0f, -1.0f, -1.0f, 1.0f);

    float position[2];
    m_pos->GetValue(position);
    float color[4];
    m_color->GetValue(color);
    // Computed values can stop being numbers (a division by zero): such a sprite is left out
    // rather than drawn as garbage over the frame.
    const bool finite = AllFinite({position[0], position[1], size[0], size[1], aspect, angle, color[0], color[1],
                                   color[2], color[3], texRect[0], texRect[1], texRect[2], texRect[3]});
    if (!finite && !m_warnedNotFinite) {
        LogMessage(LOG_WARNING, "EffectSprite: Sprite not drawn, its values are not finite numbers: ",
                   ScriptValueUtil::Excerpt(m_id));
        m_warnedNotFinite = true;
    }
    if (finite && !LeavesTargetUnchanged(frame.srcBlend, frame.dstBlend, color)) {
        renderer->DrawSprite(position, size, aspect, angle, color, 1, texRect);
    }

    renderer->EnableTexture(0, false, TEXTURE_TARGET_2D);
    renderer->UseProgram(0);
    m_previousPos[0] = position[0];
    m_previousPos[1] = position[1];
    m_hasPreviousPos = true;
}

void EffectSprite::Validate(ScriptValidation& v) {
    ScriptObjectEffect::Validate(v);
    if (!FindFactor(kSourceFactors, m_srcBlend->GetValue()))
        v.Problem("src_blend: unknown value \"" + ScriptValueUtil::Excerpt(m_srcBlend->GetValue()) + "\"");
    if (!FindFactor(kDestinationFactors, m_dstBlend->GetValue()))
        v.Problem("dst_blend: unknown value \"" + ScriptValueUtil::Excerpt(m_dstBlend->GetValue()) + "\"");
    static const char* const kUnits[] = {"deg", "rad", nullptr};
    static const char* const kAutodirs[] = {"disabled", "point_to_target", "follow_path", nullptr};
    static const char* const kAxes[] = {"x", "y", nullptr};
    v.Choice(m_angleUnit->GetValue(), kUnits, "angle_unit");
    v.Choice(m_autodir->GetValue(), kAutodirs, "autodir");
    v.Choice(m_unitAxis->GetValue(), kAxes, "unit_axis");
}
