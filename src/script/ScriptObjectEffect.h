#pragma once

#include <string>

#include "script/IRenderable.h"
#include "script/ScriptObjectPart.h"

class ScriptObjectBoolean;
class IRenderTarget;
class ScriptObjectColor4;
class ScriptObjectFloat;
class ScriptObjectRenderTarget;
class ScriptObjectString;
class ScriptObjectVector2;

// Base of every effect: a timed part that the framework renders while it is started, with
// the shared parameters for where (render target, viewport) and how (clears) it draws.
class ScriptObjectEffect : public ScriptObjectPart, public IRenderable {
public:
    ScriptObjectEffect(DemoFramework* framework, const std::string& id, const std::string& typeName,
                       ScriptObject* parent, float start, float end);
    ~ScriptObjectEffect() override;

    void Activate() override = 0;
    void Deactivate() override = 0;
    void HandleEvent(ScriptEvent* event) override = 0;
    // Steps the part, then resolves "render_target" by name (fatal when it is not one).
    void Update() override;
    // The render target name must name a render_target object.
    void Validate(ScriptValidation& validation) override;

    void Update(float time, float dt) override = 0;
    void Render() override = 0;
    void PreRender() override;
    void PostRender() override;

    bool StartEffect();
    void StopEffect();
    void SetClearDefaults(const float* color, bool clearColorBuffer, float depth, bool clearDepthBuffer);

    bool IsRegistered() const { return m_registered; }
    bool GetAutoStart() const;
    const std::string& GetRenderTargetName() const;
    void GetViewportPos(float* out) const;
    void GetViewportSize(float* out) const;
    bool GetClearColorBuffer() const;
    void GetClearColor(float* out) const;
    bool GetClearDepthBuffer() const;
    float GetClearDepth() const;
    ScriptObjectRenderTarget* GetRenderTargetObject() const { return m_renderTargetObject; }

    // The viewport the renderer makes of (position, size) on the target, as fractions: the
    // picture keeps the target's aspect ratio, centred on the fitted axis.
    static void FitViewport(IRenderTarget* target, const float* position, const float* size,
                            float* fittedPosition, float* fittedSize);

private:
    bool m_registered = false;
    ScriptObjectBoolean* m_autoStart;
    ScriptObjectString* m_renderTarget;
    ScriptObjectVector2* m_viewportPos;
    ScriptObjectVector2* m_viewportSize;
    ScriptObjectBoolean* m_clearColorBuffer;
    ScriptObjectColor4* m_clearColor;
    ScriptObjectBoolean* m_clearDepthBuffer;
    ScriptObjectFloat* m_clearDepth;
    ScriptObjectRenderTarget* m_renderTargetObject = nullptr;
};
