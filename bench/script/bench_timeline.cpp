// Cost of the per-frame timeline step: a script of about 10,000 objects, 1,000 of them live
// references, stepped frame after frame. Prints nanoseconds per object per frame.
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
    return 0;
}
