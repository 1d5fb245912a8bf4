#pragma once

class Node;

// Drives one node; runs at the start of the node's Update, before its matrices are rebuilt.
// The node owns its controller (Node::SetController).
class NodeController {
public:
    virtual ~NodeController() = default;
    virtual void Update() = 0;

    Node* GetNode() const { return m_node; }
    void SetNode(Node* node) { m_node = node; }

private:
    Node* m_node = nullptr;
};
