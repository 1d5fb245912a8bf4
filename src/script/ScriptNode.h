#pragma once

#include <map>
#include <string>
#include <vector>

class ScriptAttribute;

// One XML element of the script: its name (the object keyword), attributes and children.
class ScriptNode {
public:
    ScriptNode(const std::string& name, ScriptNode* parent);
    virtual ~ScriptNode();

    ScriptNode(const ScriptNode&) = delete;
    ScriptNode& operator=(const ScriptNode&) = delete;

    const std::string& GetName() const { return m_name; }
    ScriptNode* GetParent() const { return m_parent; }
    // Line of the element in the script text (1-based; 0 when not known).
    int GetLine() const { return m_line; }
    void SetLine(int line) { m_line = line; }

    // When a name occurs twice, lookup finds the first.
    void AddAttribute(const std::string& name, const std::string& value);
    ScriptAttribute* FindAttribute(const std::string& name) const;
    size_t GetAttributeCount() const { return m_attributes.size(); }
    ScriptAttribute* GetAttribute(size_t index) const;

    void AddChild(ScriptNode* child);
    size_t GetChildCount() const { return m_children.size(); }
    ScriptNode* GetChild(size_t index) const;

private:
    std::string m_name;
    ScriptNode* m_parent;
    int m_line = 0;
    std::vector<ScriptAttribute*> m_attributes;
    std::vector<ScriptNode*> m_children;
    std::map<std::string, ScriptAttribute*> m_attributeIndex;
};
