// LightWave envelopes against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lightwave/LWEnvelope.h"

namespace {

// Keys (0, 0) and (1, 10) joined by a straight span.
LWEnvelope Ramp(uint32_t pre, uint32_t post) {
    LWEnvelope e;
    e.AddKey(0, 0, LWEnvelope::SHAPE_LINEAR);
    e.AddKey(1, 10, LWEnvelope::SHAPE_LINEAR);
    e.preBehavior = pre;
    e.postBehavior = post;
    return e;
}

}  // namespace

TEST(LWEnvelopeTest, BehavioursOutsideTheKeys) {
    struct Case {
        uint32_t pre, post;
        float t, expected;
    };
    const Case cases[] = {
        {1, 1, 0.5f, 5.0f},   {1, 1, 2.0f, 10.0f},  {1, 1, -3.0f, 0.0f},   {1, 0, 2.0f, 0.0f},
        {0, 1, -0.5f, 0.0f},  {1, 2, 1.25f, 2.5f},  {2, 1, -0.75f, 2.5f},  {1, 3, 1.25f, 7.5f},
        {1, 3, 2.25f, 2.5f},  {3, 1, -0.25f, 2.5f}, {1, 4, 1.5f, 15.0f},   {1, 4, 3.5f, 35.0f},
        {4, 1, -0.5f, -5.0f}, {1, 5, 2.0f, 20.0f},  {5, 1, -1.0f, -10.0f}, {1, 1, 1.0f, 10.0f},
        {1, 2, 2.0f, 0.0f},   {1, 9, 4.0f, 10.0f},
    };
    for (const Case& c : cases) {
        const LWEnvelope e = Ramp(c.pre, c.post);
        EXPECT_NEAR(e.Evaluate(c.t), c.expected, 1e-5f)
            << "pre " << c.pre << " post " << c.post << " t " << c.t;
    }
    EXPECT_NEAR(Ramp(1, 1).Slope(0.5f), 0.1f, 1e-5f);
}

TEST(LWEnvelopeTest, EverySpanShape) {
    struct Case {
        const char* name;
        LWEnvelope envelope;
        float t, expected;
    };
    auto make = [](uint32_t shape, float outTangent, float inTangent) {
        LWEnvelope e;
        e.AddKey(0, 0, shape, 0, 0, 0, 0, outTangent);
        e.AddKey(1, 10, shape, 0, 0, 0, inTangent, 0);
        return e;
    };
    LWEnvelope tcb;  // (0,0) (1,10) (2,0): the middle key's tangents cancel
    tcb.AddKey(0, 0, LWEnvelope::SHAPE_TCB);
    tcb.AddKey(1, 10, LWEnvelope::SHAPE_TCB);
    tcb.AddKey(2, 0, LWEnvelope::SHAPE_TCB);
    LWEnvelope tense;  // same keys, the first with tension 0.5
    tense.AddKey(0, 0, LWEnvelope::SHAPE_TCB, 0.5f);
    tense.AddKey(1, 10, LWEnvelope::SHAPE_TCB);
    tense.AddKey(2, 0, LWEnvelope::SHAPE_TCB);
    LWEnvelope stepped;
    stepped.AddKey(0, 0, LWEnvelope::SHAPE_STEPPED);
    stepped.AddKey(1, 10, LWEnvelope::SHAPE_STEPPED);
    // 2D Bezier: control offsets a third of the span along time make time linear in the
    // curve parameter, so the value is the plain cubic Bezier of the control values.
    LWEnvelope bezier2d;
    bezier2d.AddKey(0, 0, LWEnvelope::SHAPE_BEZIER_2D, 0, 0, 1.0f / 3, 3.0f);
    bezier2d.AddKey(1, 10, LWEnvelope::SHAPE_BEZIER_2D, -1.0f / 3, 0, 0, 0);
    const Case cases[] = {
        {"TCB", tcb, 0.5f, 6.25f},
        {"TCB end", tcb, 1.5f, 6.25f},
        {"TCB tension", tense, 0.5f, 5.625f},
        {"Hermite", make(LWEnvelope::SHAPE_HERMITE, 4, 2), 0.5f, 5.25f},
        {"Bezier", make(LWEnvelope::SHAPE_BEZIER, 4, 2), 0.25f,
         0.25f * 0.25f * (3 - 2 * 0.25f) * 10 + 4 * (0.015625f - 0.125f + 0.25f) + 2 * (0.015625f - 0.0625f)},
        {"linear", Ramp(1, 1), 0.25f, 2.5f},
        {"stepped", stepped, 0.99f, 0.0f},
        {"stepped at key", stepped, 1.0f, 10.0f},
        {"2D Bezier", bezier2d, 0.5f, 6.125f},
        {"2D Bezier start", bezier2d, 0.0f, 0.0f},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.envelope.Evaluate(c.t), c.expected, 1e-4f) << c.name;
}

TEST(LWEnvelopeTest, DegenerateKeysGiveFiniteValues) {
    LWEnvelope empty;
    EXPECT_EQ(empty.Evaluate(3), 0.0f);
    LWEnvelope single;
    single.AddKey(2, 7, LWEnvelope::SHAPE_TCB);
    EXPECT_EQ(single.Evaluate(-5), 7.0f);

    // Keys given out of time order are put in order.
    LWEnvelope unsorted;
    unsorted.AddKey(1, 10, LWEnvelope::SHAPE_LINEAR);
    unsorted.AddKey(0, 0, LWEnvelope::SHAPE_LINEAR);
    EXPECT_NEAR(unsorted.Evaluate(0.5f), 5.0f, 1e-5f);

    // All keys at one time: repeating behaviours have no range to repeat.
    for (uint32_t behavior = 0; behavior <= 5; ++behavior) {
        LWEnvelope e;
        e.AddKey(1, 5, LWEnvelope::SHAPE_TCB);
        e.AddKey(1, 7, LWEnvelope::SHAPE_HERMITE);
        e.preBehavior = e.postBehavior = behavior;
        for (float t : {-3.0f, 1.0f, 4.0f, std::numeric_limits<float>::infinity(), std::nanf("")})
            EXPECT_TRUE(std::isfinite(e.Evaluate(t))) << behavior << " " << t;
    }
    const LWEnvelope repeat = Ramp(2, 4);
    EXPECT_TRUE(std::isfinite(repeat.Evaluate(std::numeric_limits<float>::infinity())));
    EXPECT_TRUE(std::isfinite(repeat.Evaluate(-1e30f)));
}
