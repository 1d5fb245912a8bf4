#include "script/ScriptObjectDemo.h"

#include "script/DemoFramework.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectVector2.h"
#include "ui/IUserInterface.h"

namespace {
// Without a window (tests, tools) the script sees a 1280x720 16:9 screen, the mouse at 0, 0.
const float kDefaultWidth = 1280.0f;
const float kDefaultHeight = 720.0f;
}  // namespace

ScriptObjectDemo::ScriptObjectDemo(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                   float start, float end)
    : ScriptObjectPart(framework, id, "demo", parent, start, end) {
    m_description = "The one and only demo object representing the whole demo framework.";
    IUserInterface* ui = GetUserInterface();
    float aspect = ui ? ui->GetAspectRatio() : 16.0f / 9.0f;
    m_aspect = AddFloatParameter("aspect", ACCESS_READ_ONLY, aspect, "Demo x/y aspect ratio.");
    m_mousePos = AddVector2Parameter("mouse_pos", ACCESS_READ_ONLY, 0.0f, 0.0f,
                                     "Current screen space mouse position.");
    m_mouseMove = AddVector2Parameter("mouse_move", ACCESS_READ_ONLY, 0.0f, 0.0f,
                                      "Current screen space mouse move vector.");
    m_mouseDrag = AddVector2Parameter("mouse_drag", ACCESS_READ_ONLY, 0.0f, 0.0f,
                                      "Current screen space mouse drag vector.");
}

void ScriptObjectDemo::Update() {
    ScriptObjectPart::Update();
    float width = kDefaultWidth, height = kDefaultHeight;
    float mx = 0.0f, my = 0.0f, moveX = 0.0f, moveY = 0.0f, dragX = 0.0f, dragY = 0.0f;
    IUserInterface* ui = GetUserInterface();
    if (ui) {
        // A minimised window can report a zero size; keep the mapping finite.
        if (ui->GetWidth() > 0) width = static_cast<float>(ui->GetWidth());
        if (ui->GetHeight() > 0) height = static_cast<float>(ui->GetHeight());
        ui->GetMousePosition(&mx, &my);
        ui->GetMouseMove(&moveX, &moveY);
        ui->GetMouseDrag(&dragX, &dragY);
    }
    m_mousePos->SetValue(2.0f * mx / width - 1.0f, 1.0f - 2.0f * my / height);
    m_mouseMove->SetValue(2.0f * moveX / width, -2.0f * moveY / height);
    m_mouseDrag->SetValue(2.0f * dragX / width, -2.0f * dragY / height);
}

void ScriptObjectDemo::HandleEvent(ScriptEvent* event) {
    if (event->name == "Synchronize" && m_framework) m_framework->Synchronize();
}
