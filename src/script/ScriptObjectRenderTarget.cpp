#include "script/ScriptObjectRenderTarget.h"

#include <algorithm>

#include "base/Exit.h"
#include "base/Log.h"
#include "render/GLRenderTarget.h"
#include "render/IRenderer.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectTexture.h"
#include "script/ScriptValidation.h"
#include "script/ScriptValueUtil.h"
#include "ui/IUserInterface.h"

namespace {

const int32_t kMaxSide = 4096;

const char* const kWrapHelp =
    "Accepted values: \"repeat\", \"clamp\", \"clamp_to_edge\", \"clamp_to_border\", \"mirrored_repeat\".";

[[noreturn]] void Fatal(const std::string& message) {
    LogMessage(LOG_ERROR, message);
    ExitProgram(-1);
}

}  // namespace

ScriptObjectRenderTarget::ScriptObjectRenderTarget(DemoFramework* framework, const std::string& id,
                                                   ScriptObject* parent, float start, float end)
    : ScriptObject(framework, id, "render_target", parent, start, end, ACCESS_READ_ONLY) {
    m_description =
        "Effects can render their output to render targets and other effects can use render targets as "
        "textures.";
    m_depthBuffer = AddBooleanParameter("depth_buffer", ACCESS_INIT_ONLY, true,
                                        "Flag for enabling/disabling depth buffer for this render target. "
                                        "Default=true.");
    m_width = AddIntegerParameter("width", ACCESS_INIT_ONLY, 512, "Buffer width in pixels. Default=512.");
    m_height = AddIntegerParameter("height", ACCESS_INIT_ONLY, 512, "Buffer height in pixels. Default=512.");
    IUserInterface* window = GetUserInterface();
    m_aspect =
        AddFloatParameter("aspect", ACCESS_INIT_ONLY, window ? window->GetAspectRatio() : 16.0f / 9.0f,
                          "X/y aspect ratio used when rendering to this buffer. Notice that this is not "
                          "the aspect ratio width/height.");
    m_wrapU = AddStringParameter("wrap_u", ACCESS_INIT_ONLY, "repeat",
                                 std::string("Horizontal wrapping mode when used as texture. ") + kWrapHelp);
    m_wrapV = AddStringParameter("wrap_v", ACCESS_INIT_ONLY, "repeat",
                                 std::string("Vertical wrapping mode when used as texture. ") + kWrapHelp);
    m_filter =
        AddStringParameter("filter", ACCESS_INIT_ONLY, "linear",
                           "Filtering mode when used as texture. Accepted values: \"linear\", \"nearest\".");
    m_borderColor = AddColor4Parameter("border_color", ACCESS_INIT_ONLY, 0.0f, 0.0f, 0.0f, 0.0f,
                                       "Border color when used as texture.");
    m_texId = AddIntegerParameter("tex_id", ACCESS_READ_ONLY, 0,
                                  "Texture ID for using this buffer as texture for effects.");
}

ScriptObjectRenderTarget::~ScriptObjectRenderTarget() {
    DeleteTarget();
}

ScriptObject* ScriptObjectRenderTarget::Create(DemoFramework* framework, const std::string& id,
                                               ScriptObject* parent, float start, float end) {
    return new ScriptObjectRenderTarget(framework, id, parent, start, end);
}

IRenderTarget* ScriptObjectRenderTarget::GetRenderTarget() const {
    return m_target;
}

int32_t ScriptObjectRenderTarget::GetTextureId() const {
    return m_texId->GetValue();
}

bool ScriptObjectRenderTarget::HasInitEvent() const {
    for (const auto& entry : m_events) {
        if (entry.second->name == "Init" && entry.second->target.empty()) return true;
    }
    return false;
}

void ScriptObjectRenderTarget::Activate() {
    // An element without attributes never receives "Init"; it still needs its buffer. With
    // attributes, "Init" (delivered later this frame) builds it with the script's values.
    if (!m_target && !HasInitEvent()) CreateTarget();
}

void ScriptObjectRenderTarget::Deactivate() {
    DeleteTarget();
}

void ScriptObjectRenderTarget::HandleEvent(ScriptEvent* event) {
    if (event->name == "Init") CreateTarget();
}

void ScriptObjectRenderTarget::UpdateTextureId() {
    if (m_target) m_texId->SetValue(static_cast<int32_t>(m_target->GetColorTexture()));
}

void ScriptObjectRenderTarget::CreateTarget() {
    DeleteTarget();
    const std::string prefix = "ScriptObjectRenderTarget::HandleEvent(): ";
    uint32_t wrapU, wrapV, filter;
    if (!ScriptObjectTexture::TranslateWrap(m_wrapU->GetValue(), &wrapU))
        Fatal(prefix + "Unknown wrap_u value: " + ScriptValueUtil::Excerpt(m_wrapU->GetValue()));
    if (!ScriptObjectTexture::TranslateWrap(m_wrapV->GetValue(), &wrapV))
        Fatal(prefix + "Unknown wrap_v value: " + ScriptValueUtil::Excerpt(m_wrapV->GetValue()));
    if (!ScriptObjectTexture::TranslateFilter(m_filter->GetValue(), &filter))
        Fatal(prefix + "Unknown filter value: " + ScriptValueUtil::Excerpt(m_filter->GetValue()));
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    // A negative size from the script would wrap to a huge unsigned one.
    int32_t width = m_width->GetValue(), height = m_height->GetValue();
    if (width <= 0 || height <= 0) {
        LogMessage(LOG_ERROR, "ScriptObjectRenderTarget: Invalid render target size: " +
                                  std::to_string(width) + "x" + std::to_string(height));
        return;
    }
    // Each side is capped: a target is a texture plus depth, about 12 bytes a pixel, and the
    // drivers' own limit (16384 and more) would let one target take gigabytes.
    if (width > kMaxSide || height > kMaxSide) {
        LogMessage(LOG_WARNING, "ScriptObjectRenderTarget: Render target size " + std::to_string(width) +
                                    "x" + std::to_string(height) + " capped to " +
                                    std::to_string(std::min(width, kMaxSide)) + "x" +
                                    std::to_string(std::min(height, kMaxSide)) + ".");
        width = std::min(width, kMaxSide);
        height = std::min(height, kMaxSide);
    }
    float border[4];
    m_borderColor->GetValue(border);
    // Always with depth: effects drawing into it expect the same buffers as the window.
    m_target = renderer->CreateRenderTarget(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                            m_aspect->GetValue(), wrapU, wrapV, filter, filter, border);
    if (!m_target) {
        LogMessage(LOG_ERROR, "ScriptObjectRenderTarget: Render target " + ScriptValueUtil::Excerpt(m_id) +
                                  " could not be created; its effects draw on the window.");
    }
}

void ScriptObjectRenderTarget::DeleteTarget() {
    delete m_target;
    m_target = nullptr;
    // A freed texture name may be handed out again; nothing may keep sampling it.
    m_texId->SetValue(0);
}

void ScriptObjectRenderTarget::Validate(ScriptValidation& v) {
    uint32_t value;
    if (!ScriptObjectTexture::TranslateWrap(m_wrapU->GetValue(), &value))
        v.Problem("wrap_u: unknown value \"" + ScriptValueUtil::Excerpt(m_wrapU->GetValue()) + "\"");
    if (!ScriptObjectTexture::TranslateWrap(m_wrapV->GetValue(), &value))
        v.Problem("wrap_v: unknown value \"" + ScriptValueUtil::Excerpt(m_wrapV->GetValue()) + "\"");
    if (!ScriptObjectTexture::TranslateFilter(m_filter->GetValue(), &value))
        v.Problem("filter: unknown value \"" + ScriptValueUtil::Excerpt(m_filter->GetValue()) + "\"");
    if (m_width->GetValue() <= 0 || m_height->GetValue() <= 0)
        v.Problem("invalid render target size: " + std::to_string(m_width->GetValue()) + "x" +
                  std::to_string(m_height->GetValue()));
}
