#include "script/DemoFramework.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "base/Exit.h"
#include "base/Log.h"
#include "base/Random.h"
#include "io/Loader.h"
#include "render/IRenderer.h"
#include "script/IRenderable.h"
#include "script/ScriptAttribute.h"
#include "script/ScriptNode.h"
#include "script/ScriptObjectAudioStream.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectColor3.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectDemo.h"
#include "script/ScriptObjectEnvelope.h"
#include "script/ScriptObjectEnvelopeKeyFrame.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectFuncAdd.h"
#include "script/ScriptObjectFuncCos.h"
#include "script/ScriptObjectFuncDiv.h"
#include "script/ScriptObjectFuncLerp.h"
#include "script/ScriptObjectFuncMul.h"
#include "script/ScriptObjectFuncRand.h"
#include "script/ScriptObjectFuncSin.h"
#include "script/ScriptObjectFuncSub.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectPart.h"
#include "script/ScriptObjectRenderTarget.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectTexture.h"
#include "script/ScriptObjectVector2.h"
#include "script/ScriptObjectVector3.h"
#include "script/ScriptObjectVector4.h"
#include "script/ScriptParser.h"
#include "script/ScriptValueUtil.h"
#include "sound/ISoundEngine.h"
#include "ui/IUserInterface.h"

namespace {

DemoFramework* g_demoFramework = nullptr;
bool g_seedOverride = false;
uint32_t g_seedValue = 0;

// Plain values are read/write when they are script elements of their own.
template <class T>
ScriptObject* CreateValue(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                          float end) {
    return new T(framework, id, parent, start, end, ACCESS_READ_WRITE);
}

template <class T>
ScriptObject* CreateObjectOf(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                             float start, float end) {
    return new T(framework, id, parent, start, end);
}

uint32_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

// "start"/"end": absolute, or relative to base with a leading "+". False for a time that is
// not a finite number: NaN breaks the timeline's ordering and an infinite end never comes.
bool ReadTime(const ScriptNode* node, const char* name, float base, float* time) {
    const ScriptAttribute* a = node->FindAttribute(name);
    if (!a) return true;
    const float value = std::strtof(a->value.c_str(), nullptr);
    const float result = a->value.compare(0, 1, "+") == 0 ? base + value : value;
    if (std::isfinite(result)) {
        *time = result;
        return true;
    }
    LogMessage(LOG_ERROR, "Script node " + ScriptValueUtil::Excerpt(node->GetName()) + ". " + name +
                              " is not a finite time: \"" + ScriptValueUtil::Excerpt(a->value) + "\"");
    return false;
}

bool IsReservedAttribute(const std::string& name) {
    return name == "id" || name == "start" || name == "end";
}

const char* const kRule = "-----------------------------------------------------------------";

}  // namespace

DemoFramework* GetDemoFramework() {
    return g_demoFramework;
}
void SetDemoFramework(DemoFramework* framework) {
    g_demoFramework = framework;
}

void DemoFramework::SetRandomSeedOverride(bool enabled, uint32_t seed) {
    g_seedOverride = enabled;
    g_seedValue = seed;
}

DemoFramework::DemoFramework(const std::string& scriptName) : m_scriptName(scriptName) {
    LOG_TRACE_CALLED("DemoFramework", "DemoFramework");
    RegisterObjectType("float", CreateValue<ScriptObjectFloat>);
    RegisterObjectType("boolean", CreateValue<ScriptObjectBoolean>);
    RegisterObjectType("integer", CreateValue<ScriptObjectInteger>);
    RegisterObjectType("string", CreateValue<ScriptObjectString>);
    RegisterObjectType("vector2", CreateValue<ScriptObjectVector2>);
    RegisterObjectType("vector3", CreateValue<ScriptObjectVector3>);
    RegisterObjectType("vector4", CreateValue<ScriptObjectVector4>);
    RegisterObjectType("color3", CreateValue<ScriptObjectColor3>);
    RegisterObjectType("color4", CreateValue<ScriptObjectColor4>);
    RegisterObjectType("func_add", CreateObjectOf<ScriptObjectFuncAdd>);
    RegisterObjectType("func_sub", CreateObjectOf<ScriptObjectFuncSub>);
    RegisterObjectType("func_mul", CreateObjectOf<ScriptObjectFuncMul>);
    RegisterObjectType("func_div", CreateObjectOf<ScriptObjectFuncDiv>);
    RegisterObjectType("func_sin", CreateObjectOf<ScriptObjectFuncSin>);
    RegisterObjectType("func_cos", CreateObjectOf<ScriptObjectFuncCos>);
    RegisterObjectType("func_rand", CreateObjectOf<ScriptObjectFuncRand>);
    RegisterObjectType("func_lerp", CreateObjectOf<ScriptObjectFuncLerp>);
    RegisterObjectType("envelope", CreateObjectOf<ScriptObjectEnvelope>);
    RegisterObjectType("keyframe", CreateObjectOf<ScriptObjectEnvelopeKeyFrame>);
    RegisterObjectType("audio_stream", CreateObjectOf<ScriptObjectAudioStream>);
    RegisterObjectType("render_target", ScriptObjectRenderTarget::Create);
    RegisterObjectType("texture", ScriptObjectTexture::Create);

    RandomSeed(g_seedOverride ? g_seedValue : MonotonicMilliseconds());
    for (int i = 0; i < 1000; ++i) RandomNext();
    LOG_TRACE_FINISHED("DemoFramework", "DemoFramework");
}

DemoFramework::~DemoFramework() {
    LOG_TRACE_CALLED("DemoFramework", "~DemoFramework");
    if (m_initialised) Destroy();
    m_registry.clear();
    m_renderables.clear();
    m_updateables.clear();
    // Never initialised, or torn down without Destroy: the tree is still ours.
    delete m_rootObject;
    m_rootObject = nullptr;
    delete m_rootNode;
    m_rootNode = nullptr;
    LOG_TRACE_FINISHED("DemoFramework", "~DemoFramework");
}

void DemoFramework::KeyReleased(unsigned char, int, int) {}
void DemoFramework::KeyPressed(unsigned char, int, int) {}
void DemoFramework::MouseButton(int, int, int, int) {}
void DemoFramework::MouseDragged(int, int) {}
void DemoFramework::MouseMoved(int, int) {}

void DemoFramework::RegisterObjectType(const std::string& keyword, ObjectFactory factory) {
    LogMessage(LOG_TRACE, "DemoFramework: Object type registered: " + keyword);
    m_registry.insert(std::make_pair(keyword, factory));
}

ObjectFactory DemoFramework::FindObjectFactory(const std::string& keyword) const {
    auto it = m_registry.find(keyword);
    return it == m_registry.end() ? nullptr : it->second;
}

bool DemoFramework::Init() {
    LogMessage(LOG_TRACE, "DemoFramework::Init() called.");
    LogMessage(LOG_INFO, "* Initializing demo framework..");
    LogMessage(LOG_TRACE, "* Parsing demo script..");
    Loader* loader = GetLoader();
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data;
    if (loader) data = loader->LoadFile(m_scriptName, size);
    if (!data) {
        LogMessage(LOG_ERROR, "Loading demo script failed.");
        return false;
    }
    auto* parser = new ScriptParser();
    ScriptNode* root = parser->Parse(reinterpret_cast<const char*>(data.get()), size);
    delete parser;
    if (!root) {
        LogMessage(LOG_ERROR, "Parsing demo script failed.");
        return false;
    }
    delete m_rootNode;
    m_rootNode = root;
    LogMessage(LOG_TRACE, "* Creating script object hierarchy..");
    m_buildRandomState = RandomState();
    if (!BuildObjectTree(m_rootNode)) ExitProgram(-1);
    LogMessage(LOG_TRACE, "DemoFramework::Init() finished.");
    m_initialised = true;
    return true;
}

std::unique_ptr<ScriptNode> DemoFramework::ParseScriptFile(int* errorLine, std::string* errorText) {
    if (errorLine) *errorLine = 0;
    if (errorText) errorText->clear();
    Loader* loader = GetLoader();
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data;
    if (loader) data = loader->LoadFile(m_scriptName, size);
    if (!data) {
        LogMessage(LOG_ERROR, "Loading demo script failed.");
        if (errorText) *errorText = "the file cannot be read";
        return nullptr;
    }
    ScriptParser parser;
    std::unique_ptr<ScriptNode> root(parser.Parse(reinterpret_cast<const char*>(data.get()), size));
    if (!root) {
        if (errorLine) *errorLine = parser.GetErrorLine();
        if (errorText) *errorText = parser.GetErrorText();
    }
    return root;
}

void DemoFramework::ResetTimeline() {
    m_time = 0.0f;
    m_dt = 0.0f;
    m_syncOffset = 0.0f;
    m_soundCountdown = 0.0f;
}

bool DemoFramework::Rewind() {
    LogMessage(LOG_TRACE, "DemoFramework::Rewind() called.");
    m_renderables.clear();
    m_updateables.clear();
    delete m_rootObject;
    m_rootObject = nullptr;
    ResetTimeline();
    m_unnamedCounter = 0;
    RandomSeed(m_buildRandomState);
    return m_rootNode && BuildObjectTree(m_rootNode);
}

bool DemoFramework::ReplaceScript(std::unique_ptr<ScriptNode> root, std::unique_ptr<ScriptNode>* previous) {
    LogMessage(LOG_TRACE, "DemoFramework::ReplaceScript() called.");
    if (!root) return false;
    // The running tree stays untouched until the new one is built.
    ScriptObject* oldRoot = m_rootObject;
    std::vector<IRenderable*> oldRenderables;
    std::vector<IUpdateable*> oldUpdateables;
    oldRenderables.swap(m_renderables);
    oldUpdateables.swap(m_updateables);
    const int32_t oldCounter = m_unnamedCounter;
    const uint32_t oldRandomState = RandomState();
    m_rootObject = nullptr;
    m_unnamedCounter = 0;
    RandomSeed(m_buildRandomState);
    if (!BuildObjectTree(root.get())) {
        delete m_rootObject;
        m_rootObject = oldRoot;
        m_renderables.swap(oldRenderables);
        m_updateables.swap(oldUpdateables);
        m_unnamedCounter = oldCounter;
        RandomSeed(oldRandomState);
        return false;
    }
    // The old effects unregister themselves from lists that no longer hold them.
    delete oldRoot;
    m_renderables.clear();
    m_updateables.clear();
    RandomSeed(m_buildRandomState);
    ResetTimeline();
    if (previous) {
        previous->reset(m_rootNode);
    } else {
        delete m_rootNode;
    }
    m_rootNode = root.release();
    return true;
}

bool DemoFramework::BuildObjectTree(ScriptNode* rootNode) {
    m_currentParent = nullptr;
    m_buildErrorLine = 0;
    bool ok = CreateObject(rootNode);
    m_currentParent = nullptr;
    m_childIds.clear();
    return ok;
}

bool DemoFramework::ClaimChildId(ScriptObject* parent, const std::string& id) {
    // One set per parent, seeded with what it already holds (its parameters), keeps the
    // duplicate check constant-time however many siblings a script has.
    auto found = m_childIds.find(parent);
    if (found == m_childIds.end()) {
        found = m_childIds.emplace(parent, std::unordered_set<std::string>()).first;
        for (ScriptObject* child : parent->GetChildren()) found->second.insert(child->GetId());
    }
    return found->second.insert(id).second;
}

bool DemoFramework::CreateObject(ScriptNode* node) {
    const bool ok = CreateObjectFrom(node);
    // The element that failed first is the deepest; its ancestors fail after it.
    if (!ok && m_buildErrorLine == 0) m_buildErrorLine = node->GetLine();
    return ok;
}

bool DemoFramework::CreateObjectFrom(ScriptNode* node) {
    const std::string& name = node->GetName();
    if (!node->FindAttribute("id")) {
        node->AddAttribute("id", "noname_" + std::to_string(m_unnamedCounter));
        ++m_unnamedCounter;
    }
    const std::string id = node->FindAttribute("id")->value;

    ScriptObject* parent = m_currentParent;
    float start = parent ? parent->GetStart() : 0.0f;
    float end = parent ? parent->GetEnd() : 0.0f;
    if (!ReadTime(node, "start", start, &start) || !ReadTime(node, "end", start, &end)) return false;

    if (name == "event" || name == "set") {
        if (!parent) {
            LogMessage(LOG_ERROR, (name == "event" ? "Script node: " : "Script node ") + name +
                                      ". Invalid parent object.");
            return false;
        }
        ScriptAttribute* target = node->FindAttribute("target");
        auto* event = new ScriptEvent(start, target ? target->value : std::string(),
                                      name == "event" ? id : std::string("Set"));
        event->line = node->GetLine();
        for (size_t i = 0; i < node->GetAttributeCount(); ++i) {
            ScriptAttribute* a = node->GetAttribute(i);
            if (IsReservedAttribute(a->name)) continue;
            // A "set" names its receiver with "target"; it is not a value to assign.
            if (name == "set" && a->name == "target") continue;
            event->AddParameter(a->name, a->value);
        }
        parent->AddEvent(event);
        return true;
    }

    ScriptObject* object = nullptr;
    if (name == "demo") {
        if (parent) {
            LogMessage(LOG_ERROR, "Script node: " + name + ". This must be one and only root level object.");
            return false;
        }
        object = new ScriptObjectDemo(this, id, nullptr, start, end);
    } else if (name == "part") {
        if (!parent || (parent->GetTypeName() != "demo" && parent->GetTypeName() != "part")) {
            LogMessage(LOG_ERROR, "Script node: " + name + ". Invalid parent object.");
            return false;
        }
        object = new ScriptObjectPart(this, id, "part", parent, start, end);
    } else {
        if (!parent) {
            LogMessage(LOG_ERROR, "Script node " + name + ". Invalid parent object.");
            return false;
        }
        ObjectFactory factory = FindObjectFactory(name);
        if (!factory) {
            LogMessage(LOG_ERROR, "Script node " + name + ". Create function not found.");
            return false;
        }
        object = factory(this, id, parent, start, end);
        if (!object) {
            LogMessage(LOG_ERROR, "Script node " + name + ". Create function not found.");
            return false;
        }
    }

    if (parent && !ClaimChildId(parent, id)) {
        LogMessage(LOG_ERROR,
                   "Object with the same id already defined: " + ScriptValueUtil::Excerpt(parent->GetId()) +
                       "." + ScriptValueUtil::Excerpt(id));
        delete object;
        return false;
    }

    object->SetLine(node->GetLine());
    auto* init = new ScriptEvent(object->GetStart(), std::string(), "Init");
    init->line = node->GetLine();
    for (size_t i = 0; i < node->GetAttributeCount(); ++i) {
        ScriptAttribute* a = node->GetAttribute(i);
        if (!IsReservedAttribute(a->name)) init->AddParameter(a->name, a->value);
    }
    if (init->GetParameterCount() > 0) {
        object->AddEvent(init);
    } else {
        delete init;
    }

    if (parent) {
        parent->AddChild(object);
    } else {
        delete m_rootObject;
        m_rootObject = object;
    }

    m_currentParent = object;
    for (size_t i = 0; i < node->GetChildCount(); ++i) {
        if (!CreateObject(node->GetChild(i))) return false;
    }
    m_currentParent = parent;
    return true;
}

void DemoFramework::Destroy() {
    LogMessage(LOG_TRACE, "DemoFramework::Destroy() called.");
    LogMessage(LOG_INFO, "* Destroying demo framework..");
    m_initialised = false;
    m_renderables.clear();
    m_updateables.clear();
    delete m_rootObject;
    m_rootObject = nullptr;
    delete m_rootNode;
    m_rootNode = nullptr;
    LogMessage(LOG_TRACE, "DemoFramework::Destroy() finished.");
}

void DemoFramework::Update(float time, float dt) {
    m_dt = dt;
    m_time = time - m_syncOffset;
    m_soundCountdown -= dt;
    if (m_soundCountdown < 0.0f) {
        if (ISoundEngine* sound = GetSoundEngine()) sound->Update();
        m_soundCountdown = 0.0f;
    }
    if (m_rootObject) {
        m_rootObject->UpdateObject(m_time, dt);
        if (m_rootObject->GetEnd() < m_time) {
            LogMessage(LOG_INFO, "* Script ended.");
            ExitProgram(0);
        }
    }
    UpdateUpdateables();
}

void DemoFramework::UpdateUpdateables() {
    // By index: an updateable may register or unregister renderables while it runs.
    for (size_t i = 0; i < m_updateables.size(); ++i) m_updateables[i]->Update(m_time, m_dt);
}

void DemoFramework::Render() {
    IRenderer* renderer = GetRenderer();
    if (renderer) renderer->ResetStatistics();
    for (size_t i = 0; i < m_renderables.size(); ++i) {
        IRenderable* renderable = m_renderables[i];
        if (renderer) renderer->SetRenderTarget(GetUserInterface());
        renderable->PreRender();
        renderable->Render();
        renderable->PostRender();
    }
}

void DemoFramework::RegisterRenderable(IRenderable* renderable) {
    LogMessage(LOG_TRACE, "DemoFramework::RegisterRenderable()");
    m_renderables.push_back(renderable);
    m_updateables.push_back(renderable);
}

void DemoFramework::UnregisterRenderable(IRenderable* renderable) {
    LogMessage(LOG_TRACE, "DemoFramework::UnregisterRenderable()");
    m_renderables.erase(std::remove(m_renderables.begin(), m_renderables.end(), renderable),
                        m_renderables.end());
    IUpdateable* updateable = renderable;
    m_updateables.erase(std::remove(m_updateables.begin(), m_updateables.end(), updateable),
                        m_updateables.end());
}

void DemoFramework::Synchronize() {
    IUserInterface* ui = GetUserInterface();
    m_syncOffset = ui ? static_cast<float>(ui->GetElapsedTime()) : 0.0f;
}

void DemoFramework::PrintScriptHelp() {
    LogMessage(LOG_INFO, "");
    LogMessage(LOG_INFO, "Script help:");
    LogMessage(LOG_INFO, "TODO: Write about script syntax etc here.");
    LogMessage(LOG_INFO, "");
    LogMessage(LOG_INFO, "Script objects:");
    for (auto& entry : m_registry) {
        LogMessage(LOG_INFO, "");
        LogMessage(LOG_INFO, kRule);
        LogMessage(LOG_INFO, "");
        ScriptObject* sample = entry.second(this, "id", nullptr, 0.0f, 0.0f);
        if (sample) {
            sample->PrintHelp();
            delete sample;
        }
    }
    LogMessage(LOG_INFO, "");
    LogMessage(LOG_INFO, kRule);
    LogMessage(LOG_INFO, "");
    LogMessage(LOG_INFO, "(End of script help.)");
    LogMessage(LOG_INFO, "");
}
