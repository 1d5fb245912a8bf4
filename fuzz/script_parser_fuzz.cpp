// Fuzzes the script parser and the object-tree builder. Structural script errors normally
// end the program, so the tree is built through DemoFramework::BuildObjectTree, which
// reports them by its result; the timeline is not stepped, because assignment errors are
// fatal by design.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/Log.h"
#include "script/DemoFramework.h"
#include "script/ScriptNode.h"
#include "script/ScriptParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    ScriptParser parser;
    std::unique_ptr<ScriptNode> root(parser.Parse(reinterpret_cast<const char*>(data), size));
    if (!root) return 0;
    DemoFramework framework("script.xml");
    framework.BuildObjectTree(root.get());
    return 0;
}
