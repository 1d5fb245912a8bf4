#pragma once

#include <cstdint>
#include <string>

#include "script/ScriptObject.h"

class GLRenderTarget;
class IRenderTarget;

// "render_target": an off-screen buffer that effects draw into and other effects sample
// through "tex_id". Owns its GLRenderTarget from "Init" (or activation) to deactivation.
class ScriptObjectRenderTarget : public ScriptObject {
public:
    ScriptObjectRenderTarget(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                             float start, float end);
    ~ScriptObjectRenderTarget() override;

    static ScriptObject* Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                float start, float end);

    void Activate() override;
    void Deactivate() override;
    void HandleEvent(ScriptEvent* event) override;
    void Validate(ScriptValidation& validation) override;

    // After an effect has drawn into the target: publish its colour texture.
    void UpdateTextureId();
    // Null while no buffer is held.
    IRenderTarget* GetRenderTarget() const;
    int32_t GetTextureId() const;

private:
    void CreateTarget();
    void DeleteTarget();
    bool HasInitEvent() const;

    GLRenderTarget* m_target = nullptr;
    ScriptObjectBoolean* m_depthBuffer;
    ScriptObjectInteger* m_width;
    ScriptObjectInteger* m_height;
    ScriptObjectFloat* m_aspect;
    ScriptObjectString* m_wrapU;
    ScriptObjectString* m_wrapV;
    ScriptObjectString* m_filter;
    ScriptObjectColor4* m_borderColor;
    ScriptObjectInteger* m_texId;
};
