#include <gtest/gtest.h>

#include <memory>

#include "ScriptTestSupport.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectVector2.h"

namespace {

// Records the hooks the timeline calls, in order.
class Recorder : public ScriptObject {
public:
    Recorder(std::vector<std::string>* log, const std::string& id, float start, float end)
        : ScriptObject(nullptr, id, "recorder", nullptr, start, end, ACCESS_READ_WRITE), m_log(log) {}
    void Activate() override { m_log->push_back(m_id + ":Activate"); }
    void Deactivate() override { m_log->push_back(m_id + ":Deactivate"); }
    void HandleEvent(ScriptEvent* event) override { m_log->push_back(m_id + ":" + event->name); }
    void Update() override { m_log->push_back(m_id + ":Update"); }

private:
    std::vector<std::string>* m_log;
};

std::string Literal(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
        out += c;
    }
    return out;
}

// Builds and runs a script to time 1; the fatal paths end inside.
void RunScript(const std::string& body) {
    ScriptHarness harness;
    if (!harness.Load("<demo end=\"10\">" + body + "</demo>")) return;
    harness.Step(0.0f);
    harness.Step(1.0f);
}

}  // namespace

TEST(ScriptObjectTest, ActivationEdgesChildrenFirstAndDeactivationLast) {
    std::vector<std::string> log;
    Recorder root(&log, "root", 0.0f, 10.0f);
    auto* child = new Recorder(&log, "child", 2.0f, 4.0f);
    root.AddChild(child);

    root.UpdateObject(1.0f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"root:Activate", "root:Update"}));
    log.clear();
    root.UpdateObject(2.0f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"child:Activate", "child:Update", "root:Update"}));
    log.clear();
    root.UpdateObject(4.0f, 0.1f);  // end is exclusive: the last step of the child
    EXPECT_EQ(log, (std::vector<std::string>{"child:Update", "child:Deactivate", "root:Update"}));
    log.clear();
    root.UpdateObject(5.0f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"root:Update"}));
    log.clear();
    // Time going back re-enters the child's range.
    root.UpdateObject(3.0f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"child:Activate", "child:Update", "root:Update"}));
    log.clear();
    root.UpdateObject(11.0f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"child:Update", "child:Deactivate", "root:Update",
                                             "root:Deactivate"}));
    log.clear();
    root.UpdateObject(12.0f, 0.1f);
    EXPECT_TRUE(log.empty());
}

TEST(ScriptObjectTest, ClampingAndEmptyRanges) {
    std::vector<std::string> log;
    Recorder root(&log, "root", 5.0f, 10.0f);
    auto* early = new Recorder(&log, "early", 1.0f, 20.0f);
    auto* inverted = new Recorder(&log, "inverted", 7.0f, 3.0f);
    auto* grandchild = new Recorder(&log, "grandchild", 7.0f, 8.0f);
    LogCapture capture;
    root.AddChild(early);
    root.AddChild(inverted);
    inverted->AddChild(grandchild);
    EXPECT_EQ(capture.Text(),
              "WARNING: Object start time adjusted to parent start time.\n"
              "WARNING: Object end time adjusted to parent end time.\n"
              "WARNING: Object end time adjusted to parent end time.\n");
    EXPECT_EQ(early->GetStart(), 5.0f);
    EXPECT_EQ(early->GetEnd(), 10.0f);
    EXPECT_EQ(inverted->GetEnd(), 7.0f);

    auto* event = new ScriptEvent(7.0f, "", "Start");
    inverted->AddEvent(event);
    for (float t = 5.0f; t < 11.0f; t += 0.5f) root.UpdateObject(t, 0.5f);
    // start = end: never active, never receives events, its subtree is never stepped.
    for (const std::string& line : log) {
        EXPECT_EQ(line.find("inverted"), std::string::npos) << line;
        EXPECT_EQ(line.find("grandchild"), std::string::npos) << line;
    }

    auto* late = new ScriptEvent(50.0f, "", "Late");
    auto* soon = new ScriptEvent(-1.0f, "", "Soon");
    root.AddEvent(late);
    root.AddEvent(soon);
    EXPECT_EQ(late->time, 10.0f);
    EXPECT_EQ(soon->time, 5.0f);
    EXPECT_NE(capture.Text().find("WARNING: Event time adjusted to parent end time.\n"), std::string::npos);
    EXPECT_NE(capture.Text().find("WARNING: Event time adjusted to parent start time.\n"), std::string::npos);
}

TEST(ScriptObjectTest, EventsInTimeOrderOnceEvenWhenTimeGoesBack) {
    std::vector<std::string> log;
    Recorder root(&log, "root", 0.0f, 10.0f);
    root.AddEvent(new ScriptEvent(3.0f, "", "C"));
    root.AddEvent(new ScriptEvent(1.0f, "", "A"));
    root.AddEvent(new ScriptEvent(3.0f, "", "D"));
    root.AddEvent(new ScriptEvent(1.0f, "", "B"));
    root.AddEvent(new ScriptEvent(10.0f, "", "AtEnd"));
    root.UpdateObject(0.5f, 0.1f);
    log.clear();
    root.UpdateObject(5.0f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"root:A", "root:B", "root:C", "root:D", "root:Update"}));
    log.clear();
    root.UpdateObject(0.5f, 0.1f);
    root.UpdateObject(5.0f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"root:Update", "root:Update"}));
    log.clear();
    // An event clamped to the end is delivered on the deactivation frame.
    root.UpdateObject(10.5f, 0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"root:AtEnd", "root:Update", "root:Deactivate"}));
}

TEST(ScriptObjectTest, NameLookupSearchesDescendantsThenAncestors) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo id=\"show\" end=\"10\">"
                     "  <part id=\"a\"><part id=\"deep\"><vector2 id=\"v\"/></part></part>"
                     "  <part id=\"b\"><vector2 id=\"v\"/><float id=\"only\"/></part>"
                     "</demo>"));
    ScriptObject* root = harness.Framework().GetRootObject();
    ScriptObject* deep = root->FindObject("a.deep");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->FindObject("v"), deep->FindChild("v"));
    // A sibling of an ancestor by its plain id; paths start at some ancestor's child.
    EXPECT_EQ(deep->FindObject("b"), root->FindChild("b"));
    ScriptObject* only = deep->FindObject("b.only");
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(only->GetParent()->GetId(), "b");
    EXPECT_EQ(deep->FindObject("only"), nullptr);
    EXPECT_EQ(deep->FindObject("show.b.v.y"), root->FindChild("b.v.y"));
    EXPECT_EQ(root->FindObject("show"), root);
    EXPECT_EQ(root->FindChild("show"), nullptr);
    EXPECT_EQ(deep->FindObject("b.v.q"), nullptr);
    // A first match whose subtree lacks the rest does not stop the search.
    EXPECT_NE(root->FindChild("b.only"), nullptr);
    EXPECT_EQ(deep->FindObject("nothing"), nullptr);
}

TEST(ScriptObjectTest, CopiesAndReferences) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"10\">"
                     "  <part id=\"p\" start=\"0\" end=\"2\"><vector2 id=\"src\" x=\"1\" y=\"2\"/></part>"
                     "  <vector2 id=\"copy\" x=\"$p.src.x\"/>"
                     "  <vector2 id=\"ref\"/>"
                     "  <set start=\"0.5\" ref=\"*p.src\"/>"
                     "  <set start=\"1.5\" copy=\"$p.src\"/>"
                     "</demo>"));
    harness.Step(0.0f);
    float v[2];
    harness.Vector("copy", v, 2);
    EXPECT_EQ(v[0], 1.0f);
    harness.Step(0.6f);
    harness.Vector("ref", v, 2);
    EXPECT_EQ(v[0], 1.0f);
    EXPECT_EQ(v[1], 2.0f);
    EXPECT_EQ(harness.Find("ref")->GetReference(), harness.Find("p.src"));

    auto* src = static_cast<ScriptObjectVector2*>(harness.Find("p.src"));
    src->SetValue(5.0f, 6.0f);
    harness.Step(1.6f);
    harness.Vector("copy", v, 2);
    EXPECT_EQ(v[1], 6.0f);
    EXPECT_EQ(harness.Find("copy")->GetReference(), nullptr);
    // The source is inactive after 2 but the reference keeps copying.
    harness.Step(3.0f);
    EXPECT_FALSE(src->IsActive());
    src->SetValue(7.0f, 8.0f);
    harness.Step(4.0f);
    harness.Vector("ref", v, 2);
    EXPECT_EQ(v[0], 7.0f);
    EXPECT_EQ(v[1], 8.0f);
    harness.Vector("copy", v, 2);
    EXPECT_EQ(v[0], 5.0f);
}

TEST(ScriptObjectTest, MissingEventTargetIsLoggedAndSkipped) {
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load(
        "<demo end=\"10\"><vector2 id=\"v\"/>"
        "<event id=\"Play\" target=\"nowhere\" start=\"1\"/><set start=\"1\" v=\"3,4\"/></demo>"));
    LogCapture capture;
    harness.Step(0.0f);
    harness.Step(1.0f);
    EXPECT_NE(
        capture.Text().find("ERROR: ScriptObject::UpdateObject(): Event target not found: \"nowhere\"\n"),
        std::string::npos);
    float v[2];
    harness.Vector("v", v, 2);
    EXPECT_EQ(v[1], 4.0f);
}

TEST(ScriptObjectTest, DebugAndHelpEventsPrintStateAndHelp) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"10\"><vector2 id=\"v\" start=\"1\" x=\"1\"/>"
                     "<event id=\"debug\" target=\"v\" start=\"2\"/>"
                     "<event id=\"help\" target=\"v\" start=\"2\"/></demo>"));
    LogCapture capture;
    harness.Step(2.0f);
    // The help text's layout is checked against the README by the script-help e2e test.
    const std::string text = capture.Text();
    EXPECT_EQ(text.substr(0, text.find("Script object help: vector2\n")),
              "---\n"
              "\"v\" (vector2) [1.000-10.000]\n"
              "    1.000: Init (x=\"1\")\n"
              "    \"x\" (float) [1.000-10.000]\n"
              "    \"y\" (float) [1.000-10.000]\n"
              "---\n"
              "---\n");
}

TEST(ScriptObjectTest, EventLinesAreTraced) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"10\"><vector2 id=\"v\" x=\"1\" y=\"2\"/>"
                     "<event id=\"Bang\" start=\"1\"/></demo>"));
    LogCapture capture(LogCapture::kAllLevels);
    harness.Step(0.0f);
    harness.Step(1.25f);
    std::string text = capture.Text();
    EXPECT_NE(text.find("0.000 : v (vector2) : Activate\n"), std::string::npos);
    EXPECT_NE(text.find("0.000 : v (vector2) : Event: Init (x=\"1\", y=\"2\")\n"), std::string::npos);
    EXPECT_NE(text.find("1.250 : noname_0 (demo) : Event: Bang \n"), std::string::npos);
    EXPECT_EQ(harness.Find("v")->GetLastEventText(), "0.000 : v (vector2) : Event: Init (x=\"1\", y=\"2\")");
}

TEST(ScriptObjectDeathTest, AssignmentFailuresAreFatal) {
    const std::string prefix = "ScriptObject::AssignValue\\(\\): ";
    struct Case {
        std::string body;
        std::string message;
    } cases[] = {
        {"<float id=\"f\" nothere=\"1\"/>", "Target child object not found: \"nothere\""},
        {"<set start=\"1\" nothere=\"1\"/>", "Target object not found: \"nothere\""},
        {"<part id=\"p\" time=\"3\"/>", "Target object is read-only: \"time\""},
        {"<envelope id=\"e\"/><set start=\"1\" e.interpolation=\"linear\"/>",
         "Target object is init-only: \"e.interpolation\""},
        {"<float id=\"late\" start=\"5\"/><set start=\"1\" late=\"2\"/>",
         "Target object is not active: \"late\""},
        {"<vector2 id=\"v\" x=\"$nothere\"/>", "Source object not found: \"$nothere\""},
        {"<vector2 id=\"v\" x=\"$v\"/>", "Cannot assing from self."},
        {"<float id=\"late\" start=\"5\"/><vector2 id=\"v\" x=\"$late\"/>",
         "Cannot assing from inactive object (late)."},
        {"<boolean id=\"b\"/><vector2 id=\"v\" x=\"$b\"/>",
         "Source object type (boolean) is not accepted by the target (float)."},
        {"<vector2 id=\"v\" x=\"*nothere\"/>", "Reference object not found: \"*nothere\""},
        {"<vector2 id=\"v\" x=\"*v\"/>", "Cannot reference to self."},
        {"<float id=\"late\" start=\"5\"/><vector2 id=\"v\" x=\"*late\"/>",
         "Cannot refference to inactive object (late)."},
        {"<boolean id=\"b\"/><vector2 id=\"v\" x=\"*b\"/>",
         "Referenced object type (boolean) is not accepted by the target (float)."},
        {"<vector2 id=\"v\" x=\"abc\"/>", "Value could not be parsed by the target object (float)."},
        {"<boolean id=\"b\"/><set start=\"1\" b=\"TRUE\"/>",
         "Value could not be parsed by the target object (boolean)."},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(RunScript(c.body), ::testing::ExitedWithCode(255), prefix + Literal(c.message) + "\n")
            << c.body;
    }
    // The event line being delivered is printed first.
    EXPECT_EXIT(RunScript("<vector2 id=\"v\" start=\"1\" x=\"abc\"/>"), ::testing::ExitedWithCode(255),
                "ERROR: 1\\.000 : v \\(vector2\\) : Event: Init \\(x=\"abc\"\\)\nERROR: " + prefix);
    // With no event logged yet the context line is empty.
    EXPECT_EXIT(
        {
            ScriptObjectFloat f(nullptr, "f", nullptr, 0.0f, 1.0f, ACCESS_READ_WRITE);
            f.AssignValue(true, "x", "1", false);
        },
        ::testing::ExitedWithCode(255), "ERROR: \nERROR: " + prefix + "Target child object not found");
}

TEST(ScriptObjectTest, InitOnlyParametersAcceptInit) {
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load("<demo end=\"10\"><envelope id=\"e\" interpolation=\"linear\"/></demo>"));
    harness.Step(0.0f);
    ScriptObject* e = harness.Find("e");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetLastEventText(), "0.000 : e (envelope) : Event: Init (interpolation=\"linear\")");
}
