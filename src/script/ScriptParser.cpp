#include "script/ScriptParser.h"

#include <cstring>

#include "base/Log.h"
#include "script/ScriptNode.h"
#include "script/ScriptValueUtil.h"

namespace {

void LogXmlError(int row, int col, const char* description) {
    // The document is parsed from memory, so its name is empty.
    LogMessage(LOG_ERROR, std::string("ScriptParser: XML parse error in ") + "" + " " +
                              ScriptValueUtil::Format("(row=%d, col=%d)", row, col) + ": " + description);
}

// Skips to just past the terminator, or to the end of the text.
size_t SkipPast(const std::string& text, size_t pos, const char* terminator) {
    size_t found = text.find(terminator, pos);
    return found == std::string::npos ? text.size() : found + std::strlen(terminator);
}

}  // namespace

ScriptParser::ScriptParser() {
    LOG_TRACE_CALLED("ScriptParser", "ScriptParser");
}

ScriptParser::~ScriptParser() {
    LOG_TRACE_CALLED("ScriptParser", "~ScriptParser");
}

bool ScriptParser::FindTooDeepElement(const std::string& text, int& row, int& col) {
    int depth = 0;
    size_t lineStart = 0;
    int line = 0;
    size_t pos = 0;
    const size_t size = text.size();
    while (pos < size) {
        char c = text[pos];
        if (c == '\n') {
            ++line;
            lineStart = pos + 1;
            ++pos;
            continue;
        }
        if (c != '<') {
            ++pos;
            continue;
        }
        size_t tagStart = pos;
        if (text.compare(pos, 4, "<!--") == 0) {
            pos = SkipPast(text, pos + 4, "-->");
        } else if (text.compare(pos, 9, "<![CDATA[") == 0) {
            pos = SkipPast(text, pos + 9, "]]>");
        } else if (pos + 1 < size && (text[pos + 1] == '!' || text[pos + 1] == '?')) {
            pos = SkipPast(text, pos + 2, ">");
        } else if (pos + 1 < size && text[pos + 1] == '/') {
            if (depth > 0) --depth;
            pos = SkipPast(text, pos + 2, ">");
        } else {
            ++depth;
            if (depth > kMaxNestingDepth) {
                row = line;
                col = static_cast<int>(tagStart - lineStart);
                return true;
            }
            // Walk the tag, honouring quoted attribute values, to see if it closes itself.
            char quote = 0;
            ++pos;
            while (pos < size) {
                char t = text[pos];
                if (quote) {
                    if (t == quote) quote = 0;
                } else if (t == '"' || t == '\'') {
                    quote = t;
                } else if (t == '>') {
                    if (text[pos - 1] == '/') --depth;
                    ++pos;
                    break;
                }
                ++pos;
            }
            continue;
        }
        // Count the lines skipped over inside comments and other markup.
        for (size_t i = tagStart; i < pos && i < size; ++i) {
            if (text[i] == '\n') {
                ++line;
                lineStart = i + 1;
            }
        }
    }
    return false;
}

ScriptNode* ScriptParser::Parse(const char* text, size_t length) {
    LogMessage(LOG_TRACE, "ScriptParser::Parse() called.");
    m_rootNode = nullptr;
    m_currentNode = nullptr;
    m_errorLine = 0;
    m_errorText.clear();
    // TinyXML reads zero-terminated text; the loaded buffer is not.
    std::string source(text ? text : "", text ? length : 0);

    int row = 0, col = 0;
    if (FindTooDeepElement(source, row, col)) {
        // Same numbering as TinyXML's positions below.
        LogXmlError(row + 2, col + 2, "Elements nested too deeply.");
        m_errorLine = row + 1;
        m_errorText = "Elements nested too deeply.";
        return nullptr;
    }

    // TinyXML's position tracking peeks up to a few bytes past a UTF-8 lead byte, even at the
    // very end of the text; zero padding keeps those reads inside the buffer.
    source.append(4, '\0');
    TiXmlDocument document;
    document.Parse(source.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    if (document.Error()) {
        LogXmlError(document.ErrorRow() + 1, document.ErrorCol() + 1, document.ErrorDesc());
        m_errorLine = document.ErrorRow();
        m_errorText = document.ErrorDesc();
        return nullptr;
    }
    document.Accept(this);
    LogMessage(LOG_TRACE, "ScriptParser::Parse() finished.");
    ScriptNode* root = m_rootNode;
    m_rootNode = nullptr;
    m_currentNode = nullptr;
    return root;
}

ScriptNode* ScriptParser::Parse(const std::string& text) {
    return Parse(text.data(), text.size());
}

bool ScriptParser::VisitEnter(const TiXmlElement& element, const TiXmlAttribute* firstAttribute) {
    auto* node = new ScriptNode(element.ValueStr(), m_currentNode);
    node->SetLine(element.Row());
    for (const TiXmlAttribute* a = firstAttribute; a; a = a->Next())
        node->AddAttribute(a->NameTStr(), a->ValueStr());
    if (!m_currentNode) {
        // Several top-level elements: the last one wins; the earlier tree must not leak.
        delete m_rootNode;
        m_rootNode = node;
    } else {
        m_currentNode->AddChild(node);
    }
    m_currentNode = node;
    return true;
}

bool ScriptParser::VisitExit(const TiXmlElement&) {
    if (m_currentNode) m_currentNode = m_currentNode->GetParent();
    return true;
}
