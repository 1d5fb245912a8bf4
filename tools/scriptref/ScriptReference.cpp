// Prints the Markdown script reference for the README: for every keyword given on the
// command line (the names "-scripthelp" lists), the type's description and a table of its
// parameters with their defaults, read from freshly made objects.
#include <cstdio>
#include <string>

#include "base/Log.h"
#include "render/IRenderer.h"
#include "script/DemoFramework.h"
#include "script/EffectNull.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptValueUtil.h"
#include "show/EffectKarate.h"
#include "show/EffectScene.h"
#include "show/EffectSprite.h"
#include "sound/ISoundEngine.h"

// Only object construction runs here: no renderer, no audio.
IRenderer* GetRenderer() {
    return nullptr;
}
ISoundEngine* GetSoundEngine() {
    return nullptr;
}

namespace {

std::string Number(float value) {
    return ScriptValueUtil::Format("%g", static_cast<double>(value));
}

std::string DefaultOf(ScriptObject* p) {
    switch (p->GetValueKind()) {
        case ScriptValueKind::Float:
            return Number(static_cast<ScriptObjectFloat*>(p)->GetValue());
        case ScriptValueKind::Integer:
            return std::to_string(static_cast<ScriptObjectInteger*>(p)->GetValue());
        case ScriptValueKind::Boolean:
            return static_cast<ScriptObjectBoolean*>(p)->GetValue() ? "true" : "false";
        case ScriptValueKind::String:
            return "\"" + static_cast<ScriptObjectString*>(p)->GetValue() + "\"";
        case ScriptValueKind::None:
            return "";
        default: {
            ScriptObjectFloat* components[4];
            const int n = ScriptValueUtil::GetComponents(p, components);
            std::string text;
            for (int i = 0; i < n; ++i) text += (i ? ", " : "") + Number(components[i]->GetValue());
            return text;
        }
    }
}

const char* AccessName(AccessMode access) {
    return access == ACCESS_INIT_ONLY ? "init-only" : access == ACCESS_READ_ONLY ? "read-only" : "read/write";
}

std::string Escaped(std::string text) {
    for (size_t at = text.find('|'); at != std::string::npos; at = text.find('|', at + 2))
        text.insert(at, "\\");
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    SetLogSinks(nullptr, nullptr);
    DemoFramework framework("script.xml");
    framework.RegisterObjectType("effect_null", EffectNull::Create);
    framework.RegisterObjectType("sprite", EffectSprite::Create);
    framework.RegisterObjectType("effect_scene", EffectScene::Create);
    framework.RegisterObjectType("effect_karate", EffectKarate::Create);
    for (int i = 1; i < argc; ++i) {
        ObjectFactory factory = framework.FindObjectFactory(argv[i]);
        if (!factory) {
            std::fprintf(stderr, "unknown type: %s\n", argv[i]);
            return 1;
        }
        ScriptObject* sample = factory(&framework, "id", nullptr, 0.0f, 0.0f);
        std::printf("### `%s`\n\n%s\n\n", argv[i], sample->GetDescription().c_str());
        std::printf("| parameter | type | access | default | description |\n|---|---|---|---|---|\n");
        for (ScriptObject* p : sample->GetChildren()) {
            if (!p->IsParameter()) continue;
            std::printf("| `%s` | %s | %s | %s | %s |\n", p->GetId().c_str(), p->GetTypeName().c_str(),
                        AccessName(p->GetAccess()), Escaped(DefaultOf(p)).c_str(),
                        Escaped(p->GetParameterDescription()).c_str());
        }
        std::printf("\n");
        delete sample;
    }
    return 0;
}
