// Cost of the per-frame timeline step: a script of about 10,000 objects, 1,000 of them live
// references, stepped frame after frame. Prints nanoseconds per object per frame. Then the
// cost of building trees of 10,000 to 40,000 siblings, which must grow linearly.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "base/Log.h"
#include "script/DemoFramework.h"
#include "script/ScriptNode.h"
#include "script/ScriptObject.h"
#include "script/ScriptParser.h"

namespace {

size_t CountObjects(const ScriptObject* object) {
    size_t count = 1;
    for (const ScriptObject* child : object->GetChildren()) count += CountObjects(child);
    return count;
}

size_t CountReferences(const ScriptObject* object) {
    size_t count = object->GetReference() ? 1 : 0;
    for (const ScriptObject* child : object->GetChildren()) count += CountReferences(child);
    return count;
}

std::string MakeScript(int parts, int referencesPerPart, int floatsPerPart) {
    std::string xml = "<demo end=\"1000000\">";
    for (int p = 0; p < parts; ++p) {
        xml += "<part id=\"p" + std::to_string(p) + "\">";
        for (int r = 0; r < referencesPerPart; ++r) xml += "<vector2 x=\"*time\" y=\"1\"/>";
        for (int f = 0; f < floatsPerPart; ++f) xml += "<float/>";
        xml += "</part>";
    }
    return xml + "</demo>";
}

double BuildSiblingsMs(int count) {
    std::string xml = "<demo end=\"10\">";
    for (int i = 0; i < count; ++i) xml += "<float id=\"f" + std::to_string(i) + "\"/>";
    xml += "</demo>";
    ScriptParser parser;
    std::unique_ptr<ScriptNode> root(parser.Parse(xml));
    DemoFramework framework("script.xml");
    auto begin = std::chrono::steady_clock::now();
    const bool built = root && framework.BuildObjectTree(root.get());
    auto end = std::chrono::steady_clock::now();
    return built ? std::chrono::duration<double, std::milli>(end - begin).count() : -1.0;
}

}  // namespace

int main() {
    SetLogSinks(nullptr, nullptr);
    DemoFramework framework("script.xml");
    ScriptParser parser;
    // 100 parts of 1 + 2 parameters + 10 vector2 (3 objects each) + 67 floats = 100 objects.
    std::unique_ptr<ScriptNode> root(parser.Parse(MakeScript(100, 10, 67)));
    if (!root || !framework.BuildObjectTree(root.get())) {
        std::printf("building the benchmark script failed\n");
        return 1;
    }
    float time = 0.0f;
    const float dt = 1.0f / 60.0f;
    framework.Update(time, dt);  // activation and Init events
    const size_t objects = CountObjects(framework.GetRootObject());
    const size_t references = CountReferences(framework.GetRootObject());

    const int frames = 2000;
    auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        time += dt;
        framework.Update(time, dt);
    }
    auto end = std::chrono::steady_clock::now();
    double ns = std::chrono::duration<double, std::nano>(end - begin).count();
    std::printf("timeline: %zu objects, %zu live references, %d frames\n", objects, references, frames);
    std::printf("timeline: %.1f us per frame, %.2f ns per object per frame (target <= 100)\n",
                ns / frames / 1000.0, ns / frames / static_cast<double>(objects));

    double ms[3];
    for (int i = 0; i < 3; ++i) {
        // Best of three, so one slow run on a busy machine does not decide the ratio.
        ms[i] = BuildSiblingsMs(10000 << i);
        for (int repeat = 0; repeat < 2; ++repeat) ms[i] = std::min(ms[i], BuildSiblingsMs(10000 << i));
        std::printf("tree of %d siblings built in %.1f ms\n", 10000 << i, ms[i]);
    }
    std::printf("40,000 siblings take %.2f times 4 x 10,000 (linear: about 1)\n", ms[2] / (4.0 * ms[0]));
    return 0;
}
