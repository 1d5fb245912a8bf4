#pragma once

#include <memory>
#include <string>

#include "FakeRenderer.h"
#include "io/Loader.h"
#include "script/DemoFramework.h"
#include "script/ScriptObject.h"
#include "support/FakeUserInterface.h"
#include "support/TempDir.h"

// Builds a framework (with the effect types registered) over a script written into a fresh
// data directory; installs a fake renderer and window for its lifetime.
class EffectHarness {
public:
    EffectHarness();
    ~EffectHarness();
    bool Load(const std::string& xml);
    DemoFramework& Framework() { return *m_framework; }
    ScriptObject* Find(const std::string& path);
    // One frame as the main loop runs it: update, then render.
    void Frame(float time, float dt = 0.1f);

    FakeRenderer renderer;
    FakeUserInterface window;  // 320 x 240

private:
    TempDir m_dir;
    Loader m_loader;
    std::unique_ptr<DemoFramework> m_framework;
};
