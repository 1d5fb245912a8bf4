#include "app/ShowPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/Log.h"
#include "io/FileWatcher.h"
#include "io/Loader.h"
#include "render/GLShaderManager.h"
#include "script/DemoFramework.h"
#include "script/IRenderable.h"
#include "script/ScriptEvent.h"
#include "script/ScriptNode.h"
#include "script/ScriptObject.h"
#include "sound/AudioBackend.h"
#include "ui/FrameClock.h"
#include "ui/IUserInterface.h"

namespace {

const double kSampleRate = 44100.0;
const char* const kTitle = "TATAMIX+";
// Shaders are loaded as effects start; the list of files to watch is refreshed this often.
const uint64_t kWatchRefresh = 500000;

// A fatal script error while reloading is on: unwinds to the guard instead of ending. The end
// of the script still ends the program.
struct ScriptFatal {
    int code;
};

[[noreturn]] void ThrowScriptFatal(int code) {
    if (code == 0) std::exit(0);
    throw ScriptFatal{code};
}

uint64_t ToMicroseconds(double seconds) {
    return seconds <= 0.0 ? 0u : static_cast<uint64_t>(std::llround(seconds * 1000000.0));
}

// The clock's time as the front end computes it from its microsecond instants.
float ClockSeconds(uint64_t microseconds) {
    return static_cast<float>(static_cast<double>(microseconds) * 0.000001);
}

uint64_t SampleAt(uint64_t microseconds) {
    return static_cast<uint64_t>(std::floor(static_cast<double>(microseconds) * kSampleRate / 1000000.0));
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", seconds);
    return text;
}

}  // namespace

ShowPlayer::ShowPlayer(DemoFramework* framework, IUserInterface* ui, const ShowPlayerSettings& settings)
    : m_framework(framework), m_ui(ui), m_settings(settings) {
    m_capture = ui && ui->IsCapturing();
    if (m_settings.stepFps <= 0.0) m_settings.stepFps = 60.0;
    if (m_settings.watch) {
        m_watcher = std::make_unique<FileWatcher>(m_settings.dataDirectory);
        m_watcher->Watch(m_framework->GetScriptName());
        m_previousExitHandler = SetExitHandler(ThrowScriptFatal);
        LogMessage(LOG_INFO, "* Watching " + m_settings.dataDirectory + m_framework->GetScriptName() +
                                 " and its shaders..");
    }
}

ShowPlayer::~ShowPlayer() {
    if (m_settings.watch) SetExitHandler(m_previousExitHandler);
}

void ShowPlayer::KeyReleased(unsigned char key, int x, int y) { m_framework->KeyReleased(key, x, y); }
void ShowPlayer::KeyPressed(unsigned char key, int x, int y) { m_framework->KeyPressed(key, x, y); }
void ShowPlayer::MouseButton(int button, int state, int x, int y) { m_framework->MouseButton(button, state, x, y); }
void ShowPlayer::MouseDragged(int x, int y) { m_framework->MouseDragged(x, y); }
void ShowPlayer::MouseMoved(int x, int y) { m_framework->MouseMoved(x, y); }
bool ShowPlayer::Init() { return m_framework->Init(); }
void ShowPlayer::Destroy() { m_framework->Destroy(); }
void ShowPlayer::UpdateUpdateables() { m_framework->UpdateUpdateables(); }

template <class F>
bool ShowPlayer::Guard(F f) {
    if (!m_settings.watch) {
        f();
        return true;
    }
    try {
        f();
        return true;
    } catch (const ScriptFatal&) {
        return false;
    }
}

void ShowPlayer::Update(float time, float dt) {
    m_jumped = false;
    if (!m_started) {
        m_started = true;
        if (m_settings.startTime > 0.0) {
            if (m_capture) {
                // The sound written starts with the first frame written.
                const double fps = m_settings.stepFps;
                const uint32_t first = FixedStepFrameAt(ToMicroseconds(m_settings.startTime), fps);
                AudioBackend_SetOfflineWriteStart(static_cast<uint64_t>(std::floor(first * kSampleRate / fps)));
            }
            if (Guard([&] { JumpTo(m_settings.startTime, time, dt); })) {
                m_jumped = true;
                m_lastGoodTime = static_cast<float>(m_settings.startTime);
            } else {
                ReportFatal("while stepping to the start time", time);
                Halt(time);
            }
        }
    }
    if (m_watcher) CheckFiles(time, dt);
    if (m_settings.interactive && !m_capture) HandleKeys(time);
    // A jump has updated this frame already.
    if (!m_paused && !m_halted && !m_jumped) {
        if (Guard([&] { m_framework->Update(time, dt); })) {
            m_lastGoodTime = time;
        } else {
            ReportFatal("", time);
            Recover(time);
        }
    }
    UpdateTitle();
}

void ShowPlayer::Render() {
    if (m_halted) {
        m_ui->ClearWindow();
        return;
    }
    if (!Guard([&] { m_framework->Render(); })) {
        ReportFatal("while drawing", m_lastGoodTime);
        Recover(m_lastGoodTime);
    }
}

void ShowPlayer::HandleKeys(float time) {
    if (m_ui->WasKeyPressed(KEY_SPACE)) {
        if (m_halted) {
            LogMessage(LOG_INFO, "* Stopped by a script error: save a fixed file to go on..");
        } else {
            // The clock stands where the picture does: at the last update.
            SetPaused(!m_paused, m_paused ? time : m_lastGoodTime);
        }
    }
    int bars = 0;
    if (m_ui->WasKeyPressed(KEY_RIGHT)) ++bars;
    if (m_ui->WasKeyPressed(KEY_LEFT)) --bars;
    if (bars == 0 || m_halted) return;
    // Bar lines are in script time; the clock runs ahead of it by the synchronisation offset.
    const double target = BarTarget(m_framework->GetTime(), bars) + m_framework->GetSyncOffset();
    if (Guard([&] { JumpTo(target, time, 0.0f); })) {
        m_jumped = true;
        m_lastGoodTime = static_cast<float>(target);
    } else {
        ReportFatal("while seeking", static_cast<float>(target));
        Recover(m_lastGoodTime);
    }
}

double ShowPlayer::BarTarget(double scriptTime, int bars) const {
    const double bar = m_settings.barLength > 0.0 ? m_settings.barLength : 1.92;
    double target = (std::floor(scriptTime / bar + 0.5) + bars) * bar;
    const ScriptObject* root = m_framework->GetRootObject();
    // Past the end the script would end the program: stop at the last bar line inside it.
    if (root && target > root->GetEnd()) target = std::floor(root->GetEnd() / bar - 1e-6) * bar;
    return std::max(0.0, target);
}

void ShowPlayer::SetPaused(bool paused, float time) {
    if (paused == m_paused) return;
    m_paused = paused;
    if (paused) {
        m_ui->HoldClock(ToMicroseconds(time));
    } else {
        m_ui->ReleaseClock();
    }
    if (!m_capture) AudioBackend_SetPaused(paused);
    LogMessage(LOG_INFO, paused ? "* Paused.." : "* Playing..");
}

void ShowPlayer::StepFrame(uint64_t instant, float dt) {
    m_ui->HoldClock(instant);
    m_framework->Update(ClockSeconds(instant), dt);
    // The sound of frame n covers [n, n + 1) / fps, as when the frame is written.
    if (m_capture) {
        const double fps = m_settings.stepFps;
        const uint32_t frame = FixedStepFrameAt(instant, fps);
        AudioBackend_MixOfflineTo(static_cast<uint64_t>(std::floor((frame + 1.0) * kSampleRate / fps)));
    }
}

void ShowPlayer::JumpTo(double target, float time, float dt, bool fresh) {
    const double fps = m_settings.stepFps;
    // A capture arrives on its frame grid, exactly where a capture from 0 has a frame; playing
    // in a window arrives at the time itself (a bar line).
    const uint64_t arrival = m_capture ? FixedStepInstant(FixedStepFrameAt(ToMicroseconds(target), fps), fps)
                                       : ToMicroseconds(target);
    const uint64_t current = ToMicroseconds(time);
    LogMessage(LOG_INFO, "* Stepping to " + Seconds(static_cast<double>(arrival) * 0.000001) + " s..");
    const uint64_t began = NowMicroseconds();
    const std::clock_t processorBegan = std::clock();

    if (!m_capture) AudioBackend_SetPaused(true);
    // The steps: from 0 when the target lies before the current frame, else the current frame
    // (not updated yet); then every grid instant before the target.
    uint32_t frame = 0;
    bool any = false;
    uint64_t previous = 0;
    float stepDt = dt;
    if (fresh || arrival < current) {
        if (!fresh) m_framework->Rewind();
        stepDt = 0.0f;
    } else if (current < arrival) {
        StepFrame(current, stepDt);
        any = true;
        previous = current;
        frame = FixedStepFrameAt(current, fps);
        if (FixedStepInstant(frame, fps) <= current) ++frame;
    } else {
        previous = current;
        frame = FixedStepFrameAt(arrival, fps) + 1;
    }
    for (uint64_t instant; (instant = FixedStepInstant(frame, fps)) < arrival; ++frame) {
        if (any) {
            stepDt = ClockSeconds(instant - previous);
            // Streams that play move on by what sounded since the last step.
            if (!m_capture) AudioBackend_Skip(SampleAt(instant) - SampleAt(previous));
        }
        StepFrame(instant, stepDt);
        previous = instant;
        any = true;
    }
    if (any) {
        if (!m_capture) AudioBackend_Skip(SampleAt(arrival) - SampleAt(previous));
        stepDt = ClockSeconds(arrival - previous);
        // Whatever an effect keeps from its last picture is there, as after a played frame.
        m_framework->Render();
    }

    // The frame at the target is this frame: the clock goes on from it.
    m_ui->HoldClock(arrival);
    if (!m_paused) m_ui->ReleaseClock();
    if (!m_capture && !m_paused) AudioBackend_SetPaused(false);
    m_framework->Update(ClockSeconds(arrival), stepDt);
    // Wall time, and processor time (every thread), which a busy machine does not inflate.
    LogMessage(LOG_INFO, "* Reached " + Seconds(static_cast<double>(arrival) * 0.000001) + " s in " +
                              Seconds(static_cast<double>(NowMicroseconds() - began) * 0.000001) + " s (" +
                              Seconds(static_cast<double>(std::clock() - processorBegan) / CLOCKS_PER_SEC) +
                              " s processor time).");
}

void ShowPlayer::UpdateTitle() {
    if (!m_settings.interactive || m_capture) return;
    char text[96];
    std::snprintf(text, sizeof(text), "%s - %.1f s%s", kTitle, static_cast<double>(m_framework->GetTime()),
                  m_halted ? " (stopped by a script error)" : m_paused ? " (paused)" : "");
    if (m_title == text) return;
    m_title = text;
    m_ui->SetTitle(m_title);
}

void ShowPlayer::CheckFiles(float time, float dt) {
    const uint64_t now = NowMicroseconds();
    GLShaderManager* shaders = GLShaderManager::GetInstance();
    if (now - m_lastWatchRefresh > kWatchRefresh) {
        m_lastWatchRefresh = now;
        for (const std::string& name : shaders->GetShaderFileNames()) m_watcher->Watch(name);
    }
    bool scriptChanged = false;
    for (const std::string& name : m_watcher->TakeChanged(now)) {
        if (name == m_framework->GetScriptName()) {
            scriptChanged = true;
        } else {
            ReloadShader(name);
        }
    }
    if (scriptChanged) ReloadScript(time, dt);
}

void ShowPlayer::ReloadShader(const std::string& name) {
    std::vector<std::string> problems;
    if (GLShaderManager::GetInstance()->ReloadShader(GetLoader(), name, &problems)) {
        LogMessage(LOG_INFO, "* Reloaded " + name + "..");
        return;
    }
    // Not in use any more (the programs that used it are gone): nothing to do.
    if (problems.empty()) return;
    for (const std::string& problem : problems) LogMessage(LOG_ERROR, problem);
    LogMessage(LOG_INFO, "* The previous version of " + name + " keeps running..");
}

void ShowPlayer::ReloadScript(float time, float dt) {
    const std::string& name = m_framework->GetScriptName();
    int errorLine = 0;
    std::string errorText;
    std::unique_ptr<ScriptNode> root = m_framework->ParseScriptFile(&errorLine, &errorText);
    if (!root) {
        LogMessage(LOG_ERROR, name + ":" + std::to_string(errorLine) + ": " + errorText);
        LogMessage(LOG_INFO, "* The previous version of " + name + " keeps running..");
        return;
    }
    std::unique_ptr<ScriptNode> previous;
    bool built = false;
    if (!Guard([&] { built = m_framework->ReplaceScript(std::move(root), &previous); }) || !built) {
        LogMessage(LOG_ERROR, name + ":" + std::to_string(m_framework->GetBuildErrorLine()) +
                                  ": the script cannot be built (see above).");
        LogMessage(LOG_INFO, "* The previous version of " + name + " keeps running..");
        return;
    }
    LogMessage(LOG_INFO, "* Reloaded " + name + "..");
    // Back to where the show stood: the held time when paused or stopped, else this frame's.
    const bool wasHalted = m_halted;
    m_halted = false;
    const float target = wasHalted ? m_lastGoodTime : time;
    if (Guard([&] { JumpTo(target, time, dt, true); })) {
        m_previousScript = std::move(previous);
        m_jumped = true;
        m_lastGoodTime = target;
        if (wasHalted) SetPaused(false, target);
        return;
    }
    ReportFatal("while stepping the new version", target);
    m_previousScript = std::move(previous);
    Recover(target);
}

void ShowPlayer::ReportFatal(const char* what, float time) {
    // Where the step was when it failed: the event being delivered, else the object.
    int line = 0;
    if (const ScriptEvent* event = ScriptObject::GetDeliveringEvent()) {
        line = event->line;
    } else if (const ScriptObject* object = ScriptObject::GetSteppingObject()) {
        line = object->GetLine();
    }
    ScriptObject::ClearSteppingPosition();
    std::string text = m_framework->GetScriptName() + ":" + std::to_string(line) + ": fatal script error at " +
                       Seconds(m_framework->GetTime()) + " s";
    if (what && *what) text += std::string(" ") + what;
    LogMessage(LOG_ERROR, text + " (see above).");
    (void)time;
}

void ShowPlayer::Recover(float time) {
    m_jumped = true;
    if (m_previousScript) {
        LogMessage(LOG_INFO, "* The previous version of " + m_framework->GetScriptName() + " comes back..");
        std::unique_ptr<ScriptNode> previous = std::move(m_previousScript);
        bool back = false;
        if (Guard([&] { back = m_framework->ReplaceScript(std::move(previous), nullptr); }) && back &&
            Guard([&] { JumpTo(time, time, 0.0f, true); })) {
            m_lastGoodTime = time;
            return;
        }
    }
    Halt(time);
}

void ShowPlayer::Halt(float time) {
    m_halted = true;
    m_lastGoodTime = time;
    if (!m_paused) {
        m_paused = true;
        m_ui->HoldClock(ToMicroseconds(time));
        if (!m_capture) AudioBackend_SetPaused(true);
    }
    if (!m_settings.watch) return;
    LogMessage(LOG_INFO, "* The show waits at " + Seconds(time) + " s: save a fixed file to go on..");
}
