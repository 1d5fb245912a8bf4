// Fuzzes the script parser, the object-tree builder and the timeline. The tree is built and
// then stepped to every time at which an object starts or an event is due, so "Init" and
// "Set" events assign their values (parsing, "$" copies, "*" references), and envelopes,
// functions and effects update. A fatal script error ends the input through the exit
// handler (base/Exit.h), not the process.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>

#include "base/Exit.h"
#include "base/Log.h"
#include "script/DemoFramework.h"
#include "script/EffectNull.h"
#include "script/ScriptNode.h"
#include "script/ScriptObject.h"
#include "script/ScriptParser.h"
#include "show/EffectSprite.h"

namespace {

struct EndOfInput {
    int code;
};

[[noreturn]] void EndInput(int code) {
    throw EndOfInput{code};
}

// Every start and event time in the tree, up to a bounded number of steps per input.
void CollectTimes(const ScriptObject* object, std::set<float>& times) {
    const size_t kMaxSteps = 256;
    if (times.size() >= kMaxSteps) return;
    times.insert(object->GetStart());
    for (const auto& event : object->GetEvents()) times.insert(event.first);
    for (const ScriptObject* child : object->GetChildren()) CollectTimes(child, times);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    ScriptParser parser;
    std::unique_ptr<ScriptNode> root(parser.Parse(reinterpret_cast<const char*>(data), size));
    if (!root) return 0;
    const ExitHandler previous = SetExitHandler(EndInput);
    {
        DemoFramework framework("script.xml");
        framework.RegisterObjectType("effect_null", EffectNull::Create);
        framework.RegisterObjectType("sprite", EffectSprite::Create);
        try {
            if (framework.BuildObjectTree(root.get())) {
                std::set<float> times;
                CollectTimes(framework.GetRootObject(), times);
                float last = 0.0f;
                for (float time : times) {
                    framework.Update(time, time - last);
                    last = time;
                }
                // One step past the end: the script ends there.
                framework.Update(framework.GetRootObject()->GetEnd() + 1.0f, 1.0f);
            }
        } catch (const EndOfInput&) {
        }
    }
    SetExitHandler(previous);
    return 0;
}
