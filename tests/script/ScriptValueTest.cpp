#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

namespace {

template <class T>
std::unique_ptr<T> Make() {
    return std::unique_ptr<T>(new T(nullptr, "v", nullptr, 0.0f, 10.0f, ACCESS_READ_WRITE));
}

template <class T>
std::unique_ptr<T> Parsed(const std::string& text) {
    auto value = Make<T>();
    EXPECT_TRUE(value->ParseValue(text)) << text;
    return value;
}

template <class T>
void ExpectComponents(const T& value, std::initializer_list<float> expected) {
    float out[4];
    value.GetValue(out);
    int i = 0;
    for (float e : expected) EXPECT_FLOAT_EQ(out[i++], e) << "component " << i - 1;
}

}  // namespace

TEST(ScriptValueTest, ScalarParsingFollowsScanRules) {
    auto f = Make<ScriptObjectFloat>();
    EXPECT_TRUE(f->ParseValue("  2.5xyz"));
    EXPECT_FLOAT_EQ(f->GetValue(), 2.5f);
    // Empty and blank text are accepted and store nothing.
    EXPECT_TRUE(f->ParseValue(""));
    EXPECT_TRUE(f->ParseValue("   "));
    EXPECT_FLOAT_EQ(f->GetValue(), 2.5f);
    EXPECT_FALSE(f->ParseValue("abc"));
    EXPECT_FALSE(f->ParseValue(",1"));
    // A number that is not finite would poison everything computed from it.
    for (const char* text : {"nan", "-inf", "infinity", "1e39", "NAN(1)"})
        EXPECT_FALSE(f->ParseValue(text)) << text;
    EXPECT_FLOAT_EQ(f->GetValue(), 2.5f);

    auto i = Make<ScriptObjectInteger>();
    EXPECT_TRUE(i->ParseValue(" -42 apples"));
    EXPECT_EQ(i->GetValue(), -42);
    EXPECT_TRUE(i->ParseValue("7.9"));
    EXPECT_EQ(i->GetValue(), 7);
    EXPECT_FALSE(i->ParseValue("x1"));
    EXPECT_TRUE(i->ParseValue("99999999999"));
    EXPECT_EQ(i->GetValue(), std::numeric_limits<int32_t>::max());

    auto b = Make<ScriptObjectBoolean>();
    EXPECT_TRUE(b->ParseValue("true"));
    EXPECT_TRUE(b->GetValue());
    EXPECT_TRUE(b->ParseValue("0"));
    EXPECT_FALSE(b->GetValue());
    EXPECT_TRUE(b->ParseValue("1"));
    EXPECT_TRUE(b->GetValue());
    EXPECT_FALSE(b->ParseValue("TRUE"));
    EXPECT_FALSE(b->ParseValue("true "));
    EXPECT_FALSE(b->ParseValue(""));

    auto s = Make<ScriptObjectString>();
    EXPECT_TRUE(s->ParseValue(" any text, 1,2 "));
    EXPECT_EQ(s->GetValue(), " any text, 1,2 ");
}

TEST(ScriptValueTest, VectorParsingStopsAtFirstMismatchAndKeepsUnreachedComponents) {
    ExpectComponents(*Parsed<ScriptObjectVector3>("1,2,3"), {1, 2, 3});
    // A space after a comma is skipped by the number; a space before a comma stops the scan.
    ExpectComponents(*Parsed<ScriptObjectVector3>("1, 2, 3"), {1, 2, 3});
    ExpectComponents(*Parsed<ScriptObjectVector3>("1 ,2,3"), {1, 0, 0});
    ExpectComponents(*Parsed<ScriptObjectVector2>("4,5,6,7"), {4, 5});

    auto v = Parsed<ScriptObjectVector4>("1,2,3,4");
    EXPECT_TRUE(v->ParseValue("9"));
    ExpectComponents(*v, {9, 2, 3, 4});
    EXPECT_TRUE(v->ParseValue("1,0,0"));
    ExpectComponents(*v, {1, 0, 0, 4});  // w keeps its previous value
    EXPECT_TRUE(v->ParseValue(""));
    ExpectComponents(*v, {1, 0, 0, 4});
    EXPECT_FALSE(v->ParseValue("red"));
    EXPECT_FALSE(v->ParseValue("1,nan"));
    ExpectComponents(*v, {1, 0, 0, 4});

    // Three numbers make an opaque colour, unlike vector4.
    ExpectComponents(*Parsed<ScriptObjectColor4>("1,0,0"), {1, 0, 0, 1});
    ExpectComponents(*Parsed<ScriptObjectColor4>("1,0,0,0.5"), {1, 0, 0, 0.5f});
    auto c = Parsed<ScriptObjectColor4>("0.1,0.2,0.3,0.4");
    EXPECT_TRUE(c->ParseValue("0.9,0.8"));
    ExpectComponents(*c, {0.9f, 0.8f, 0.3f, 0.4f});
    ExpectComponents(*Parsed<ScriptObjectColor3>("0.5,0.25,1"), {0.5f, 0.25f, 1});
}

TEST(ScriptValueTest, ScalarCopiesConvertAndRefuseBooleans) {
    auto f = Make<ScriptObjectFloat>();
    auto i = Make<ScriptObjectInteger>();
    auto s = Make<ScriptObjectString>();
    auto b = Make<ScriptObjectBoolean>();
    auto v3 = Parsed<ScriptObjectVector3>("7.5,8,9");
    auto c4 = Parsed<ScriptObjectColor4>("-3.7,1,1,1");

    f->SetValue(2.9f);
    EXPECT_TRUE(i->CopyFrom(f.get()));
    EXPECT_EQ(i->GetValue(), 2);
    f->SetValue(-2.9f);
    EXPECT_TRUE(i->CopyFrom(f.get()));
    EXPECT_EQ(i->GetValue(), -2);
    // Out-of-range and NaN floats clamp instead of overflowing.
    f->SetValue(1e20f);
    EXPECT_TRUE(i->CopyFrom(f.get()));
    EXPECT_EQ(i->GetValue(), std::numeric_limits<int32_t>::max());
    f->SetValue(-1e20f);
    EXPECT_TRUE(i->CopyFrom(f.get()));
    EXPECT_EQ(i->GetValue(), std::numeric_limits<int32_t>::min());
    f->SetValue(std::nanf(""));
    EXPECT_TRUE(i->CopyFrom(f.get()));
    EXPECT_EQ(i->GetValue(), 0);

    s->SetValue("3.5 meters");
    EXPECT_TRUE(f->CopyFrom(s.get()));
    EXPECT_FLOAT_EQ(f->GetValue(), 3.5f);
    s->SetValue("meters");
    EXPECT_TRUE(f->CopyFrom(s.get()));
    EXPECT_FLOAT_EQ(f->GetValue(), 0.0f);
    s->SetValue("12abc");
    EXPECT_TRUE(i->CopyFrom(s.get()));
    EXPECT_EQ(i->GetValue(), 12);

    EXPECT_TRUE(f->CopyFrom(v3.get()));
    EXPECT_FLOAT_EQ(f->GetValue(), 7.5f);
    EXPECT_TRUE(i->CopyFrom(c4.get()));
    EXPECT_EQ(i->GetValue(), -3);
    i->SetValue(5);
    EXPECT_TRUE(f->CopyFrom(i.get()));
    EXPECT_FLOAT_EQ(f->GetValue(), 5.0f);

    auto other = Make<ScriptObjectBoolean>();
    other->SetValue(true);
    EXPECT_TRUE(b->CopyFrom(other.get()));
    EXPECT_TRUE(b->GetValue());
    EXPECT_FALSE(b->CopyFrom(i.get()));
    EXPECT_FALSE(b->CopyFrom(s.get()));
    EXPECT_FALSE(f->CopyFrom(b.get()));
    EXPECT_FALSE(i->CopyFrom(b.get()));
    EXPECT_FALSE(s->CopyFrom(b.get()));
    EXPECT_FALSE(v3->CopyFrom(b.get()));
    EXPECT_FALSE(v3->CopyFrom(s.get()));
    EXPECT_FALSE(c4->CopyFrom(s.get()));
}

TEST(ScriptValueTest, StringCopiesFormatEveryType) {
    auto s = Make<ScriptObjectString>();
    auto i = Make<ScriptObjectInteger>();
    i->SetValue(-17);
    EXPECT_TRUE(s->CopyFrom(i.get()));
    EXPECT_EQ(s->GetValue(), "-17");
    auto f = Make<ScriptObjectFloat>();
    f->SetValue(0.5f);
    EXPECT_TRUE(s->CopyFrom(f.get()));
    EXPECT_EQ(s->GetValue(), "0.500000");
    EXPECT_TRUE(s->CopyFrom(Parsed<ScriptObjectVector2>("1,2").get()));
    EXPECT_EQ(s->GetValue(), "(1.000000, 2.000000)");
    EXPECT_TRUE(s->CopyFrom(Parsed<ScriptObjectVector3>("1,2,3").get()));
    EXPECT_EQ(s->GetValue(), "(1.000000, 2.000000, 3.000000)");
    EXPECT_TRUE(s->CopyFrom(Parsed<ScriptObjectVector4>("1,2,3,4").get()));
    EXPECT_EQ(s->GetValue(), "(1.000000, 2.000000, 3.000000, 4.000000)");
    EXPECT_TRUE(s->CopyFrom(Parsed<ScriptObjectColor3>("1,0.5,0").get()));
    EXPECT_EQ(s->GetValue(), "RGB(1.000000, 0.500000, 0.000000)");
    EXPECT_TRUE(s->CopyFrom(Parsed<ScriptObjectColor4>("1,0.5,0").get()));
    EXPECT_EQ(s->GetValue(), "RGBA(1.000000, 0.500000, 0.000000, 1.000000)");
    // Huge values do not truncate the text.
    f->SetValue(3e38f);
    EXPECT_TRUE(s->CopyFrom(f.get()));
    EXPECT_EQ(s->GetValue().substr(s->GetValue().size() - 7), ".000000");
    EXPECT_GT(s->GetValue().size(), 39u);
}

TEST(ScriptValueTest, VectorAndColourCopiesFillDifferently) {
    auto scalar = Make<ScriptObjectFloat>();
    scalar->SetValue(0.5f);
    auto integer = Make<ScriptObjectInteger>();
    integer->SetValue(3);
    auto v2 = Parsed<ScriptObjectVector2>("1,2");
    auto v3 = Parsed<ScriptObjectVector3>("1,2,3");
    auto v4 = Parsed<ScriptObjectVector4>("1,2,3,4");
    auto c3 = Parsed<ScriptObjectColor3>("0.1,0.2,0.3");
    auto c4 = Parsed<ScriptObjectColor4>("0.1,0.2,0.3,0.4");

    auto tv4 = Parsed<ScriptObjectVector4>("9,9,9,9");
    EXPECT_TRUE(tv4->CopyFrom(scalar.get()));
    ExpectComponents(*tv4, {0.5f, 0, 0, 0});
    EXPECT_TRUE(tv4->CopyFrom(v2.get()));
    ExpectComponents(*tv4, {1, 2, 0, 0});
    EXPECT_TRUE(tv4->CopyFrom(c3.get()));
    ExpectComponents(*tv4, {0.1f, 0.2f, 0.3f, 0});
    EXPECT_TRUE(tv4->CopyFrom(c4.get()));
    ExpectComponents(*tv4, {0.1f, 0.2f, 0.3f, 0.4f});

    auto tc4 = Parsed<ScriptObjectColor4>("9,9,9,9");
    EXPECT_TRUE(tc4->CopyFrom(scalar.get()));
    ExpectComponents(*tc4, {0.5f, 0.5f, 0.5f, 1});
    EXPECT_TRUE(tc4->CopyFrom(integer.get()));
    ExpectComponents(*tc4, {3, 3, 3, 1});
    EXPECT_TRUE(tc4->CopyFrom(v2.get()));
    ExpectComponents(*tc4, {1, 2, 0, 1});
    EXPECT_TRUE(tc4->CopyFrom(v3.get()));
    ExpectComponents(*tc4, {1, 2, 3, 1});
    EXPECT_TRUE(tc4->CopyFrom(v4.get()));
    ExpectComponents(*tc4, {1, 2, 3, 4});

    auto tc3 = Parsed<ScriptObjectColor3>("9,9,9");
    EXPECT_TRUE(tc3->CopyFrom(scalar.get()));
    ExpectComponents(*tc3, {0.5f, 0.5f, 0.5f});
    EXPECT_TRUE(tc3->CopyFrom(v2.get()));
    ExpectComponents(*tc3, {1, 2, 0});
    EXPECT_TRUE(tc3->CopyFrom(c4.get()));
    ExpectComponents(*tc3, {0.1f, 0.2f, 0.3f});

    auto tv3 = Parsed<ScriptObjectVector3>("9,9,9");
    EXPECT_TRUE(tv3->CopyFrom(integer.get()));
    ExpectComponents(*tv3, {3, 0, 0});
    EXPECT_TRUE(tv3->CopyFrom(v4.get()));
    ExpectComponents(*tv3, {1, 2, 3});
    EXPECT_TRUE(tv3->CopyFrom(v2.get()));
    ExpectComponents(*tv3, {1, 2, 0});

    auto tv2 = Parsed<ScriptObjectVector2>("9,9");
    EXPECT_TRUE(tv2->CopyFrom(c4.get()));
    ExpectComponents(*tv2, {0.1f, 0.2f});
    EXPECT_TRUE(tv2->CopyFrom(scalar.get()));
    ExpectComponents(*tv2, {0.5f, 0});
}

TEST(ScriptValueTest, ComponentsAreNamedFloatParameters) {
    auto c = Make<ScriptObjectColor4>();
    ScriptObject* alpha = c->FindChild("a");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->GetTypeName(), "float");
    EXPECT_TRUE(alpha->IsParameter());
    EXPECT_EQ(alpha->GetParameterDescription(), "Alpha component of the RGBA color.");
    auto v = Make<ScriptObjectVector3>();
    EXPECT_EQ(v->FindChild("z")->GetParameterDescription(), "Z component of the vector.");
    EXPECT_EQ(v->GetDescription(), "3 dimensional vector data type.");
    EXPECT_EQ(v->FindChild("w"), nullptr);
}
