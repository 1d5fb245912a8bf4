#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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
    // Debug drawing, one line per call: "box r g b  cx cy cz  sx sy sz", "frustum r g b", "width w".
    std::vector<std::string> debug;
    void SetLineWidth(float width) override { debug.push_back("width " + Text(&width, 1)); }
    void DrawBoundingBox(const float* color, const float* centre, const float* size) override {
        debug.push_back("box " + Text(color, 3) + "  " + Text(centre, 3) + "  " + Text(size, 3));
    }
    void DrawBox(const float* color, const float* corners) override {
        debug.push_back("frustum " + Text(color, 3));
        lastCorners.assign(corners, corners + 32);
    }
    std::vector<float> lastCorners;

private:
    static std::string Text(const float* v, int n) {
        std::string text;
        char buffer[32];
        for (int i = 0; i < n; ++i) {
            std::snprintf(buffer, sizeof buffer, "%s%g", i ? " " : "", static_cast<double>(v[i]));
            text += buffer;
        }
        return text;
    }
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

inline void ExpectMatrixNear(const Matrix& a, const Matrix& b, float tolerance,
                             const std::string& what = "") {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << what << " element " << i;
}

inline void ExpectVec3Near(const float* a, float x, float y, float z, float tolerance,
                           const std::string& what = "") {
    EXPECT_NEAR(a[0], x, tolerance) << what;
    EXPECT_NEAR(a[1], y, tolerance) << what;
    EXPECT_NEAR(a[2], z, tolerance) << what;
}

inline bool AllFinite(const float* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i])) return false;
    return true;
}
