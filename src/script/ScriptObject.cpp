#include "script/ScriptObject.h"

#include <algorithm>

#include "base/Exit.h"
#include "base/Log.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectColor3.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectVector2.h"
#include "script/ScriptObjectVector3.h"
#include "script/ScriptObjectVector4.h"
#include "script/ScriptValueUtil.h"

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + ScriptValueUtil::Excerpt(text) + "\"";
}

const ScriptObject* g_steppingObject = nullptr;
const ScriptEvent* g_deliveringEvent = nullptr;

void SplitPath(const std::string& path, std::string& head, std::string& rest) {
    size_t dot = path.find('.');
    if (dot == std::string::npos) {
        head = path;
        rest.clear();
    } else {
        head = path.substr(0, dot);
        rest = path.substr(dot + 1);
    }
}

}  // namespace

ScriptObject::ScriptObject(DemoFramework* framework, const std::string& id, const std::string& typeName,
                           ScriptObject* parent, float start, float end, AccessMode access)
    : m_framework(framework),
      m_id(id),
      m_typeName(typeName),
      m_start(start),
      m_end(end),
      m_access(access),
      m_parent(parent) {
    m_nextEvent = m_events.end();
}

ScriptObject::~ScriptObject() {
    for (ScriptObject* child : m_children) delete child;
    for (auto& entry : m_events) delete entry.second;
}

bool ScriptObject::ParseValue(const std::string&) {
    return false;
}
bool ScriptObject::CopyFrom(ScriptObject*) {
    return false;
}
void ScriptObject::Activate() {}
void ScriptObject::Deactivate() {}
void ScriptObject::HandleEvent(ScriptEvent*) {}
void ScriptObject::Update() {}
void ScriptObject::Validate(ScriptValidation&) {}

void ScriptObject::MarkActiveAt(float time) { MarkActiveAt(time, true); }

void ScriptObject::MarkActiveAt(float time, bool parentActive) {
    // The step never reaches the children of an inactive object.
    m_active = parentActive && m_start <= time && time < m_end;
    for (ScriptObject* child : m_children) child->MarkActiveAt(time, m_active);
}

void ScriptObject::AddChild(ScriptObject* child) {
    child->m_parent = this;
    child->m_isParameter = false;
    if (child->m_start < m_start) {
        child->m_start = m_start;
        LogMessage(LOG_WARNING, "Object start time adjusted to parent start time.");
    }
    if (child->m_end > m_end) {
        child->m_end = m_end;
        LogMessage(LOG_WARNING, "Object end time adjusted to parent end time.");
    }
    if (child->m_end < child->m_start) child->m_end = child->m_start;
    m_children.push_back(child);
}

void ScriptObject::AddParameter(ScriptObject* child) {
    AddChild(child);
    child->m_isParameter = true;
}

void ScriptObject::AddEvent(ScriptEvent* event) {
    if (event->time < m_start) {
        event->time = m_start;
        LogMessage(LOG_WARNING, "Event time adjusted to parent start time.");
    }
    if (event->time > m_end) {
        event->time = m_end;
        LogMessage(LOG_WARNING, "Event time adjusted to parent end time.");
    }
    // upper_bound keeps insertion order among equal times.
    m_events.insert(m_events.upper_bound(event->time), EventMap::value_type(event->time, event));
    m_nextEvent = m_events.begin();
}

ScriptObject* ScriptObject::FindChild(const std::string& path) {
    std::string head, rest;
    SplitPath(path, head, rest);
    for (ScriptObject* child : m_children) {
        if (child->m_id != head) continue;
        if (rest.empty()) return child;
        ScriptObject* found = child->FindChild(rest);
        if (found) return found;
    }
    return nullptr;
}

ScriptObject* ScriptObject::FindObject(const std::string& path) {
    if (!m_parent) {
        std::string head, rest;
        SplitPath(path, head, rest);
        if (head == m_id) return rest.empty() ? this : FindChild(rest);
    }
    ScriptObject* found = FindChild(path);
    if (!found && m_parent) return m_parent->FindObject(path);
    return found;
}

void ScriptObject::FatalAssign(const std::string& message) const {
    LogMessage(LOG_ERROR, m_lastEventText);
    LogMessage(LOG_ERROR, message);
    ExitProgram(-1);
}

ScriptObject* ScriptObject::AssignValue(bool initAllowed, const std::string& name,
                                        const std::string& valueText, bool byPath) {
    ScriptObject* target = byPath ? FindObject(name) : FindChild(name);
    if (!target) {
        FatalAssign(byPath ? "ScriptObject::AssignValue(): Target object not found: " + Quoted(name)
                           : "ScriptObject::AssignValue(): Target child object not found: " + Quoted(name));
    }
    if (target->m_access == ACCESS_READ_ONLY) {
        FatalAssign("ScriptObject::AssignValue(): Target object is read-only: " + Quoted(name));
    }
    if (target->m_access == ACCESS_INIT_ONLY && !initAllowed) {
        FatalAssign("ScriptObject::AssignValue(): Target object is init-only: " + Quoted(name));
    }
    if (!target->m_active) {
        FatalAssign("ScriptObject::AssignValue(): Target object is not active: " + Quoted(name));
    }
    if (!valueText.empty() && valueText[0] == '$') {
        ScriptObject* source = FindObject(valueText.substr(1));
        if (!source)
            FatalAssign("ScriptObject::AssignValue(): Source object not found: " + Quoted(valueText));
        if (source == this) FatalAssign("ScriptObject::AssignValue(): Cannot assing from self.");
        if (!source->m_active) {
            FatalAssign("ScriptObject::AssignValue(): Cannot assing from inactive object (" + source->m_id +
                        ").");
        }
        target->m_reference = nullptr;
        if (!target->CopyFrom(source)) {
            FatalAssign("ScriptObject::AssignValue(): Source object type (" + source->m_typeName +
                        ") is not accepted by the target (" + target->m_typeName + ").");
        }
        return target;
    }
    if (!valueText.empty() && valueText[0] == '*') {
        ScriptObject* ref = FindObject(valueText.substr(1));
        if (!ref)
            FatalAssign("ScriptObject::AssignValue(): Reference object not found: " + Quoted(valueText));
        if (ref == this) FatalAssign("ScriptObject::AssignValue(): Cannot reference to self.");
        if (!ref->m_active) {
            FatalAssign("ScriptObject::AssignValue(): Cannot refference to inactive object (" + ref->m_id +
                        ").");
        }
        if (!target->CopyFrom(ref)) {
            FatalAssign("ScriptObject::AssignValue(): Referenced object type (" + ref->m_typeName +
                        ") is not accepted by the target (" + target->m_typeName + ").");
        }
        target->m_reference = ref;
        return target;
    }
    if (!target->ParseValue(valueText)) {
        FatalAssign("ScriptObject::AssignValue(): Value could not be parsed by the target object (" +
                    target->m_typeName + ").");
    }
    target->m_reference = nullptr;
    return target;
}

std::string ScriptObject::LogPrefix(float time) const {
    return ScriptValueUtil::Format("%.3f", static_cast<double>(time)) + " : " + m_id + " (" + m_typeName +
           ") : ";
}

std::string ScriptObject::FormatEventParameters(const ScriptEvent* event) {
    if (event->parameterNames.empty()) return std::string();
    std::string params = "(";
    for (size_t i = 0; i < event->parameterNames.size(); ++i) {
        if (i > 0) params += ", ";
        const std::string& value = i < event->parameterValues.size() ? event->parameterValues[i] : "";
        params += ScriptValueUtil::Excerpt(event->parameterNames[i]) + "=" + Quoted(value);
    }
    return params + ")";
}

const ScriptObject* ScriptObject::GetSteppingObject() {
    return g_steppingObject;
}

const ScriptEvent* ScriptObject::GetDeliveringEvent() {
    return g_deliveringEvent;
}

void ScriptObject::ClearSteppingPosition() {
    g_steppingObject = nullptr;
    g_deliveringEvent = nullptr;
}

void ScriptObject::UpdateObject(float time, float dt) {
    bool wasActive = m_active;
    m_active = m_start <= time && time < m_end;
    g_steppingObject = this;
    if (m_active && !wasActive) {
        LogMessage(LOG_TRACE, LogPrefix(time) + "Activate");
        Activate();
    }
    if (!m_active && !wasActive) return;

    for (ScriptObject* child : m_children) child->UpdateObject(time, dt);
    g_steppingObject = this;

    while (m_nextEvent != m_events.end() && m_nextEvent->first <= time) {
        ScriptEvent* event = m_nextEvent->second;
        ScriptObject* receiver = this;
        if (!event->target.empty()) receiver = FindObject(event->target);
        if (!receiver) {
            LogMessage(LOG_ERROR, m_lastEventText);
            LogMessage(LOG_ERROR,
                       "ScriptObject::UpdateObject(): Event target not found: " + Quoted(event->target));
            ++m_nextEvent;
            continue;
        }
        m_lastEventText = LogPrefix(time) + "Event: " + event->name + " " + FormatEventParameters(event);
        LogMessage(LOG_TRACE, m_lastEventText);
        g_deliveringEvent = event;
        const size_t count = std::min(event->parameterNames.size(), event->parameterValues.size());
        if (event->name == "Init") {
            for (size_t i = 0; i < count; ++i) {
                receiver->AssignValue(true, event->parameterNames[i], event->parameterValues[i], false);
            }
            receiver->HandleEvent(event);
        } else if (event->name == "Set") {
            for (size_t i = 0; i < count; ++i) {
                receiver->AssignValue(false, event->parameterNames[i], event->parameterValues[i], true);
            }
        } else if (event->name == "debug") {
            LogMessage(LOG_INFO, "---");
            receiver->PrintState(0);
            LogMessage(LOG_INFO, "---");
        } else if (event->name == "help") {
            LogMessage(LOG_INFO, "---");
            receiver->PrintHelp();
            LogMessage(LOG_INFO, "---");
        } else {
            receiver->HandleEvent(event);
        }
        g_deliveringEvent = nullptr;
        ++m_nextEvent;
    }

    if (m_reference) CopyFrom(m_reference);
    Update();

    if (wasActive && !m_active) {
        LogMessage(LOG_TRACE, LogPrefix(time) + "Deactivate");
        Deactivate();
    }
}

void ScriptObject::PrintHelp() {
    LogMessage(LOG_INFO, "Script object help: " + m_typeName);
    LogMessage(LOG_INFO, "");
    LogMessage(LOG_INFO, "Description:");
    LogMessage(LOG_INFO, m_description.empty() ? std::string("  (no description)") : m_description);
    LogMessage(LOG_INFO, "");
    const struct {
        const char* title;
        AccessMode access;
    } groups[] = {{"Init-only input parameters:", ACCESS_INIT_ONLY},
                  {"Read/write parameters:", ACCESS_READ_WRITE},
                  {"* Read-only output parameters:", ACCESS_READ_ONLY}};
    for (const auto& group : groups) {
        LogMessage(LOG_INFO, group.title);
        bool any = false;
        for (ScriptObject* child : m_children) {
            if (!child->m_isParameter || child->m_access != group.access) continue;
            any = true;
            LogMessage(LOG_INFO, "- " + child->m_id + " (" + child->m_typeName + ")");
            LogMessage(LOG_INFO, child->m_parameterDescription.empty()
                                     ? std::string("  (no description)")
                                     : "  " + child->m_parameterDescription);
        }
        if (!any) LogMessage(LOG_INFO, "  (none)");
        LogMessage(LOG_INFO, "");
    }
}

void ScriptObject::PrintState(int depth) {
    std::string indent(static_cast<size_t>(depth < 0 ? 0 : depth) * 4, ' ');
    LogMessage(LOG_INFO, indent + Quoted(m_id) + " (" + m_typeName + ") " +
                             ScriptValueUtil::Format("[%.3f-%.3f]", double(m_start), double(m_end)));
    for (auto& entry : m_events) {
        LogMessage(LOG_INFO, indent + "    " + ScriptValueUtil::Format("%.3f", double(entry.first)) + ": " +
                                 entry.second->name + " " + FormatEventParameters(entry.second));
    }
    for (ScriptObject* child : m_children) child->PrintState(depth + 1);
}

template <typename T, typename... Values>
T* ScriptObject::AddValueParameter(const std::string& id, AccessMode access, const std::string& description,
                                   Values... values) {
    auto* p = new T(m_framework, id, this, m_start, m_end, access);
    p->SetValue(values...);
    p->SetParameterDescription(description);
    AddParameter(p);
    return p;
}

ScriptObjectFloat* ScriptObject::AddFloatParameter(const std::string& id, AccessMode access, float value,
                                                   const std::string& description) {
    return AddValueParameter<ScriptObjectFloat>(id, access, description, value);
}

ScriptObjectInteger* ScriptObject::AddIntegerParameter(const std::string& id, AccessMode access, int32_t value,
                                                       const std::string& description) {
    return AddValueParameter<ScriptObjectInteger>(id, access, description, value);
}

ScriptObjectBoolean* ScriptObject::AddBooleanParameter(const std::string& id, AccessMode access, bool value,
                                                       const std::string& description) {
    return AddValueParameter<ScriptObjectBoolean>(id, access, description, value);
}

ScriptObjectString* ScriptObject::AddStringParameter(const std::string& id, AccessMode access,
                                                     const std::string& value, const std::string& description) {
    return AddValueParameter<ScriptObjectString>(id, access, description, value);
}

ScriptObjectVector2* ScriptObject::AddVector2Parameter(const std::string& id, AccessMode access, float x, float y,
                                                       const std::string& description) {
    return AddValueParameter<ScriptObjectVector2>(id, access, description, x, y);
}

ScriptObjectVector3* ScriptObject::AddVector3Parameter(const std::string& id, AccessMode access, float x, float y,
                                                       float z, const std::string& description) {
    return AddValueParameter<ScriptObjectVector3>(id, access, description, x, y, z);
}

ScriptObjectVector4* ScriptObject::AddVector4Parameter(const std::string& id, AccessMode access, float x, float y,
                                                       float z, float w, const std::string& description) {
    return AddValueParameter<ScriptObjectVector4>(id, access, description, x, y, z, w);
}

ScriptObjectColor3* ScriptObject::AddColor3Parameter(const std::string& id, AccessMode access, float r, float g,
                                                     float b, const std::string& description) {
    return AddValueParameter<ScriptObjectColor3>(id, access, description, r, g, b);
}

ScriptObjectColor4* ScriptObject::AddColor4Parameter(const std::string& id, AccessMode access, float r, float g,
                                                     float b, float a, const std::string& description) {
    return AddValueParameter<ScriptObjectColor4>(id, access, description, r, g, b, a);
}
