#include "script/ScriptNode.h"

#include "script/ScriptAttribute.h"

ScriptNode::ScriptNode(const std::string& name, ScriptNode* parent) : m_name(name), m_parent(parent) {}

ScriptNode::~ScriptNode() {
    for (ScriptNode* child : m_children) delete child;
    for (ScriptAttribute* attribute : m_attributes) delete attribute;
}

void ScriptNode::AddAttribute(const std::string& name, const std::string& value) {
    auto* attribute = new ScriptAttribute(name, value);
    m_attributes.push_back(attribute);
    m_attributeIndex.insert(std::make_pair(name, attribute));
}

ScriptAttribute* ScriptNode::FindAttribute(const std::string& name) const {
    auto it = m_attributeIndex.find(name);
    return it == m_attributeIndex.end() ? nullptr : it->second;
}

ScriptAttribute* ScriptNode::GetAttribute(size_t index) const {
    return index < m_attributes.size() ? m_attributes[index] : nullptr;
}

void ScriptNode::AddChild(ScriptNode* child) {
    m_children.push_back(child);
}

ScriptNode* ScriptNode::GetChild(size_t index) const {
    return index < m_children.size() ? m_children[index] : nullptr;
}
