#include "script/ScriptObjectEffect.h"

#include <cmath>

#include "base/Exit.h"
#include "base/Log.h"
#include "render/IRenderer.h"
#include "script/DemoFramework.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectRenderTarget.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectVector2.h"
#include "script/ScriptValidation.h"
#include "script/ScriptValueUtil.h"
#include "ui/IUserInterface.h"

ScriptObjectEffect::ScriptObjectEffect(DemoFramework* framework, const std::string& id,
                                       const std::string& typeName, ScriptObject* parent, float start,
                                       float end)
    : ScriptObjectPart(framework, id, typeName, parent, start, end) {
    m_description = "Base object for all other effects.";
    m_autoStart = AddBooleanParameter("auto_start", ACCESS_INIT_ONLY, true,
                                      "Defines if effect starts automatically when the object is activated.");
    m_renderTarget = AddStringParameter("render_target", ACCESS_READ_WRITE, "",
                                        "Render target buffer where effect renders it's output.");
    m_viewportPos =
        AddVector2Parameter("viewport_pos", ACCESS_READ_WRITE, 0.0f, 0.0f,
                            "Screen space position of the viewport where effects renders it's output.");
    m_viewportSize =
        AddVector2Parameter("viewport_size", ACCESS_READ_WRITE, 1.0f, 1.0f,
                            "Screen space size of the viewport where effect renders it's output.");
    m_clearColorBuffer = AddBooleanParameter("clear_color_buffer", ACCESS_READ_WRITE, true,
                                             "Defines if effect clears it's color buffer before rendering.");
    m_clearColor = AddColor4Parameter("clear_color", ACCESS_READ_WRITE, 0.0f, 0.0f, 0.0f, 0.0f,
                                      "RGBA color value that is used for clearing color buffer.");
    m_clearDepthBuffer = AddBooleanParameter("clear_depth_buffer", ACCESS_READ_WRITE, true,
                                             "Defines if effect clears it's depth buffer before rendering.");
    m_clearDepth = AddFloatParameter("clear_depth", ACCESS_READ_WRITE, 1.0f,
                                     "Depth value that is used for clearing depth buffer.");
}

ScriptObjectEffect::~ScriptObjectEffect() {
    if (m_registered) StopEffect();
}

void ScriptObjectEffect::Update() {
    ScriptObjectPart::Update();
    m_renderTargetObject = nullptr;
    const std::string& name = m_renderTarget->GetValue();
    if (name.empty()) return;
    m_renderTargetObject = dynamic_cast<ScriptObjectRenderTarget*>(FindObject(name));
    if (!m_renderTargetObject) {
        LogMessage(LOG_ERROR, "Render target \"" + ScriptValueUtil::Excerpt(name) +
                                  "\" not found for effect (" + ScriptValueUtil::Excerpt(m_id) + ").");
        ExitProgram(-1);
    }
}

void ScriptObjectEffect::PreRender() {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    float position[2];
    float size[2];
    m_viewportPos->GetValue(position);
    m_viewportSize->GetValue(size);
    // A target object that holds no buffer (its creation failed) leaves the effect on the window.
    IRenderTarget* target = m_renderTargetObject ? m_renderTargetObject->GetRenderTarget() : nullptr;
    if (!target) target = GetUserInterface();
    renderer->SetRenderTarget(target);
    renderer->ResetState();
    renderer->SetViewport(position, size);
    uint32_t mask = 0;
    if (m_clearColorBuffer->GetValue()) {
        float color[4];
        m_clearColor->GetValue(color);
        // A computed colour that is not a number clears to nothing rather than to whatever the
        // driver makes of NaN.
        for (float& c : color) {
            if (!std::isfinite(c)) c = 0.0f;
        }
        renderer->SetClearColor(color);
        mask = CLEAR_COLOR_ALL;
    }
    if (m_clearDepthBuffer->GetValue()) {
        mask |= CLEAR_DEPTH;
        renderer->SetClearDepth(m_clearDepth->GetValue());
    }
    // glClear ignores the viewport: the scissor keeps the clear inside it, so the letterbox
    // bars and other effects' viewports survive.
    float fittedPosition[2];
    float fittedSize[2];
    FitViewport(target, position, size, fittedPosition, fittedSize);
    renderer->SetScissor(true, fittedPosition, fittedSize);
    renderer->Clear(mask);
    renderer->SetScissor(false, fittedPosition, fittedSize);
}

void ScriptObjectEffect::FitViewport(IRenderTarget* target, const float* position, const float* size,
                                     float* fittedPosition, float* fittedSize) {
    fittedPosition[0] = position[0];
    fittedPosition[1] = position[1];
    fittedSize[0] = size[0];
    fittedSize[1] = size[1];
    if (!target || target->GetHeight() <= 0) return;
    const float aspect = target->GetAspectRatio();
    const float ratio = static_cast<float>(target->GetWidth()) / static_cast<float>(target->GetHeight());
    if (aspect > ratio) {
        fittedSize[1] = size[0] * ratio / aspect;
        fittedPosition[1] = (size[1] - fittedSize[1]) / 2.0f;
    } else if (aspect < ratio) {
        fittedSize[0] = aspect / ratio * size[1];
        fittedPosition[0] = (size[0] - fittedSize[0]) / 2.0f;
    }
}

void ScriptObjectEffect::PostRender() {
    if (m_renderTargetObject) m_renderTargetObject->UpdateTextureId();
}

bool ScriptObjectEffect::StartEffect() {
    if (!m_registered && m_framework) {
        m_framework->RegisterRenderable(this);
        m_registered = true;
    }
    return m_registered;
}

void ScriptObjectEffect::StopEffect() {
    if (!m_registered) return;
    if (m_framework) m_framework->UnregisterRenderable(this);
    m_registered = false;
}

void ScriptObjectEffect::SetClearDefaults(const float* color, bool clearColorBuffer, float depth,
                                          bool clearDepthBuffer) {
    m_clearColor->SetValue(color[0], color[1], color[2], color[3]);
    m_clearColorBuffer->SetValue(clearColorBuffer);
    m_clearDepth->SetValue(depth);
    m_clearDepthBuffer->SetValue(clearDepthBuffer);
}

bool ScriptObjectEffect::GetAutoStart() const {
    return m_autoStart->GetValue();
}
const std::string& ScriptObjectEffect::GetRenderTargetName() const {
    return m_renderTarget->GetValue();
}
void ScriptObjectEffect::GetViewportPos(float* out) const {
    m_viewportPos->GetValue(out);
}
void ScriptObjectEffect::GetViewportSize(float* out) const {
    m_viewportSize->GetValue(out);
}
bool ScriptObjectEffect::GetClearColorBuffer() const {
    return m_clearColorBuffer->GetValue();
}
void ScriptObjectEffect::GetClearColor(float* out) const {
    m_clearColor->GetValue(out);
}
bool ScriptObjectEffect::GetClearDepthBuffer() const {
    return m_clearDepthBuffer->GetValue();
}
float ScriptObjectEffect::GetClearDepth() const {
    return m_clearDepth->GetValue();
}

void ScriptObjectEffect::Validate(ScriptValidation& v) {
    const std::string& name = m_renderTarget->GetValue();
    if (!name.empty()) v.Reference(this, name, "render_target", "render_target");
}
