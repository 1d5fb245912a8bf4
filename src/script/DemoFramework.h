#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ui/IAppFramework.h"

class IRenderable;
class IUpdateable;
class ScriptNode;
class ScriptObject;
class DemoFramework;

// Makes a new script object of one registered type (null when that fails).
using ObjectFactory = ScriptObject* (*)(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                        float start, float end);

// Runs the presentation: type registry, script loading and tree building, the timeline,
// and the renderables and updateables that effects register.
class DemoFramework : public IAppFramework {
public:
    explicit DemoFramework(const std::string& scriptName);
    ~DemoFramework() override;

    DemoFramework(const DemoFramework&) = delete;
    DemoFramework& operator=(const DemoFramework&) = delete;

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

    // A keyword already registered keeps its first factory.
    void RegisterObjectType(const std::string& keyword, ObjectFactory factory);
    ObjectFactory FindObjectFactory(const std::string& keyword) const;

    void RegisterRenderable(IRenderable* renderable);
    void UnregisterRenderable(IRenderable* renderable);

    // Makes the front end's current elapsed time the new timeline origin.
    void Synchronize();
    void PrintScriptHelp();

    // Builds the object tree from a parsed script. Structural errors are logged and reported
    // by the result (Init turns them into exit(-1)); the fuzz target uses this directly.
    bool BuildObjectTree(ScriptNode* rootNode);
    // Script line of the element the last failed build stopped at (0 when not known).
    int GetBuildErrorLine() const { return m_buildErrorLine; }

    // Authoring. Rewind goes back to time 0 with a fresh tree built from the parsed script, the
    // random generator as it was when the first tree was built and no synchronisation offset,
    // so stepping again replays the show exactly. False when the tree cannot be built.
    bool Rewind();
    // Loads and parses the script file again; null after logging the XML error (its line and
    // text go to the out parameters when given).
    std::unique_ptr<ScriptNode> ParseScriptFile(int* errorLine = nullptr, std::string* errorText = nullptr);
    // Builds the tree of `root` in place of the current one and rewinds to time 0. On success the
    // parsed script that was replaced moves to *previous; on a structural error the current tree
    // stays as it was and false is returned.
    bool ReplaceScript(std::unique_ptr<ScriptNode> root, std::unique_ptr<ScriptNode>* previous);
    const std::string& GetScriptName() const { return m_scriptName; }
    ScriptNode* GetRootNode() const { return m_rootNode; }

    float GetTime() const { return m_time; }
    float GetDeltaTime() const { return m_dt; }
    float GetSyncOffset() const { return m_syncOffset; }
    ScriptObject* GetRootObject() const { return m_rootObject; }
    bool IsInitialised() const { return m_initialised; }
    const std::vector<IRenderable*>& GetRenderables() const { return m_renderables; }
    const std::vector<IUpdateable*>& GetUpdateables() const { return m_updateables; }

    // For "-seed N": the next constructed framework seeds the random generator with N
    // instead of the clock.
    static void SetRandomSeedOverride(bool enabled, uint32_t seed);

private:
    bool CreateObject(ScriptNode* node);
    bool CreateObjectFrom(ScriptNode* node);
    // False when the parent already has a child (or parameter) of that id.
    bool ClaimChildId(ScriptObject* parent, const std::string& id);
    void ResetTimeline();

    bool m_initialised = false;
    std::string m_scriptName;
    ScriptNode* m_rootNode = nullptr;
    std::map<std::string, ObjectFactory> m_registry;
    ScriptObject* m_rootObject = nullptr;
    ScriptObject* m_currentParent = nullptr;
    int32_t m_unnamedCounter = 0;
    int m_buildErrorLine = 0;
    std::unordered_map<const ScriptObject*, std::unordered_set<std::string>> m_childIds;
    std::vector<IRenderable*> m_renderables;
    std::vector<IUpdateable*> m_updateables;
    float m_time = 0.0f;
    float m_dt = 0.0f;
    float m_syncOffset = 0.0f;
    float m_soundCountdown = 0.0f;
    // The random generator's state just before the first tree was built (see Rewind).
    uint32_t m_buildRandomState = 0;
};

// The process-wide framework (made by main; null until then).
DemoFramework* GetDemoFramework();
void SetDemoFramework(DemoFramework* framework);
