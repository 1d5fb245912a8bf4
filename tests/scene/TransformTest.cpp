// Quaternions, orientations, boxes, volumes and frusta: the maths every culling and drawing step
// relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "SceneTestSupport.h"
#include "scene/BoundingBox.h"
#include "scene/Frustum.h"
#include "scene/Orientation.h"
#include "scene/Quaternion.h"
#include "support/LogCapture.h"

namespace {

const float kPi = 3.14159265f;

void Apply(const Matrix& m, const float* p, float* out) {
    for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
}

void ApplyDir(const Matrix& m, const float* v, float* out) {
    for (int r = 0; r < 3; ++r) out[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2];
}

TEST(Orientation, MatrixTimesInverseIsIdentityForRandomParts) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> any(-3.0f, 3.0f), scale(0.3f, 2.5f);
    for (int i = 0; i < 200; ++i) {
        Orientation o;
        o.SetPivot(any(rng), any(rng), any(rng));
        o.SetPosition(any(rng), any(rng), any(rng));
        const float axis[3] = {any(rng), any(rng), any(rng)};
        o.Rotate(any(rng), axis);
        o.SetRotationHPB(any(rng), any(rng), any(rng));
        o.SetScale(scale(rng) * (i % 7 == 0 ? -1.0f : 1.0f), scale(rng), scale(rng));
        ExpectMatrixNear(o.GetMatrix() * o.GetInverseMatrix(), Matrix(), 1e-5f, "case " + std::to_string(i));
        // The pivot is the point carried to the position.
        float moved[3];
        Apply(o.GetMatrix(), o.GetPivot(), moved);
        ExpectVec3Near(moved, o.GetPosition()[0], o.GetPosition()[1], o.GetPosition()[2], 1e-4f);
    }
}

TEST(Orientation, HeadingPitchBankFollowLightWaveConventions) {
    const float forward[3] = {0, 0, -1}, back[3] = {0, 0, 1}, up[3] = {0, 1, 0};
    float out[3];
    Orientation o;
    o.SetRotationHPB(kPi / 2, 0, 0);
    ApplyDir(o.GetMatrix(), back, out);
    ExpectVec3Near(out, -1, 0, 0, 1e-6f, "heading +90 turns +z to -x");
    ApplyDir(o.GetMatrix(), forward, out);
    ExpectVec3Near(out, 1, 0, 0, 1e-6f, "and the forward -z to +x");
    o.SetRotationHPB(0, kPi / 6, 0);
    ApplyDir(o.GetMatrix(), forward, out);
    ExpectVec3Near(out, 0, -0.5f, -std::cos(kPi / 6), 1e-6f, "positive pitch looks down");
    // Pitch about the turned axis: heading 90 and pitch 30 look along +x, tilted down, not rolled.
    o.SetRotationHPB(kPi / 2, kPi / 6, 0);
    ApplyDir(o.GetMatrix(), forward, out);
    ExpectVec3Near(out, std::cos(kPi / 6), -0.5f, 0, 1e-6f, "heading then pitch");
    // Bank turns about the viewing axis, leaving it in place.
    o.SetRotationHPB(kPi / 2, kPi / 6, kPi / 3);
    ApplyDir(o.GetMatrix(), forward, out);
    ExpectVec3Near(out, std::cos(kPi / 6), -0.5f, 0, 1e-6f, "bank keeps the forward axis");
    o.SetRotationHPB(0, 0, kPi / 2);
    ApplyDir(o.GetMatrix(), up, out);
    ExpectVec3Near(out, 1, 0, 0, 1e-6f, "bank about -z");
    EXPECT_FLOAT_EQ(o.GetBank(), kPi / 2);
}

TEST(Orientation, ZeroScaleKeepsTheInverseFiniteAndZeroAxisRotationComposes) {
    Orientation o;
    o.SetPosition(1, 2, 3);
    o.SetScale(0.0f);
    EXPECT_TRUE(AllFinite(o.GetInverseMatrix().GetData(), 16));
    EXPECT_TRUE(AllFinite(o.GetMatrix().GetData(), 16));
    o.SetScale(0.0f, 2.0f, 1.0f);
    EXPECT_TRUE(AllFinite(o.GetInverseMatrix().GetData(), 16));
    EXPECT_FLOAT_EQ(o.GetInverseMatrix()[5], 0.5f);

    Orientation z;
    const float zero[3] = {0, 0, 0};
    z.Rotate(1.0f, zero);  // (cos 0.5, 0, 0, 0) normalised to the identity
    EXPECT_NEAR(z.GetRotation().w, 1.0f, 1e-6f);
    ExpectMatrixNear(z.GetMatrix(), Matrix(), 1e-6f);
}

TEST(Orientation, MatricesAreRebuiltOnlyAfterAChange) {
    Orientation o;
    o.SetPosition(1, 0, 0);
    EXPECT_FLOAT_EQ(o.GetMatrix()[12], 1.0f);
    o.Translate(2, 0, 0);
    EXPECT_FLOAT_EQ(o.GetMatrix()[12], 3.0f);
    EXPECT_FLOAT_EQ(o.GetInverseMatrix()[12], -3.0f);
    EXPECT_TRUE(o.HasChanged());
    o.Reset();
    EXPECT_FALSE(o.HasChanged());
    ExpectMatrixNear(o.GetMatrix(), Matrix(), 0.0f);
}

TEST(BoundingBox, OverlapComparesCentreDistanceWithFullSizes) {
    struct Case {
        float sizeA, sizeB;
        bool overlap;
    } cases[] = {{2.0f, 3.0f, true}, {2.0f, 2.5f, false}, {3.0f, 2.0f, true}, {0.0f, 0.0f, false}};
    for (const Case& c : cases) {
        const float ca[3] = {0, 0, 0}, cb[3] = {3, 0, 0};
        const float sa[3] = {c.sizeA, 1, 1}, sb[3] = {c.sizeB, 1, 1};
        EXPECT_EQ(BoundingBox(ca, sa).IsIntersected(BoundingBox(cb, sb)), c.overlap)
            << c.sizeA << " " << c.sizeB;
    }
    const float lo[3] = {-1, 0, 2}, hi[3] = {3, 4, 2};
    BoundingBox box = BoundingBox::FromMinMax(lo, hi);
    ExpectVec3Near(box.centre, 1, 2, 2, 0);
    ExpectVec3Near(box.size, 4, 4, 0, 0);
    float min[3];
    box.GetMin(min);
    ExpectVec3Near(min, -1, 0, 2, 0);

    LogCapture log;
    EXPECT_TRUE(box.IsIntersected(box, Matrix()));
    EXPECT_TRUE(log.Has("WARNING: BoundingBox::IsIntersected() not implemented."));
}

TEST(Frustum, PlanesFaceInwardAndCornersSpanNearAndFar) {
    Frustum f;
    const float fov[2] = {kPi / 2, kPi / 2};
    f.SetPerspective(fov, 1.0f, 10.0f);
    EXPECT_NEAR(f.GetRight(), 1.0f, 1e-6f);
    EXPECT_NEAR(f.GetTop(), 1.0f, 1e-6f);
    ExpectVec3Near(f.GetCorner(0), -1, -1, -1, 1e-5f, "near bottom left");
    ExpectVec3Near(f.GetCorner(7), 10, 10, -10, 1e-4f, "far top right");
    struct Probe {
        float x, y, z;
        bool inside;
    } probes[] = {{0, 0, -5, true},     {0, 0, -0.5f, false},  {0, 0, -11, false}, {4.9f, 0, -5, true},
                  {5.1f, 0, -5, false}, {0, -5.1f, -5, false}, {0, 0, 5, false}};
    for (const Probe& p : probes) {
        const float centre[3] = {p.x, p.y, p.z}, size[3] = {0, 0, 0};
        EXPECT_EQ(f.IsIntersected(BoundingBox(centre, size)), p.inside) << p.x << " " << p.y << " " << p.z;
    }
    // The projection is OpenGL's: a point on the far plane's corner lands on the clip corner.
    const Matrix& m = f.GetProjectionMatrix();
    const float* c = f.GetCorner(7);
    const float w = m[3] * c[0] + m[7] * c[1] + m[11] * c[2] + m[15];
    EXPECT_NEAR((m[0] * c[0] + m[8] * c[2]) / w, 1.0f, 1e-5f);
    EXPECT_NEAR((m[10] * c[2] + m[14]) / w, 1.0f, 1e-5f);

    // Moved into world space by a camera matrix, the volume moves with it.
    Matrix camera;
    camera.Translate(100, 0, 0);
    camera.RotateY(kPi / 2);  // looking down -x
    const float ahead[3] = {95, 0, 0}, behind[3] = {105, 0, 0}, none[3] = {0, 0, 0};
    const BoundingBox aheadBox(ahead, none), behindBox(behind, none);
    Frustum world(f);
    world.Transform(camera);
    EXPECT_TRUE(world.IsIntersected(aheadBox));
    EXPECT_FALSE(world.IsIntersected(behindBox));
    EXPECT_TRUE(f.IsIntersected(aheadBox, camera));
}

TEST(Frustum, DegenerateSettingsGiveFiniteMatricesAndPlanes) {
    const float nan = std::nanf("");
    struct Case {
        float fovX, fovY, zNear, zFar;
    } cases[] = {{1, 1, 5, 5},     {1, 1, 5, 1},         {0, 1, 1, 10},       {1, 0, 1, 10},
                 {kPi, 1, 1, 10},  {1, 1, 0, 10},        {1, 1, -1, 10},      {nan, 1, 1, 10},
                 {1, 1, nan, nan}, {1, INFINITY, 1, 10}, {1, 1, 1e30f, 1e30f}};
    for (const Case& c : cases) {
        Frustum f;
        f.SetPerspective(c.fovX, c.fovY, c.zNear, c.zFar);
        const std::string what = std::to_string(c.fovX) + " " + std::to_string(c.fovY) + " " +
                                 std::to_string(c.zNear) + " " + std::to_string(c.zFar);
        EXPECT_TRUE(AllFinite(f.GetProjectionMatrix().GetData(), 16)) << what;
        EXPECT_TRUE(AllFinite(f.GetCorners(), 32)) << what;
        for (int p = 0; p < 6; ++p) EXPECT_TRUE(AllFinite(f.GetPlane(p), 4)) << what;
        EXPECT_LT(f.GetNear(), f.GetFar()) << what;
    }
    Frustum o;
    o.SetOrtho(2, 2, 1, 1, 3, 3);
    EXPECT_TRUE(AllFinite(o.GetProjectionMatrix().GetData(), 16));
    o.SetOrtho(-1e30f, 1e30f, INFINITY, -1e30f, -1e30f, 1e30f);
    EXPECT_TRUE(AllFinite(o.GetProjectionMatrix().GetData(), 16));
    for (int p = 0; p < 6; ++p) EXPECT_TRUE(AllFinite(o.GetPlane(p), 4));
    EXPECT_EQ(o.GetKind(), Frustum::ORTHOGRAPHIC);
    o.SetOrtho(-2, 2, 1, -1, -10, 10);
    EXPECT_FLOAT_EQ(o.GetHorizontalExtent(), 4.0f);
    EXPECT_FLOAT_EQ(o.GetVerticalExtent(), 2.0f);
    const float inside[3] = {1.9f, 0, 9.9f}, outside[3] = {0, 1.1f, 0}, none[3] = {0, 0, 0};
    EXPECT_TRUE(o.IsIntersected(BoundingBox(inside, none)));
    EXPECT_FALSE(o.IsIntersected(BoundingBox(outside, none)));
}

}  // namespace
