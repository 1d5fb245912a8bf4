#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/Exit.h"
#include "ui/IAppFramework.h"

class DemoFramework;
class FileWatcher;
class IUserInterface;
class ScriptNode;

// How the show is played for the people who make it.
struct ShowPlayerSettings {
    // Clock time (seconds) the show begins at, as if it had played up to there.
    double startTime = 0.0;
    // The fixed step the timeline is stepped at to reach a time (the capture frame rate).
    double stepFps = 60.0;
    // One Left/Right press moves this far, onto the grid of bar lines.
    double barLength = 1.92;
    // Space, Left and Right, and the script time in the window title.
    bool interactive = true;
    // Live reload of the script and its shaders from the data directory; fatal script errors
    // are survived instead of ending the program.
    bool watch = false;
    std::string dataDirectory;
};

// What the front end drives in place of the framework: it passes every frame on, and adds
// starting later, pausing, seeking and live reloading. Reaching a time steps the timeline
// from where it stands (or from 0, for a time before it) at the fixed step, updating without
// rendering: activations, events, references and every effect's own update run as in a
// capture, and the music moves on by what would have played.
class ShowPlayer : public IAppFramework {
public:
    ShowPlayer(DemoFramework* framework, IUserInterface* ui, const ShowPlayerSettings& settings);
    ~ShowPlayer() override;

    ShowPlayer(const ShowPlayer&) = delete;
    ShowPlayer& operator=(const ShowPlayer&) = delete;

    void KeyReleased(unsigned char key, int x, int y) override;
    void KeyPressed(unsigned char key, int x, int y) override;
    void MouseButton(int button, int state, int x, int y) override;
    void MouseDragged(int x, int y) override;
    void MouseMoved(int x, int y) override;

    bool Init() override;
    void Destroy() override;
    void Update(float time, float dt) override;
    void Render() override;
    void UpdateUpdateables() override;

    bool IsPaused() const { return m_paused; }
    // Stopped by a fatal script error (live reloading): waits for a change to the files.
    bool IsHalted() const { return m_halted; }
    // Script time of the bar line `bars` bars from the one nearest to `scriptTime`, kept
    // inside the script.
    double BarTarget(double scriptTime, int bars) const;

private:
    void HandleKeys(float time);
    void SetPaused(bool paused, float time);
    // Runs the current frame (clock time `time`, not updated yet) on to clock time `target`:
    // replaying from 0 when the target lies before it (or when the tree is `fresh`), else
    // stepping on; the frame at the target is updated last and the clock goes on from there.
    void JumpTo(double target, float time, float dt, bool fresh = false);
    void StepFrame(uint64_t instant, float dt);
    void UpdateTitle();

    // Live reloading.
    void CheckFiles(float time, float dt);
    void ReloadShader(const std::string& name);
    void ReloadScript(float time, float dt);
    // Runs f; in watch mode a fatal script error inside it returns false instead of ending.
    template <class F>
    bool Guard(F f);
    // After a fatal error: the version before the last reload comes back at `time`, or, when
    // there is none (or it fails too), the show stops and waits for a change.
    void Recover(float time);
    void ReportFatal(const char* what, float time);
    void Halt(float time);

    DemoFramework* m_framework;
    IUserInterface* m_ui;
    ShowPlayerSettings m_settings;
    bool m_started = false;
    bool m_paused = false;
    bool m_jumped = false;
    bool m_halted = false;
    bool m_capture = false;
    float m_lastGoodTime = 0.0f;
    std::string m_title;
    std::unique_ptr<FileWatcher> m_watcher;
    uint64_t m_lastWatchRefresh = 0;
    std::unique_ptr<ScriptNode> m_previousScript;
    ExitHandler m_previousExitHandler = nullptr;
};
