#include <gtest/gtest.h>

#include <cmath>

#include "ScriptTestSupport.h"
#include "base/Random.h"

namespace {

struct Out {
    float v[4];
};

Out Evaluate(const std::string& element) {
    ScriptHarness harness;
    Out out{};
    if (!harness.Load("<demo end=\"10\">" + element + "</demo>")) return out;
    harness.Step(0.0f);
    harness.Vector("f.out", out.v, 4);
    return out;
}

}  // namespace

TEST(FunctionObjectTest, ArithmeticAndTheWRules) {
    Out add = Evaluate("<func_add id=\"f\" a=\"1,2,3,4\" b=\"10,20,30,40\"/>");
    EXPECT_FLOAT_EQ(add.v[0], 11.0f);
    EXPECT_FLOAT_EQ(add.v[1], 22.0f);
    EXPECT_FLOAT_EQ(add.v[2], 33.0f);
    EXPECT_FLOAT_EQ(add.v[3], 1.0f);

    Out sub = Evaluate("<func_sub id=\"f\" a=\"1,2,3,4\" b=\"10,20,30,40\"/>");
    EXPECT_FLOAT_EQ(sub.v[0], -9.0f);
    EXPECT_FLOAT_EQ(sub.v[2], -27.0f);
    EXPECT_FLOAT_EQ(sub.v[3], 1.0f);

    Out mul = Evaluate("<func_mul id=\"f\" a=\"1,2,3,4\" b=\"10,20,30,40\"/>");
    EXPECT_FLOAT_EQ(mul.v[1], 40.0f);
    EXPECT_FLOAT_EQ(mul.v[3], 160.0f);

    Out div = Evaluate("<func_div id=\"f\" a=\"1,1,1,2\" b=\"0,2,4,3\"/>");
    EXPECT_TRUE(std::isinf(div.v[0]) && div.v[0] > 0);
    EXPECT_FLOAT_EQ(div.v[1], 0.5f);
    EXPECT_FLOAT_EQ(div.v[2], 0.25f);
    EXPECT_FLOAT_EQ(div.v[3], 6.0f);
    Out nan = Evaluate("<func_div id=\"f\" a=\"0\" b=\"0\"/>");
    EXPECT_TRUE(std::isnan(nan.v[0]));

    Out sin = Evaluate("<func_sin id=\"f\" a=\"0,1.5707963,3.1415927,0\"/>");
    EXPECT_NEAR(sin.v[0], 0.0f, 1e-6f);
    EXPECT_NEAR(sin.v[1], 1.0f, 1e-6f);
    EXPECT_NEAR(sin.v[2], 0.0f, 1e-6f);
    EXPECT_NEAR(sin.v[3], 0.0f, 1e-6f);

    Out cos = Evaluate("<func_cos id=\"f\" a=\"0,3.1415927,0,1.5707963\"/>");
    EXPECT_NEAR(cos.v[0], 1.0f, 1e-6f);
    EXPECT_NEAR(cos.v[1], -1.0f, 1e-6f);
    EXPECT_NEAR(cos.v[3], 0.0f, 1e-6f);

    Out lerp = Evaluate("<func_lerp id=\"f\" a=\"0,10,-2,1\" b=\"10,20,2,3\" t=\"0.5,0,1,2\"/>");
    EXPECT_FLOAT_EQ(lerp.v[0], 5.0f);
    EXPECT_FLOAT_EQ(lerp.v[1], 10.0f);
    EXPECT_FLOAT_EQ(lerp.v[2], 2.0f);
    EXPECT_FLOAT_EQ(lerp.v[3], 5.0f);
}

TEST(FunctionObjectTest, ChainsOfReferencesAndInactiveOutputs) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"10\">"
                     "  <vector4 id=\"k\" x=\"2\" y=\"3\"/>"
                     "  <func_mul id=\"m\" end=\"5\" a=\"*k\" b=\"4,4,4,4\"/>"
                     "  <func_add id=\"f\" a=\"*m.out\" b=\"1,1,1,1\"/>"
                     "  <set start=\"1\" k.x=\"3\"/>"
                     "</demo>"));
    float out[4];
    harness.Step(0.0f);
    harness.Vector("f.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 9.0f);
    EXPECT_FLOAT_EQ(out[1], 13.0f);
    EXPECT_EQ(harness.Find("m")->GetTypeName(), "func_mul");
    harness.Step(1.0f);
    harness.Step(1.1f);
    harness.Vector("f.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 13.0f);
    // Once "m" is inactive its output stays and "f" keeps copying it.
    harness.Step(6.0f);
    harness.Step(7.0f);
    harness.Vector("f.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 13.0f);
}

TEST(FunctionObjectTest, RandomDrawsWZYXFromTheProgramGenerator) {
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load("<demo end=\"10\"><func_rand id=\"f\"/></demo>"));
    RandomSeed(1);
    // Draws: 41, 18467 | 6334, 26500 | 19169, 15724 | 11478, 29358 (w, z, y, x).
    harness.Step(0.0f);
    float out[4];
    harness.Vector("f.out", out, 4);
    EXPECT_FLOAT_EQ(out[3], (41.0f * 32767.0f + 18467.0f) * 9.3137942e-10f);
    EXPECT_FLOAT_EQ(out[2], (6334.0f * 32767.0f + 26500.0f) * 9.3137942e-10f);
    EXPECT_FLOAT_EQ(out[0], (11478.0f * 32767.0f + 29358.0f) * 9.3137942e-10f);
    float before = out[0];
    harness.Step(0.1f);
    harness.Vector("f.out", out, 4);
    EXPECT_NE(out[0], before);
    for (float v : out) EXPECT_TRUE(v >= 0.0f && v <= 1.00004f);
}
