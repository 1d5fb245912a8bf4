#pragma once

#include <tinyxml.h>

#include <cstddef>
#include <string>

class ScriptNode;

// Turns script XML into a ScriptNode tree (a TinyXML visitor over the parsed document).
class ScriptParser : public TiXmlVisitor {
public:
    // Documents nested deeper than this are refused before TinyXML sees them: both TinyXML
    // and the tree builders recurse once per level.
    static const int kMaxNestingDepth = 256;

    ScriptParser();
    ~ScriptParser() override;

    // Returns the root node (owned by the caller) or null after logging the XML error.
    ScriptNode* Parse(const char* text, size_t length);
    ScriptNode* Parse(const std::string& text);

    // Where the last Parse failed: 1-based line (0 when it did not fail) and TinyXML's text.
    int GetErrorLine() const { return m_errorLine; }
    const std::string& GetErrorText() const { return m_errorText; }

    bool VisitEnter(const TiXmlElement& element, const TiXmlAttribute* firstAttribute) override;
    bool VisitExit(const TiXmlElement& element) override;

private:
    // Finds the first element opened deeper than the limit; row and column are 0-based.
    static bool FindTooDeepElement(const std::string& text, int& row, int& col);

    ScriptNode* m_rootNode = nullptr;
    ScriptNode* m_currentNode = nullptr;
    int m_errorLine = 0;
    std::string m_errorText;
};
