#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "script/ScriptEvent.h"

class DemoFramework;
class ScriptValidation;
class ScriptObjectFloat;
class ScriptObjectInteger;
class ScriptObjectBoolean;
class ScriptObjectString;
class ScriptObjectVector2;
class ScriptObjectVector3;
class ScriptObjectVector4;
class ScriptObjectColor3;
class ScriptObjectColor4;

enum AccessMode : int32_t {
    ACCESS_READ_WRITE = 0,
    ACCESS_INIT_ONLY = 1,
    ACCESS_READ_ONLY = 2,
};

// Cheap type tag so value copies on the per-frame path need no dynamic_cast.
enum class ScriptValueKind : uint8_t {
    None,
    Float,
    Integer,
    Boolean,
    String,
    Vector2,
    Vector3,
    Vector4,
    Color3,
    Color4,
};

// Base of everything a script describes: a named, timed node of the script tree with
// parameters (child value objects), timed events and an optional live reference.
class ScriptObject {
public:
    using EventMap = std::multimap<float, ScriptEvent*>;

    ScriptObject(DemoFramework* framework, const std::string& id, const std::string& typeName,
                 ScriptObject* parent, float start, float end, AccessMode access);
    virtual ~ScriptObject();

    ScriptObject(const ScriptObject&) = delete;
    ScriptObject& operator=(const ScriptObject&) = delete;

    virtual bool ParseValue(const std::string& text);
    virtual bool CopyFrom(ScriptObject* source);
    virtual void Activate();
    virtual void Deactivate();
    virtual void HandleEvent(ScriptEvent* event);
    virtual void Update();
    // Checks without playing (-validate): values the object would refuse when it uses them,
    // names it would look up and files it would read, as they stand now.
    virtual void Validate(ScriptValidation& validation);

    // Tree building. AddChild clamps the child's range into this object's range.
    void AddChild(ScriptObject* child);
    void AddParameter(ScriptObject* child);
    void AddEvent(ScriptEvent* event);

    // FindChild searches the subtree below this object; FindObject searches it and then
    // each ancestor's subtree, the root's own id being allowed to begin the path.
    ScriptObject* FindChild(const std::string& path);
    ScriptObject* FindObject(const std::string& path);

    // Plain text, "$path" one-time copy or "*path" live reference; any failure is fatal.
    ScriptObject* AssignValue(bool initAllowed, const std::string& name, const std::string& valueText,
                              bool byPath);

    // The per-frame timeline step.
    void UpdateObject(float time, float dt);
    // Sets the active flags of this subtree to what the timeline step would make them at
    // `time`, without activating anything: checks that do not play the script use it.
    void MarkActiveAt(float time);

    void PrintHelp();
    void PrintState(int depth);

    DemoFramework* GetFramework() const { return m_framework; }
    const std::string& GetId() const { return m_id; }
    const std::string& GetTypeName() const { return m_typeName; }
    const std::string& GetDescription() const { return m_description; }
    void SetDescription(const std::string& text) { m_description = text; }
    const std::string& GetParameterDescription() const { return m_parameterDescription; }
    void SetParameterDescription(const std::string& text) { m_parameterDescription = text; }
    bool IsParameter() const { return m_isParameter; }
    float GetStart() const { return m_start; }
    float GetEnd() const { return m_end; }
    AccessMode GetAccess() const { return m_access; }
    ScriptObject* GetParent() const { return m_parent; }
    const std::vector<ScriptObject*>& GetChildren() const { return m_children; }
    size_t GetChildCount() const { return m_children.size(); }
    ScriptObject* GetChild(size_t index) const {
        return index < m_children.size() ? m_children[index] : nullptr;
    }
    const EventMap& GetEvents() const { return m_events; }
    ScriptObject* GetReference() const { return m_reference; }
    bool IsActive() const { return m_active; }
    const std::string& GetLastEventText() const { return m_lastEventText; }
    ScriptValueKind GetValueKind() const { return m_valueKind; }
    // Script line of the element that made the object (0 when not known).
    int GetLine() const { return m_line; }
    void SetLine(int line) { m_line = line; }

    // Where the timeline step is right now: the object being stepped and the event being
    // delivered (null between them), so a fatal error can be traced to its script line.
    static const ScriptObject* GetSteppingObject();
    static const ScriptEvent* GetDeliveringEvent();
    static void ClearSteppingPosition();

    // Formats an event's parameters as (name="value", ...), empty when there are none.
    static std::string FormatEventParameters(const ScriptEvent* event);

protected:
    // Parameter helpers for constructors of concrete types: create the value object with this
    // object as parent and the same range, set its value and description, AddParameter it.
    ScriptObjectFloat* AddFloatParameter(const std::string& id, AccessMode access, float value,
                                         const std::string& description);
    ScriptObjectInteger* AddIntegerParameter(const std::string& id, AccessMode access, int32_t value,
                                             const std::string& description);
    ScriptObjectBoolean* AddBooleanParameter(const std::string& id, AccessMode access, bool value,
                                             const std::string& description);
    ScriptObjectString* AddStringParameter(const std::string& id, AccessMode access, const std::string& value,
                                           const std::string& description);
    ScriptObjectVector2* AddVector2Parameter(const std::string& id, AccessMode access, float x, float y,
                                             const std::string& description);
    ScriptObjectVector3* AddVector3Parameter(const std::string& id, AccessMode access, float x, float y,
                                             float z, const std::string& description);
    ScriptObjectVector4* AddVector4Parameter(const std::string& id, AccessMode access, float x, float y,
                                             float z, float w, const std::string& description);
    ScriptObjectColor3* AddColor3Parameter(const std::string& id, AccessMode access, float r, float g,
                                           float b, const std::string& description);
    ScriptObjectColor4* AddColor4Parameter(const std::string& id, AccessMode access, float r, float g,
                                           float b, float a, const std::string& description);

    // Logs the last event text and the message at level 3, then exits with -1.
    [[noreturn]] void FatalAssign(const std::string& message) const;
    std::string LogPrefix(float time) const;

    DemoFramework* m_framework;
    std::string m_id;
    std::string m_typeName;
    std::string m_description;
    std::string m_parameterDescription;
    bool m_isParameter = false;
    float m_start;
    float m_end;
    AccessMode m_access;
    ScriptObject* m_parent;
    std::vector<ScriptObject*> m_children;
    EventMap m_events;
    EventMap::iterator m_nextEvent;
    ScriptObject* m_reference = nullptr;
    bool m_active = false;
    ScriptValueKind m_valueKind = ScriptValueKind::None;
    std::string m_lastEventText;
    int m_line = 0;

private:
    void MarkActiveAt(float time, bool parentActive);
    // Creates a value parameter of type T with this object's range, sets it and attaches it.
    template <typename T, typename... Values>
    T* AddValueParameter(const std::string& id, AccessMode access, const std::string& description,
                         Values... values);
};
