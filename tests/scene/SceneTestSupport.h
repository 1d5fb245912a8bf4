#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/Matrix.h"
#include "scene/Node.h"
#include "show/FakeRenderer.h"

// Records what the scene graph hands the renderer: lights, model-view matrices, normal modes.
class SceneRecordingRenderer : public FakeRenderer {
public:
    std::vector<LightDesc> lights;  // SetLight calls since the last DisableAllLights
    std::vector<Matrix> modelViews;
    std::vector<uint32_t> normalizations;
    Matrix projection;
    uint32_t lightCount = 8;
    float ambient[4] = {-1, -1, -1, -1};

    uint32_t GetLightCount() override { return lightCount; }
    void DisableAllLights() override { lights.clear(); }
    void SetAmbientLight(const float* c) override {
        for (int i = 0; i < 4; ++i) ambient[i] = c[i];
    }
    void SetLight(uint32_t index, const LightDesc& light) override {
        EXPECT_EQ(index, lights.size());
        lights.push_back(light);
    }
    void SetModelViewMatrix(const float* m) override { modelViews.emplace_back(m); }
    void SetNormalization(uint32_t mode) override { normalizations.push_back(mode); }
    void SetProjectionMatrix(const float* m) override { projection = Matrix(m); }
};

// Installs a renderer as the process-wide one for the scope.
class ScopedTestRenderer {
public:
    explicit ScopedTestRenderer(IRenderer* renderer) { SetTestRenderer(renderer); }
    ~ScopedTestRenderer() { SetTestRenderer(nullptr); }
};

// A node whose bounds are a given box and which counts its draws and deletions.
class BoxNode : public Node {
public:
    BoxNode(Node* parent, const std::string& name, float size = 1.0f, int* deletions = nullptr)
        : Node(parent, name), m_size(size), m_deletions(deletions) {}
    ~BoxNode() override {
        if (m_deletions) ++*m_deletions;
    }
    void UpdateBounds() override {
        const float centre[3] = {0, 0, 0}, size[3] = {m_size, m_size, m_size};
        SetLocalBounds(BOUNDS_LOCAL, BoundingBox(centre, size));
    }
    using Node::Render;
    void Render(uint32_t, RenderTechnique*) override { ++draws; }
    int draws = 0;

private:
    float m_size;
    int* m_deletions;
};

inline void ExpectMatrixNear(const Matrix& a, const Matrix& b, float tolerance, const std::string& what = "") {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << what << " element " << i;
}

inline void ExpectVec3Near(const float* a, float x, float y, float z, float tolerance, const std::string& what = "") {
    EXPECT_NEAR(a[0], x, tolerance) << what;
    EXPECT_NEAR(a[1], y, tolerance) << what;
    EXPECT_NEAR(a[2], z, tolerance) << what;
}

inline bool AllFinite(const float* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i])) return false;
    return true;
}
