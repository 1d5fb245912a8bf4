#include <gtest/gtest.h>

#include <cmath>

#include "ScriptTestSupport.h"
#include "script/EnvelopeChannel.h"
#include "script/EnvelopeKey.h"
#include "script/ScriptObjectEnvelope.h"

namespace {

float EvalPost(float firstTime, uint32_t post, float t) {
    EnvelopeChannel channel;
    channel.AddKey(firstTime, 0.0f, EnvelopeChannel::SHAPE_LINEAR);
    channel.AddKey(10.0f, 10.0f, EnvelopeChannel::SHAPE_LINEAR);
    channel.postBehavior = post;
    return channel.Evaluate(t);
}

}  // namespace

TEST(EnvelopeTest, BehavioursOutsideTheKeys) {
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_CONSTANT, 5.0f), 5.0f);
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_CONSTANT, 12.0f), 10.0f);
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_REPEAT, 12.0f), 2.0f);
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_OFFSET_REPEAT, 12.0f), 12.0f);
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_LINEAR, 12.0f), 12.0f);
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_RESET, 12.0f), 0.0f);
    // Span 8 from a first key at 2: 12 maps to 2 + 12 - 8 * floor(1.5) = 6, value 6 * 10/8.
    EXPECT_FLOAT_EQ(EvalPost(2, EnvelopeChannel::BEHAVIOR_REPEAT, 12.0f), 5.0f);
    // Oscillate: 15 wraps to 5 with an odd cycle count and mirrors; 25 wraps with an even one.
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_OSCILLATE, 15.0f), 5.0f);
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_OSCILLATE, 17.0f), 3.0f);
    EXPECT_FLOAT_EQ(EvalPost(0, EnvelopeChannel::BEHAVIOR_OSCILLATE, 27.0f), 7.0f);

    EnvelopeChannel channel;
    channel.AddKey(0.0f, 0.0f, EnvelopeChannel::SHAPE_LINEAR);
    channel.AddKey(10.0f, 10.0f, EnvelopeChannel::SHAPE_LINEAR);
    channel.preBehavior = EnvelopeChannel::BEHAVIOR_LINEAR;
    EXPECT_FLOAT_EQ(channel.Evaluate(-3.0f), -3.0f);
    channel.preBehavior = EnvelopeChannel::BEHAVIOR_CONSTANT;
    EXPECT_FLOAT_EQ(channel.Evaluate(-3.0f), 0.0f);
    channel.preBehavior = EnvelopeChannel::BEHAVIOR_OFFSET_REPEAT;
    EXPECT_FLOAT_EQ(channel.Evaluate(-3.0f), -3.0f);
    // Infinite times do not crash or overflow the cycle count.
    channel.postBehavior = EnvelopeChannel::BEHAVIOR_OFFSET_REPEAT;
    channel.Evaluate(INFINITY);
    channel.Evaluate(1e30f);
    channel.postBehavior = EnvelopeChannel::BEHAVIOR_OSCILLATE;
    channel.Evaluate(std::nanf(""));
}

TEST(EnvelopeTest, SpansByShape) {
    EnvelopeChannel channel;
    EXPECT_EQ(channel.Evaluate(3.0f), 0.0f);
    channel.AddKey(0.0f, 1.0f, EnvelopeChannel::SHAPE_SPLINE);
    EXPECT_EQ(channel.Evaluate(-5.0f), 1.0f);  // one key: its value everywhere
    uint32_t step = channel.AddKey(2.0f, 5.0f, EnvelopeChannel::SHAPE_CONSTANT);
    uint32_t spline = channel.AddKey(4.0f, 3.0f, EnvelopeChannel::SHAPE_SPLINE);
    channel.AddKey(6.0f, 3.0f, EnvelopeChannel::SHAPE_SPLINE);
    EXPECT_EQ(step, 2u);
    EXPECT_EQ(spline, 3u);
    // A constant key holds the previous value across the span ending at it.
    EXPECT_FLOAT_EQ(channel.Evaluate(1.9f), 1.0f);
    EXPECT_FLOAT_EQ(channel.Evaluate(2.0f), 5.0f);
    // Spline from (2,5) to (4,3): outgoing of a constant key is 0, incoming at key 3 is
    // (4-2)/(6-2) * ((3-3) + (3-5)) = -1; u = 0.5: h1 = h2 = 0.5, h4 = -0.125.
    EXPECT_FLOAT_EQ(channel.Evaluate(3.0f), 0.5f * 5.0f + 0.5f * 3.0f + -0.125f * -1.0f);
    channel.SetKey(spline, 4.0f, 3.0f, EnvelopeChannel::SHAPE_LINEAR);
    EXPECT_FLOAT_EQ(channel.Evaluate(3.0f), 4.0f);
    channel.RemoveKey(step);
    EXPECT_FLOAT_EQ(channel.Evaluate(2.0f), 2.0f);
    channel.RemoveKey(1);
    channel.RemoveKey(4);
    EXPECT_EQ(channel.GetFirstKey(), channel.GetLastKey());
    EXPECT_FLOAT_EQ(channel.Evaluate(100.0f), 3.0f);
    channel.RemoveKey(99);
    channel.RemoveKey(3);
    EXPECT_EQ(channel.GetFirstKey(), nullptr);
    EXPECT_EQ(channel.AddKey(1.0f, 1.0f, 1), 5u);  // ids are never reused
}

TEST(EnvelopeTest, InnerKeysTakeTheirTangentsFromBothNeighbours) {
    // Keys (0, 0), (1, 2), (3, 1). First span: outgoing 2 (no key before), incoming at the middle
    // key (1 - 0) / (3 - 0) * ((1 - 2) + 2) = 1/3. Second span: outgoing (3 - 1) / (3 - 0) *
    // ((2 - 0) + (1 - 2)) = 2/3, incoming -1 (no key after). At u = 0.5: h1 = h2 = 0.5,
    // h3 = 0.125, h4 = -0.125.
    for (uint32_t shape : {EnvelopeChannel::SHAPE_SPLINE, EnvelopeChannel::SHAPE_LINEAR}) {
        EnvelopeChannel channel;
        channel.AddKey(0.0f, 0.0f, shape);
        channel.AddKey(1.0f, 2.0f, shape);
        channel.AddKey(3.0f, 1.0f, shape);
        if (shape == EnvelopeChannel::SHAPE_SPLINE) {
            EXPECT_FLOAT_EQ(channel.Evaluate(0.5f), 0.5f * 2.0f + 0.125f * 2.0f - 0.125f / 3.0f);
            EXPECT_FLOAT_EQ(channel.Evaluate(2.0f),
                            0.5f * 2.0f + 0.5f * 1.0f + 0.125f * 2.0f / 3.0f + 0.125f);
        } else {
            EXPECT_FLOAT_EQ(channel.Evaluate(2.0f), 1.5f);
        }
        // "linear" outside the keys continues the end spans' own slopes: 2 per second before
        // the first key, -1/2 after the last.
        channel.preBehavior = channel.postBehavior = EnvelopeChannel::BEHAVIOR_LINEAR;
        EXPECT_FLOAT_EQ(channel.Evaluate(-1.0f), -2.0f) << shape;
        EXPECT_FLOAT_EQ(channel.Evaluate(5.0f), 0.0f) << shape;
    }
}

TEST(EnvelopeTest, CoincidentKeyTimesStayFinite) {
    EnvelopeChannel channel;
    channel.AddKey(1.0f, 0.0f, EnvelopeChannel::SHAPE_SPLINE);
    channel.AddKey(1.0f, 4.0f, EnvelopeChannel::SHAPE_SPLINE);
    channel.AddKey(3.0f, 2.0f, EnvelopeChannel::SHAPE_LINEAR);
    channel.AddKey(3.0f, 8.0f, EnvelopeChannel::SHAPE_SPLINE);
    channel.preBehavior = EnvelopeChannel::BEHAVIOR_LINEAR;
    channel.postBehavior = EnvelopeChannel::BEHAVIOR_LINEAR;
    for (float t = -2.0f; t <= 6.0f; t += 0.25f) EXPECT_TRUE(std::isfinite(channel.Evaluate(t))) << t;
    channel.postBehavior = EnvelopeChannel::BEHAVIOR_OSCILLATE;
    EXPECT_TRUE(std::isfinite(channel.Evaluate(4.0f)));
}

TEST(EnvelopeTest, ScriptEnvelopeWithKeyframes) {
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load(
        "<demo end=\"100\">"
        "  <part id=\"p\" start=\"0\" end=\"50\">"
        "    <envelope id=\"e\" interpolation=\"linear\" env_time=\"*p.time\" post_behavior=\"repeat\">"
        "      <keyframe t=\"0\" v=\"0,0,1,0\"/>"
        "      <keyframe t=\"10\" v=\"10,20,3,0\"/>"
        "    </envelope>"
        "    <envelope id=\"single\" end=\"5\">"
        "      <keyframe ch=\"2\" t=\"0\" v=\"4\"/>"
        "      <keyframe ch=\"2\" t=\"10\" v=\"8\" interpolation=\"linear\"/>"
        "    </envelope>"
        "    <envelope id=\"order\" interpolation=\"linear\" env_time=\"15\">"
        "      <keyframe ch=\"0\" t=\"10\" v=\"100\"/>"
        "      <keyframe ch=\"0\" t=\"0\" v=\"0\"/>"
        "      <keyframe ch=\"0\" t=\"20\" v=\"20\"/>"
        "    </envelope>"
        "  </part>"
        "  <vector4 id=\"late\"/><set start=\"0.01\" late=\"*p.e.out\"/>"
        "</demo>"));
    float out[4];
    harness.Step(0.0f);
    // env_time references the part's time, which the part sets after its children: one
    // frame late, so every time is stepped twice.
    harness.Step(5.0f);
    harness.Step(5.0f);
    harness.Vector("p.e.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 5.0f);
    EXPECT_FLOAT_EQ(out[1], 10.0f);
    EXPECT_FLOAT_EQ(out[2], 2.0f);
    // "late" is stepped after the envelope, so it sees this frame's value.
    harness.Vector("late", out, 4);
    EXPECT_FLOAT_EQ(out[0], 5.0f);
    harness.Step(12.0f);
    harness.Step(12.0f);
    harness.Vector("p.e.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 2.0f);

    // "order": keys in list order (10, 100), (0, 0), (20, 20): at 15 the span search follows
    // the list to the span (0, 0)-(20, 20), where time order would give 60.
    harness.Vector("p.order.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 15.0f);

    auto* single = static_cast<ScriptObjectEnvelope*>(harness.Find("p.single"));
    EXPECT_EQ(single->GetUsedChannelCount(), 3u);
    EXPECT_EQ(single->GetChannel(2).GetFirstKey(), nullptr);  // the envelope ended at 5
}

TEST(EnvelopeTest, SingleChannelKeysAndDeactivationWritesZero) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\">"
                     "  <envelope id=\"e\" end=\"5\" env_time=\"5\">"
                     "    <keyframe ch=\"2\" t=\"0\" v=\"4\" interpolation=\"linear\"/>"
                     "    <keyframe ch=\"2\" t=\"10\" v=\"8\" interpolation=\"linear\"/>"
                     "  </envelope>"
                     "</demo>"));
    float out[4];
    harness.Step(0.0f);
    harness.Step(1.0f);
    harness.Vector("e.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
    EXPECT_FLOAT_EQ(out[1], 0.0f);
    EXPECT_FLOAT_EQ(out[2], 6.0f);
    EXPECT_FLOAT_EQ(out[3], 0.0f);
    harness.Step(6.0f);
    harness.Vector("e.out", out, 4);
    EXPECT_FLOAT_EQ(out[2], 0.0f);
}

TEST(EnvelopeTest, KeyframesFollowAnimatedParameters) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\">"
                     "  <envelope id=\"e\" interpolation=\"linear\" env_time=\"5\">"
                     "    <keyframe id=\"k0\" t=\"0\" v=\"0,0,0,0\"/>"
                     "    <keyframe id=\"k1\" t=\"10\" v=\"10,10,10,10\"/>"
                     "  </envelope>"
                     "  <set start=\"2\" e.k1.v=\"20,20,20,20\"/>"
                     "  <set start=\"3\" e.k1.interpolation=\"constant\"/>"
                     "</demo>"));
    float out[4];
    harness.Step(1.0f);
    harness.Vector("e.out", out, 4);
    EXPECT_FLOAT_EQ(out[3], 5.0f);
    // A "Set" on the demo lands after the envelope was stepped: visible on the next frame.
    harness.Step(2.0f);
    harness.Step(2.0f);
    harness.Vector("e.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 10.0f);
    harness.Step(3.0f);
    harness.Step(3.0f);
    harness.Vector("e.out", out, 4);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
}

TEST(EnvelopeDeathTest, InvalidModesAndOrphanKeyframesAreFatal) {
    auto run = [](const std::string& body) {
        ScriptHarness harness;
        harness.Load("<demo end=\"10\">" + body + "</demo>");
        harness.Step(0.0f);
        harness.Step(0.5f);
    };
    EXPECT_EXIT(
        run("<envelope pre_behavior=\"Repeat\"/>"), ::testing::ExitedWithCode(255),
        "ERROR: ScriptObjectEnvelope::GetBehaviorMode\\(\\): Invalid envelope behavior mode: Repeat\n");
    EXPECT_EXIT(
        run("<envelope><keyframe t=\"1\" interpolation=\"cubic\"/></envelope>"),
        ::testing::ExitedWithCode(255),
        "ERROR: ScriptObjectEnvelope::GetInterpolationMode\\(\\): Invalid envelope interpolation mode: "
        "cubic\n");
    EXPECT_EXIT(run("<envelope interpolation=\"smooth\"><keyframe t=\"1\"/></envelope>"),
                ::testing::ExitedWithCode(255), "Invalid envelope interpolation mode: smooth\n");
    EXPECT_EXIT(run("<part><keyframe t=\"1\"/></part>"), ::testing::ExitedWithCode(255),
                "ERROR: ScriptObjectEnvelopeKeyFrame::HandleEvent\\(\\): Object type keyframe not parened to "
                "envelope\\.\n");
}
