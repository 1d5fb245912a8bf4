#include "render/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/LogCapture.h"

namespace {
void Transform(const Matrix& m, const float* p, float* out) {
    for (int r = 0; r < 4; ++r) {
        float row[4];
        m.GetRow(r, row);
        out[r] = row[0] * p[0] + row[1] * p[1] + row[2] * p[2] + row[3] * p[3];
    }
}
}  // namespace

TEST(MatrixTest, InvertUndoesTransformsAndReportsSingularMatrices) {
    Matrix m;
    m.Translate(3.0f, -2.0f, 5.0f);
    m.RotateY(0.7f);
    m.Scale(2.0f, 3.0f, 0.5f);
    Matrix inverse = m;
    EXPECT_TRUE(inverse.Invert());
    Matrix product = m * inverse;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], (i % 5 == 0) ? 1.0f : 0.0f, 1e-5f) << i;

    // Determinant 0.0001: below the threshold, so identity and a report.
    LogCapture log;
    Matrix tiny;
    tiny.Scale(0.1f, 0.1f, 0.01f);
    EXPECT_NEAR(tiny.Determinant(), 0.0001f, 1e-7f);
    EXPECT_FALSE(tiny.Invert());
    for (int i = 0; i < 16; ++i) EXPECT_EQ(tiny[i], (i % 5 == 0) ? 1.0f : 0.0f);
    std::string text = log.Text();
    EXPECT_NE(text.find("No inverse for Matrix:\n0.1, 0, 0, 0\n0, 0.1, 0, 0\n0, 0, 0.01, 0\n0, 0, 0, 1\n"),
              std::string::npos)
        << text;
}

TEST(MatrixTest, RotationsFollowTheRightHandRuleAndPostMultiply) {
    const float half = 1.5707964f;
    const float x[4] = {1, 0, 0, 1}, y[4] = {0, 1, 0, 1}, z[4] = {0, 0, 1, 1};
    float out[4];
    Matrix rz;
    rz.RotateZ(half);
    Transform(rz, x, out);
    EXPECT_NEAR(out[0], 0.0f, 1e-6f);
    EXPECT_NEAR(out[1], 1.0f, 1e-6f);
    Matrix rx;
    rx.RotateX(half);
    Transform(rx, y, out);
    EXPECT_NEAR(out[1], 0.0f, 1e-6f);
    EXPECT_NEAR(out[2], 1.0f, 1e-6f);
    Matrix ry;
    ry.RotateY(half);
    Transform(ry, z, out);
    EXPECT_NEAR(out[0], 1.0f, 1e-6f);
    EXPECT_NEAR(out[2], 0.0f, 1e-6f);

    // Post-multiplication: the last operation applies to the point first.
    Matrix m;
    m.Translate(10.0f, 0.0f, 0.0f);
    m.Scale(2.0f, 2.0f, 2.0f);
    Transform(m, x, out);
    EXPECT_FLOAT_EQ(out[0], 12.0f);
    EXPECT_FLOAT_EQ(m[12], 10.0f);

    Matrix t = m;
    t.Transpose();
    EXPECT_FLOAT_EQ(t[3], 10.0f);
    EXPECT_FLOAT_EQ(t[12], 0.0f);
}
