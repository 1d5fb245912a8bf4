// A lit unit box seen by a camera through the scene drawing driver, read back pixel by pixel.
// Also writes scene_preview.png into the build directory for a look.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "render/ElementList.h"
#include "render/GLTestContext.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/RenderScene.h"
#include "scene/SceneNode.h"
#include "scene/TargetController.h"

namespace {

const int kSize = 256;

// A unit cube centred on the node's origin, with face normals, drawn straight through the renderer.
class CubeNode : public Node {
public:
    CubeNode(Node* parent, const std::string& name)
        : Node(parent, name), m_list(PRIMITIVE_TRIANGLES, 24, 36) {
        m_list.AllocVertexData(VERTEX_DATA_POSITION, 12);
        m_list.AllocVertexData(VERTEX_DATA_NORMAL, 12);
        float* position = m_list.GetVertexData(VERTEX_DATA_POSITION);
        float* normal = m_list.GetVertexData(VERTEX_DATA_NORMAL);
        uint32_t* index = m_list.AllocIndices();
        for (int face = 0; face < 6; ++face) {
            const int axis = face / 2;
            const float sign = (face & 1) ? -1.0f : 1.0f;
            // Two axes spanning the face, ordered so that the face is counter-clockwise from outside.
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            for (int k = 0; k < 4; ++k) {
                float* p = position + (face * 4 + k) * 3;
                float* n = normal + (face * 4 + k) * 3;
                p[axis] = 0.5f * sign;
                p[u] = ((k == 1 || k == 2) ? 0.5f : -0.5f) * sign;
                p[v] = (k >= 2) ? 0.5f : -0.5f;
                n[0] = n[1] = n[2] = 0.0f;
                n[axis] = sign;
            }
            const uint32_t base = face * 4;
            const uint32_t quad[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
            for (int i = 0; i < 6; ++i) index[face * 6 + i] = quad[i];
        }
    }
    void UpdateBounds() override {
        const float centre[3] = {0, 0, 0}, size[3] = {1, 1, 1};
        SetLocalBounds(BOUNDS_LOCAL, BoundingBox(centre, size));
    }
    using Node::Render;
    void Render(uint32_t, RenderTechnique*) override {
        IRenderer* renderer = GetRenderer();
        renderer->EnableVertexArrays(&m_list);
        renderer->DrawElements(&m_list);
        renderer->DisableVertexArrays(&m_list);
    }

private:
    ElementList m_list;
};

class SceneGL : public RendererFixture {
protected:
    // Window pixel of a world point as the camera projects it.
    void Project(CameraNode* camera, const float* p, float* pixel) {
        const Matrix clip = camera->GetFrustum().GetProjectionMatrix() * camera->GetViewMatrix();
        float c[4];
        for (int r = 0; r < 4; ++r)
            c[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
        pixel[0] = (c[0] / c[3] + 1.0f) * 0.5f * kSize;
        pixel[1] = (c[1] / c[3] + 1.0f) * 0.5f * kSize;
    }
    void Pixel(const float* at, uint8_t* rgba) {
        ReadPixel(static_cast<int>(std::floor(at[0])), static_cast<int>(std::floor(at[1])), rgba);
    }
};

TEST_F(SceneGL, LitBoxIsDrawnWhereTheCameraProjectsItAndFacesTheLight) {
    GeomEngine engine;
    SceneNode* scene = engine.CreateScene("scene");
    // The box off the origin and turned, so lights must be taken into its own space correctly.
    CubeNode* box = new CubeNode(scene, "box");
    box->GetOrientation().SetPosition(0.5f, 0.2f, -0.3f);
    box->GetOrientation().SetRotationHPB(1.5707964f, 0, 0);
    // A point light off the box's +x side and a little behind its +z face.
    LightNode* light = new LightNode(scene, "light");
    light->GetOrientation().SetPosition(6.5f, 1.2f, -2.3f);
    // The camera sees the +x, +y and +z faces and is pointed at the box's centre.
    CameraNode* camera = new CameraNode(scene, "camera");
    camera->GetOrientation().SetPosition(4.5f, 1.7f, 2.7f);
    camera->SetFov(1.0f, 0.8f);
    camera->SetController(new TargetController(box->GetId(), true, true));
    scene->UpdateTransforms();
    scene->Update(false);
    camera->UpdateVisibleNodes();
    ASSERT_EQ(camera->GetVisibleNodes().count(box->GetId()), 1u);
    camera->FitClipPlanes();

    const float blue[4] = {0, 0, 0.5f, 1};
    const float origin[2] = {0, 0}, full[2] = {1, 1};
    m_renderer->SetViewport(origin, full);
    m_renderer->SetClearColor(blue);
    m_renderer->Clear(CLEAR_COLOR_AND_DEPTH);
    m_renderer->SetLighting(true);
    m_renderer->SetMaterial(FACE_FRONT_AND_BACK, MaterialDesc());
    RenderScene(scene, 1, camera, nullptr);
    m_renderer->SetLighting(false);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    std::vector<uint8_t> frame(kSize * kSize * 4);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    std::vector<uint8_t> rgb(kSize * kSize * 3);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(y * kSize + x) * 3 + c] = frame[((kSize - 1 - y) * kSize + x) * 4 + c];
    WritePNG(std::string(TATAMIX_BINARY_DIR) + "/scene_preview.png", kSize, kSize, 24, rgb.data());

    auto isBackground = [](const uint8_t* p) { return p[0] < 8 && p[1] < 8 && std::abs(p[2] - 128) < 8; };
    uint8_t rgba[4];
    float at[2];
    const float centre[3] = {0.5f, 0.2f, -0.3f};
    Project(camera, centre, at);
    EXPECT_NEAR(at[0], kSize / 2, 0.5f);  // the target controller centred it
    EXPECT_NEAR(at[1], kSize / 2, 0.5f);
    Pixel(at, rgba);
    EXPECT_FALSE(isBackground(rgba)) << "box centre";

    // Just outside the projected silhouette on every side: background.
    float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f}, loAt[2][2], hiAt[2][2];
    for (int k = 0; k < 8; ++k) {
        const float corner[3] = {centre[0] + ((k & 1) ? 0.5f : -0.5f), centre[1] + ((k & 2) ? 0.5f : -0.5f),
                                 centre[2] + ((k & 4) ? 0.5f : -0.5f)};
        Project(camera, corner, at);
        for (int a = 0; a < 2; ++a) {
            if (at[a] < lo[a]) lo[a] = at[a], loAt[a][0] = at[0], loAt[a][1] = at[1];
            if (at[a] > hi[a]) hi[a] = at[a], hiAt[a][0] = at[0], hiAt[a][1] = at[1];
        }
    }
    for (int a = 0; a < 2; ++a) {
        float outside[2] = {loAt[a][0], loAt[a][1]};
        outside[a] -= 3.0f;
        Pixel(outside, rgba);
        EXPECT_TRUE(isBackground(rgba)) << "below the silhouette on axis " << a;
        float inside[2] = {loAt[a][0], loAt[a][1]};
        inside[a] += 3.0f;
        Pixel(inside, rgba);
        EXPECT_FALSE(isBackground(rgba)) << "just inside on axis " << a;
        outside[0] = hiAt[a][0], outside[1] = hiAt[a][1];
        outside[a] += 3.0f;
        Pixel(outside, rgba);
        EXPECT_TRUE(isBackground(rgba)) << "above the silhouette on axis " << a;
    }

    // The +x face faces the light, the +z face is turned away from it.
    const float facingX[3] = {centre[0] + 0.5f, centre[1], centre[2]};
    const float facingZ[3] = {centre[0], centre[1], centre[2] + 0.5f};
    uint8_t lit[4], unlit[4];
    Project(camera, facingX, at);
    Pixel(at, lit);
    Project(camera, facingZ, at);
    Pixel(at, unlit);
    EXPECT_FALSE(isBackground(unlit));
    EXPECT_GT(lit[0], 100) << "lit face";
    EXPECT_LT(unlit[0], 20) << "face turned away";
}

}  // namespace
