#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>

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

// A value of the named type, parsed from text ("" leaves the defaults).
std::unique_ptr<ScriptObject> Value(const std::string& type, const std::string& text = "") {
    using Maker = std::function<ScriptObject*()>;
    auto make = [](auto* tag) -> Maker {
        using T = std::remove_pointer_t<decltype(tag)>;
        return [] { return new T(nullptr, "v", nullptr, 0.0f, 10.0f, ACCESS_READ_WRITE); };
    };
    static const std::map<std::string, Maker> kTypes = {
        {"float", make((ScriptObjectFloat*)nullptr)},     {"integer", make((ScriptObjectInteger*)nullptr)},
        {"boolean", make((ScriptObjectBoolean*)nullptr)}, {"string", make((ScriptObjectString*)nullptr)},
        {"vector2", make((ScriptObjectVector2*)nullptr)}, {"vector3", make((ScriptObjectVector3*)nullptr)},
        {"vector4", make((ScriptObjectVector4*)nullptr)}, {"color3", make((ScriptObjectColor3*)nullptr)},
        {"color4", make((ScriptObjectColor4*)nullptr)}};
    std::unique_ptr<ScriptObject> value(kTypes.at(type)());
    if (!text.empty()) {
        EXPECT_TRUE(value->ParseValue(text)) << type << " " << text;
    }
    return value;
}

// The value as text: numbers for the numeric types, the string itself for strings.
std::string Text(ScriptObject* value) {
    switch (value->GetValueKind()) {
        case ScriptValueKind::Float:
            return ScriptValueUtil::Format("%g", static_cast<ScriptObjectFloat*>(value)->GetValue());
        case ScriptValueKind::Integer:
            return std::to_string(static_cast<ScriptObjectInteger*>(value)->GetValue());
        case ScriptValueKind::Boolean:
            return static_cast<ScriptObjectBoolean*>(value)->GetValue() ? "true" : "false";
        case ScriptValueKind::String:
            return static_cast<ScriptObjectString*>(value)->GetValue();
        default: {
            ScriptObjectFloat* c[4];
            const int n = ScriptValueUtil::GetComponents(value, c);
            std::string text;
            for (int i = 0; i < n; ++i) text += (i ? "," : "") + ScriptValueUtil::Format("%g", c[i]->GetValue());
            return text;
        }
    }
}

}  // namespace

TEST(ScriptValueTest, ParsingFollowsTheScanRules) {
    struct Case {
        const char* type;
        const char* before;  // "" = defaults
        const char* text;
        bool parses;
        const char* after;
    } cases[] = {
        {"float", "2.5", "  4.5xyz", true, "4.5"},
        {"float", "2.5", "", true, "2.5"},  // empty and blank text store nothing
        {"float", "2.5", "   ", true, "2.5"},
        {"float", "2.5", "abc", false, "2.5"},
        {"float", "2.5", ",1", false, "2.5"},
        // A number that is not finite would poison everything computed from it.
        {"float", "2.5", "nan", false, "2.5"},
        {"float", "2.5", "-inf", false, "2.5"},
        {"float", "2.5", "1e39", false, "2.5"},
        {"integer", "", " -42 apples", true, "-42"},
        {"integer", "", "7.9", true, "7"},
        {"integer", "", "x1", false, "0"},
        {"integer", "", "99999999999", true, "2147483647"},
        {"boolean", "", "true", true, "true"},
        {"boolean", "true", "0", true, "false"},
        {"boolean", "", "1", true, "true"},
        {"boolean", "", "TRUE", false, "false"},
        {"boolean", "", "true ", false, "false"},
        {"boolean", "", "", false, "false"},
        {"string", "", " any text, 1,2 ", true, " any text, 1,2 "},
        // A space after a comma is skipped by the number; a space before one stops the scan;
        // components the text does not reach keep their values.
        {"vector3", "", "1, 2, 3", true, "1,2,3"},
        {"vector3", "", "1 ,2,3", true, "1,0,0"},
        {"vector2", "", "4,5,6,7", true, "4,5"},
        {"vector4", "1,2,3,4", "9", true, "9,2,3,4"},
        {"vector4", "1,2,3,4", "1,0,0", true, "1,0,0,4"},
        {"vector4", "1,2,3,4", "red", false, "1,2,3,4"},
        {"vector4", "1,2,3,4", "5,nan", false, "1,2,3,4"},
        {"color4", "", "1,0,0", true, "1,0,0,1"},  // three numbers make an opaque colour
        {"color4", "", "1,0,0,0.5", true, "1,0,0,0.5"},
        {"color4", "0.1,0.2,0.3,0.4", "0.9,0.8", true, "0.9,0.8,0.3,0.4"},
        {"color3", "", "0.5,0.25,1", true, "0.5,0.25,1"},
    };
    for (const Case& c : cases) {
        auto value = Value(c.type, c.before);
        EXPECT_EQ(value->ParseValue(c.text), c.parses) << c.type << " \"" << c.text << "\"";
        EXPECT_EQ(Text(value.get()), c.after) << c.type << " \"" << c.text << "\"";
    }
}

TEST(ScriptValueTest, CopiesConvertBetweenTypes) {
    struct Case {
        const char* target;
        const char* source;
        const char* sourceText;
        const char* result;  // nullptr: the copy is refused
    } cases[] = {
        // Floats truncate toward zero into integers; out of range and NaN clamp.
        {"integer", "float", "2.9", "2"},
        {"integer", "float", "-2.9", "-2"},
        {"integer", "float", "1e20", "2147483647"},
        {"integer", "float", "-1e20", "-2147483648"},
        {"float", "string", "3.5 meters", "3.5"},
        {"float", "string", "meters", "0"},
        {"integer", "string", "12abc", "12"},
        {"float", "vector3", "7.5,8,9", "7.5"},
        {"integer", "color4", "-3.7,1,1,1", "-3"},
        {"float", "integer", "5", "5"},
        {"boolean", "boolean", "true", "true"},
        // Strings format every type.
        {"string", "integer", "-17", "-17"},
        {"string", "float", "0.5", "0.500000"},
        {"string", "vector2", "1,2", "(1.000000, 2.000000)"},
        {"string", "vector4", "1,2,3,4", "(1.000000, 2.000000, 3.000000, 4.000000)"},
        {"string", "color3", "1,0.5,0", "RGB(1.000000, 0.500000, 0.000000)"},
        {"string", "color4", "1,0.5,0", "RGBA(1.000000, 0.500000, 0.000000, 1.000000)"},
        // A scalar goes into x of a vector but into r, g and b of a colour; missing components
        // become 0, a colour's missing alpha 1.
        {"vector4", "float", "0.5", "0.5,0,0,0"},
        {"vector4", "vector2", "1,2", "1,2,0,0"},
        {"vector4", "color3", "0.1,0.2,0.3", "0.1,0.2,0.3,0"},
        {"color4", "float", "0.5", "0.5,0.5,0.5,1"},
        {"color4", "integer", "3", "3,3,3,1"},
        {"color4", "vector3", "1,2,3", "1,2,3,1"},
        {"color4", "vector4", "1,2,3,4", "1,2,3,4"},
        {"color3", "vector2", "1,2", "1,2,0"},
        {"color3", "color4", "0.1,0.2,0.3,0.4", "0.1,0.2,0.3"},
        {"vector3", "integer", "3", "3,0,0"},
        {"vector2", "color4", "0.1,0.2,0.3,0.4", "0.1,0.2"},
        // Booleans only copy from booleans, and strings only into strings and scalars.
        {"boolean", "integer", "1", nullptr},
        {"boolean", "string", "true", nullptr},
        {"float", "boolean", "true", nullptr},
        {"integer", "boolean", "true", nullptr},
        {"string", "boolean", "true", nullptr},
        {"vector3", "boolean", "true", nullptr},
        {"vector3", "string", "1,2,3", nullptr},
        {"color4", "string", "1,2,3", nullptr},
    };
    for (const Case& c : cases) {
        auto target = Value(c.target, c.target == std::string("string") || c.target == std::string("boolean")
                                          ? ""
                                          : (c.target[0] == 'c' || c.target[0] == 'v' ? "9,9,9,9" : "9"));
        auto source = Value(c.source, c.sourceText);
        const std::string before = Text(target.get());
        EXPECT_EQ(target->CopyFrom(source.get()), c.result != nullptr) << c.target << " <- " << c.source;
        EXPECT_EQ(Text(target.get()), c.result ? c.result : before) << c.target << " <- " << c.source;
    }
    // NaN clamps to 0; a huge float does not truncate the formatted text.
    auto f = Value("float");
    auto i = Value("integer");
    static_cast<ScriptObjectFloat*>(f.get())->SetValue(std::nanf(""));
    EXPECT_TRUE(i->CopyFrom(f.get()));
    EXPECT_EQ(Text(i.get()), "0");
    static_cast<ScriptObjectFloat*>(f.get())->SetValue(3e38f);
    auto s = Value("string");
    EXPECT_TRUE(s->CopyFrom(f.get()));
    EXPECT_GT(Text(s.get()).size(), 39u);
    EXPECT_EQ(Text(s.get()).substr(Text(s.get()).size() - 7), ".000000");
}

TEST(ScriptValueTest, ComponentsAreNamedFloatParameters) {
    auto c = Value("color4");
    ScriptObject* alpha = c->FindChild("a");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->GetTypeName(), "float");
    EXPECT_TRUE(alpha->IsParameter());
    EXPECT_EQ(alpha->GetParameterDescription(), "Alpha component of the RGBA color.");
    EXPECT_EQ(Value("vector3")->FindChild("w"), nullptr);
}
