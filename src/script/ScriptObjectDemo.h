#pragma once

#include "script/ScriptObjectPart.h"

class ScriptObjectVector2;

// "demo": the root of every script; adds the window aspect and the mouse as script values.
class ScriptObjectDemo : public ScriptObjectPart {
public:
    ScriptObjectDemo(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                     float end);

    void Update() override;
    void HandleEvent(ScriptEvent* event) override;

private:
    ScriptObjectFloat* m_aspect;
    ScriptObjectVector2* m_mousePos;
    ScriptObjectVector2* m_mouseMove;
    ScriptObjectVector2* m_mouseDrag;
};
