#include <gtest/gtest.h>

#include <memory>

#include "ScriptTestSupport.h"
#include "script/ScriptAttribute.h"
#include "script/ScriptNode.h"
#include "script/ScriptParser.h"

namespace {

std::unique_ptr<ScriptNode> ParseText(const std::string& text) {
    ScriptParser parser;
    return std::unique_ptr<ScriptNode>(parser.Parse(text));
}

void BuildScript(const std::string& xml) {
    ScriptHarness harness;
    harness.Load(xml);
}

}  // namespace

TEST(ScriptParserTest, BuildsNodesWithAttributesInDocumentOrder) {
    auto root = ParseText(
        "<?xml version=\"1.0\"?>\n<!-- comment -->\n"
        "<demo end=\"10\" id=\"d\" id=\"dup\">text<part a=\"1\" b=\"2\"><float/></part><part/></demo>");
    // TinyXML refuses duplicate attributes, so the document fails as a whole.
    EXPECT_EQ(root, nullptr);

    root = ParseText("<demo end=\"10\">text<part b=\"2\" a=\"1\"><float/></part><part/></demo>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "demo");
    EXPECT_EQ(root->GetParent(), nullptr);
    ASSERT_EQ(root->GetChildCount(), 2u);
    ScriptNode* part = root->GetChild(0);
    EXPECT_EQ(part->GetParent(), root.get());
    ASSERT_EQ(part->GetAttributeCount(), 2u);
    EXPECT_EQ(part->GetAttribute(0)->name, "b");
    EXPECT_EQ(part->FindAttribute("a")->value, "1");
    EXPECT_EQ(part->GetAttribute(2), nullptr);
    EXPECT_EQ(part->FindAttribute("c"), nullptr);
    EXPECT_EQ(part->GetChild(0)->GetName(), "float");
    EXPECT_EQ(root->GetChild(2), nullptr);

    // Several top-level elements: the last one is the root.
    root = ParseText("<first/><second><x/></second>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "second");
    EXPECT_EQ(root->GetChildCount(), 1u);
}

TEST(ScriptParserTest, XmlErrorsAreReportedWithPosition) {
    LogCapture capture;
    EXPECT_EQ(ParseText("<demo>\n  <part>\n</demo>"), nullptr);
    EXPECT_EQ(ParseText(""), nullptr);
    EXPECT_EQ(ParseText(std::string("\x01\xff\x00<demo", 8)), nullptr);
    std::string text = capture.Text();
    EXPECT_EQ(text.find("ERROR: ScriptParser: XML parse error in  (row="), 0u) << text;
    EXPECT_NE(text.find("): Error reading end tag.\n"), std::string::npos) << text;
    EXPECT_NE(text.find("): Error document empty.\n"), std::string::npos) << text;
}

TEST(ScriptParserTest, DeepNestingIsRefusedBeforeParsing) {
    std::string ok, deep;
    for (int i = 0; i < ScriptParser::kMaxNestingDepth; ++i) ok += "<a x=\"/>\">";
    for (int i = 0; i < ScriptParser::kMaxNestingDepth; ++i) ok += "</a>";
    auto root = ParseText(ok);
    EXPECT_NE(root, nullptr);

    // Self-closing elements, comments and declarations do not count as levels.
    std::string flat = "<?xml version=\"1.0\"?><r>";
    for (int i = 0; i < 1000; ++i) flat += "<e/><!-- <x> --><![CDATA[<y>]]>";
    EXPECT_NE(ParseText(flat + "</r>"), nullptr);

    deep = "<demo>\n";
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    LogCapture capture;
    EXPECT_EQ(ParseText(deep), nullptr);
    // The first refused element is on the second line; positions are numbered like TinyXML's.
    EXPECT_EQ(capture.Text(), "ERROR: ScriptParser: XML parse error in  (row=3, col=" +
                                  std::to_string(255 * 3 + 2) + "): Elements nested too deeply.\n");
}

TEST(ScriptParserTest, IdsTimesAndInitEvents) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\">"
                     "  <part start=\"10\" end=\"50\">"
                     "    <part id=\"rel\" start=\"+2\" end=\"+5\"/>"
                     "    <part id=\"abs\" start=\"+2\" end=\"20\"/>"
                     "    <float id=\"inherit\"/>"
                     "  </part>"
                     "  <float/>"
                     "  <float id=\"bare\" start=\"1\" end=\"2\"/>"
                     "  <event id=\"Poke\" start=\"+3\" target=\"bare\" extra=\"1\"/>"
                     "</demo>"));
    ScriptObject* root = harness.Framework().GetRootObject();
    EXPECT_EQ(root->GetId(), "noname_0");
    ScriptObject* part = root->FindChild("noname_1");
    ASSERT_NE(part, nullptr);
    ScriptObject* rel = part->FindChild("rel");
    EXPECT_EQ(rel->GetStart(), 12.0f);
    EXPECT_EQ(rel->GetEnd(), 17.0f);
    EXPECT_EQ(part->FindChild("abs")->GetEnd(), 20.0f);
    EXPECT_EQ(part->FindChild("inherit")->GetStart(), 10.0f);
    EXPECT_EQ(part->FindChild("inherit")->GetEnd(), 50.0f);
    EXPECT_NE(root->FindChild("noname_2"), nullptr);
    // Elements with only id, start and end get no Init event.
    EXPECT_TRUE(root->FindChild("bare")->GetEvents().empty());
    ASSERT_EQ(root->GetEvents().size(), 1u);
    ScriptEvent* poke = root->GetEvents().begin()->second;
    EXPECT_EQ(poke->name, "Poke");
    EXPECT_EQ(poke->time, 3.0f);
    EXPECT_EQ(poke->target, "bare");
    EXPECT_EQ(poke->parameterNames, (std::vector<std::string>{"target", "extra"}));
}

TEST(ScriptParserTest, SetEventsLeaveTargetOutOfTheirValues) {
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load(
        "<demo end=\"10\"><part id=\"p\"><vector2 id=\"v\"/></part>"
        "<set target=\"p\" start=\"1\" v=\"3,4\"/><set start=\"1\" unnamed=\"1\" target=\"p\" v.x=\"5\"/>"
        "<event start=\"2\" target=\"p\"><float/></event></demo>"));
    ScriptObject* root = harness.Framework().GetRootObject();
    ASSERT_EQ(root->GetEvents().size(), 3u);
    auto it = root->GetEvents().begin();
    EXPECT_EQ(it->second->name, "Set");
    EXPECT_EQ(it->second->target, "p");
    EXPECT_EQ(it->second->parameterNames, std::vector<std::string>{"v"});
    ++it;
    EXPECT_EQ(it->second->parameterNames, (std::vector<std::string>{"unnamed", "v.x"}));
    ++it;
    // An unnamed event is named by its generated id; its children are not visited.
    EXPECT_EQ(it->second->name, "noname_3");
    EXPECT_EQ(root->FindObject("noname_4"), nullptr);
}

TEST(ScriptParserDeathTest, StructuralErrorsAreFatal) {
    struct Case {
        std::string xml;
        std::string message;
    } cases[] = {
        {"<demo end=\"1\"><demo/></demo>",
         "Script node: demo\\. This must be one and only root level object\\."},
        {"<part/>", "Script node: part\\. Invalid parent object\\."},
        {"<demo end=\"1\"><float><part/></float></demo>", "Script node: part\\. Invalid parent object\\."},
        {"<event/>", "Script node: event\\. Invalid parent object\\."},
        {"<set/>", "Script node set\\. Invalid parent object\\."},
        {"<float/>", "Script node float\\. Invalid parent object\\."},
        {"<demo end=\"1\"><gizmo/></demo>", "Script node gizmo\\. Create function not found\\."},
        {"<demo id=\"d\" end=\"1\"><float id=\"a\"/><float id=\"a\"/></demo>",
         "Object with the same id already defined: d\\.a"},
        {"<demo id=\"d\" end=\"1\"><part id=\"time\"/></demo>",
         "Object with the same id already defined: d\\.time"},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(BuildScript(c.xml), ::testing::ExitedWithCode(255), "ERROR: " + c.message + "\n")
            << c.xml;
    }
}

TEST(ScriptParserTest, StructuralErrorsAreReportedToTheBuilder) {
    DemoFramework framework("script.xml");
    ScriptParser parser;
    std::unique_ptr<ScriptNode> root(parser.Parse("<demo end=\"1\"><part/><gizmo/></demo>"));
    ASSERT_NE(root, nullptr);
    LogCapture capture;
    EXPECT_FALSE(framework.BuildObjectTree(root.get()));
    EXPECT_EQ(capture.Text(), "ERROR: Script node gizmo. Create function not found.\n");
    // The part built before the error belongs to the framework and is released with it.
    ASSERT_NE(framework.GetRootObject(), nullptr);
    EXPECT_NE(framework.GetRootObject()->FindChild("noname_1"), nullptr);
}

TEST(ScriptParserTest, MissingOrBrokenScriptFailsInit) {
    ScriptHarness harness;
    LogCapture capture;
    EXPECT_FALSE(harness.Load("<demo>"));
    EXPECT_NE(capture.Text().find("ERROR: Parsing demo script failed.\n"), std::string::npos);
    Loader loader;
    loader.LoadFromDataDirectory("/nonexistent-tatamix-dir/");
    ScopedGlobal<Loader> slot(GetLoader, SetLoader, &loader);
    DemoFramework framework("script.xml");
    EXPECT_FALSE(framework.Init());
    EXPECT_NE(capture.Text().find("ERROR: Loading demo script failed.\n"), std::string::npos);
}
