#pragma once

// A small outdoor scene built in code for the scene renderer's tests and benchmark: a ground
// plane, boxes and spheres drawn by RT_Material_Texture through scene nodes, a camera and a sun.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestMeshes.h"
#include "io/Loader.h"
#include "materials/RT_Material_Texture.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"

namespace StillLife {

// A node that draws one element list with one technique (or the override).
class MeshNode : public Node {
public:
    MeshNode(Node* parent, const std::string& name, std::unique_ptr<ElementList> list, RenderTechnique* technique)
        : Node(parent, name), m_list(std::move(list)), m_technique(technique) {
        const float* p = m_list->GetVertexData(VERTEX_DATA_POSITION);
        float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
        for (uint32_t i = 0; i < m_list->GetVertexCount(); ++i)
            for (int c = 0; c < 3; ++c) {
                low[c] = std::fmin(low[c], p[i * 3 + c]);
                high[c] = std::fmax(high[c], p[i * 3 + c]);
            }
        m_box.SetMinMax(low, high);
    }
    void UpdateBounds() override { SetLocalBounds(BOUNDS_LOCAL, m_box); }
    using Node::Render;
    void Render(uint32_t pass, RenderTechnique* overrideTechnique) override {
        RenderTechnique* technique = overrideTechnique ? overrideTechnique : m_technique;
        technique->Begin(static_cast<int>(pass));
        technique->Draw(*m_list);
        technique->End();
    }

private:
    std::unique_ptr<ElementList> m_list;
    RenderTechnique* m_technique;
    BoundingBox m_box;
};

// A flat grid of size x size units on y = 0, facing up, with UVs repeating every unit.
inline std::unique_ptr<ElementList> Ground(float size, int cells) {
    const int n = cells + 1;
    TestMeshes::Builder b(n * n, cells * cells * 6, false);
    const float up[3] = {0, 1, 0}, along[3] = {1, 0, 0};
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            const float p[3] = {(static_cast<float>(x) / cells - 0.5f) * size, 0.0f,
                                (static_cast<float>(z) / cells - 0.5f) * size};
            b.Vertex(z * n + x, p, up, p[0], -p[2], along);
        }
    uint32_t* out = b.indices;
    for (int z = 0; z < cells; ++z)
        for (int x = 0; x < cells; ++x) {
            const uint32_t a = z * n + x, c = a + n;
            // Counter-clockwise seen from above (+y).
            const uint32_t quad[6] = {a, c, a + 1, a + 1, c, c + 1};
            for (uint32_t i : quad) *out++ = i;
        }
    return std::move(b.list);
}

struct Scene {
    SceneNode* scene = nullptr;
    CameraNode* camera = nullptr;
    LightNode* sun = nullptr;
    LightNode* sunFlare = nullptr;
    std::vector<std::unique_ptr<RT_Material_Texture>> techniques;

    RT_Material_Texture* Material(const float* rgb, float shininess, uint32_t colorTexture = 0) {
        IRenderer* renderer = GetRenderer();
        auto technique = std::make_unique<RT_Material_Texture>();
        const std::string pair = colorTexture ? "GLSL/Plus/Mat_Shd_Color2D" : "GLSL/Plus/Mat_Shd";
        technique->SetProgram(0, true, renderer->LoadProgram(GetLoader(), pair + ".vert", pair + ".frag"));
        technique->SetProgram(1, true,
                              renderer->LoadProgram(GetLoader(), "GLSL/Plus/Depth.vert", "GLSL/Plus/Depth.frag"));
        const float white[4] = {1, 1, 1, 1};
        technique->SetColor(white);
        MaterialDesc material;
        for (int c = 0; c < 3; ++c) {
            material.diffuse[c] = rgb[c];
            material.ambient[c] = rgb[c];
            material.specular[c] = shininess > 1.0f ? 0.35f : 0.0f;
        }
        material.shininess = shininess;
        technique->SetMaterial(material);
        if (colorTexture) {
            technique->SetTexture(1, false, colorTexture);
            TextureTransform stage;
            technique->SetStage(1, stage, 0);
        }
        techniques.push_back(std::move(technique));
        return techniques.back().get();
    }
    MeshNode* Add(const std::string& name, std::unique_ptr<ElementList> list, RenderTechnique* technique) {
        return new MeshNode(scene, name, std::move(list), technique);
    }
    void Update() {
        scene->UpdateTransforms();
        scene->Update(true);
    }
};

// Camera "camera" at eye looking at target (aspect 16:9, 60 degrees across).
inline void Aim(CameraNode* camera, const float* eye, const float* target) {
    const float d[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    // Forward is -z: heading turns -z towards +x for positive angles, pitch tilts it down.
    const float heading = std::atan2(d[0], -d[2]);
    const float pitch = -std::atan2(d[1], std::sqrt(d[0] * d[0] + d[2] * d[2]));
    camera->GetOrientation().SetPosition(eye[0], eye[1], eye[2]);
    camera->GetOrientation().SetRotationHPB(heading, pitch, 0.0f);
    camera->SetFov(16.0f / 9.0f, 1.0471976f);
}

// A directional light whose +z (where its light comes from) points along the direction.
inline void PointLightFrom(LightNode* light, const float* towards) {
    const float heading = -std::atan2(towards[0], towards[2]);
    const float pitch = std::atan2(towards[1], std::sqrt(towards[0] * towards[0] + towards[2] * towards[2]));
    light->GetOrientation().SetRotationHPB(heading, pitch, 0.0f);
}

// Ground, a box on it and a sphere beside it, a camera looking at them and a sun (directional,
// casting shadows) plus its flare light. cells: the ground's grid.
inline Scene Build(GeomEngine* engine, int cells = 16) {
    Scene s;
    s.scene = engine->CreateScene("stilllife");
    const float sand[3] = {0.78f, 0.72f, 0.6f}, red[3] = {0.75f, 0.22f, 0.16f}, blue[3] = {0.25f, 0.4f, 0.8f};
    s.Add("ground", Ground(80.0f, cells), s.Material(sand, 1.0f));
    s.Add("box", TestMeshes::Box(0.0f, 1.0f, 0.0f, 1.0f), s.Material(red, 20.0f));
    s.Add("sphere", TestMeshes::Sphere(3.0f, 1.0f, 1.5f), s.Material(blue, 40.0f));
    s.camera = new CameraNode(s.scene, "camera");
    const float eye[3] = {2.0f, 4.0f, 9.0f}, target[3] = {0.5f, 0.8f, 0.0f};
    Aim(s.camera, eye, target);
    s.sun = new LightNode(s.scene, "sun");
    s.sun->GetLight().type = LIGHT_DIRECTIONAL;
    s.sun->GetLight().flags = LIGHT_FLAG_ENABLED | LIGHT_FLAG_SHADOWS;
    const float from[3] = {0.7f, 0.7f, 0.2f};
    PointLightFrom(s.sun, from);
    s.sunFlare = new LightNode(s.scene, "sun_flare");
    s.sunFlare->GetLight().type = LIGHT_DIRECTIONAL;
    s.sunFlare->GetLight().flags = LIGHT_FLAG_FLARE;
    PointLightFrom(s.sunFlare, from);
    const float ambient[4] = {0.2f, 0.22f, 0.26f, 1.0f};
    s.scene->SetAmbient(ambient);
    s.Update();
    return s;
}

// Gently rolling sand around a flat middle, with a pond in front of it: heights and a sandy,
// wet or grassy tint per vertex.
inline std::unique_ptr<ElementList> Terrain(float size, int cells) {
    const int n = cells + 1;
    TestMeshes::Builder b(n * n, cells * cells * 6, true);
    auto height = [](float x, float z) {
        const float r = std::sqrt(x * x + z * z);
        const float px = x + 1.0f, pz = z + 7.5f;
        const float pond = std::sqrt(px * px * 0.6f + pz * pz);
        const float dunes = (std::sin(x * 0.21f) * std::cos(z * 0.17f) * 1.6f + std::sin(x * 0.07f + z * 0.11f) * 2.5f +
                             1.2f) * std::fmin(std::fmax((r - 14.0f) / 20.0f, 0.0f), 1.0f);
        const float dip = -1.3f * std::fmin(std::fmax((6.5f - pond) / 3.5f, 0.0f), 1.0f);
        return dunes + dip;
    };
    const float along[3] = {1, 0, 0};
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            const float wx = (static_cast<float>(x) / cells - 0.5f) * size;
            const float wz = (static_cast<float>(z) / cells - 0.5f) * size;
            const float h = height(wx, wz), e = 0.05f;
            float normal[3] = {height(wx - e, wz) - height(wx + e, wz), 2.0f * e, height(wx, wz - e) - height(wx, wz + e)};
            const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
            for (float& c : normal) c /= length;
            const float p[3] = {wx, h, wz};
            const uint32_t i = static_cast<uint32_t>(z * n + x);
            b.Vertex(i, p, normal, wx * 0.25f, -wz * 0.25f, along);
            // Sand with a little grain, darker where wet, greener up on the dunes.
            const float grain = 0.92f + 0.08f * std::sin(wx * 3.1f + std::sin(wz * 2.3f) * 2.0f);
            float rgb[3] = {0.80f * grain, 0.72f * grain, 0.56f * grain};
            const float wet = std::fmin(std::fmax(-h * 2.0f, 0.0f), 1.0f);
            const float grass = std::fmin(std::fmax((h - 1.2f) * 0.6f, 0.0f), 0.7f);
            const float mix[3] = {0.42f, 0.36f, 0.27f}, green[3] = {0.42f, 0.55f, 0.25f};
            for (int c = 0; c < 3; ++c) {
                rgb[c] = rgb[c] + (mix[c] - rgb[c]) * wet;
                rgb[c] = rgb[c] + (green[c] - rgb[c]) * grass;
                b.colors[i * 4 + c] = rgb[c];
            }
            b.colors[i * 4 + 3] = 1.0f;
        }
    uint32_t* out = b.indices;
    for (int z = 0; z < cells; ++z)
        for (int x = 0; x < cells; ++x) {
            const uint32_t a = z * n + x, c = a + n;
            const uint32_t quad[6] = {a, c, a + 1, a + 1, c, c + 1};
            for (uint32_t i : quad) *out++ = i;
        }
    return std::move(b.list);
}

// The showcase for stills and the benchmark: a vermilion gate on the sand by a pond, stone
// lanterns, spheres and crates; the camera looks north (+z) across the pond at the gate, so
// the midday sun is behind it.
inline Scene BuildShowcase(GeomEngine* engine) {
    Scene s;
    s.scene = engine->CreateScene("showcase");
    const float white[3] = {1.0f, 1.0f, 1.0f}, vermilion[3] = {0.82f, 0.2f, 0.1f}, black[3] = {0.08f, 0.07f, 0.07f},
                stone[3] = {0.55f, 0.54f, 0.5f}, wood[3] = {0.55f, 0.38f, 0.22f}, pearl[3] = {0.9f, 0.88f, 0.82f},
                jade[3] = {0.25f, 0.55f, 0.45f};
    s.Add("terrain", Terrain(140.0f, 96), s.Material(white, 1.0f));
    auto block = [&](const char* name, RT_Material_Texture* material, float x, float y, float z, float sx, float sy,
                     float sz, float heading) {
        MeshNode* node = s.Add(name, TestMeshes::Box(0.0f, 0.0f, 0.0f, 0.5f), material);
        node->GetOrientation().SetPosition(x, y, z);
        node->GetOrientation().SetScale(sx, sy, sz);
        node->GetOrientation().SetRotationHPB(heading, 0.0f, 0.0f);
        return node;
    };
    RT_Material_Texture* lacquer = s.Material(vermilion, 30.0f);
    RT_Material_Texture* ink = s.Material(black, 20.0f);
    RT_Material_Texture* granite = s.Material(stone, 4.0f);
    RT_Material_Texture* timber = s.Material(wood, 6.0f);
    // The gate.
    block("pillar_left", lacquer, -2.4f, 2.6f, 0.0f, 0.5f, 5.2f, 0.5f, 0.0f);
    block("pillar_right", lacquer, 2.4f, 2.6f, 0.0f, 0.5f, 5.2f, 0.5f, 0.0f);
    block("base_left", ink, -2.4f, 0.3f, 0.0f, 0.75f, 0.6f, 0.75f, 0.0f);
    block("base_right", ink, 2.4f, 0.3f, 0.0f, 0.75f, 0.6f, 0.75f, 0.0f);
    block("tie_beam", lacquer, 0.0f, 4.3f, 0.0f, 5.6f, 0.35f, 0.35f, 0.0f);
    block("top_beam", lacquer, 0.0f, 5.25f, 0.0f, 7.4f, 0.45f, 0.6f, 0.0f);
    block("cap", ink, 0.0f, 5.62f, 0.0f, 7.9f, 0.28f, 0.8f, 0.0f);
    block("plaque", ink, 0.0f, 4.78f, 0.0f, 0.7f, 0.6f, 0.2f, 0.0f);
    // Stone lanterns on either side of the path.
    for (int side = -1; side <= 1; side += 2) {
        const float x = side * 5.2f, z = -2.5f;
        block(side < 0 ? "lantern_foot_l" : "lantern_foot_r", granite, x, 0.15f, z, 0.9f, 0.3f, 0.9f, 0.3f);
        block(side < 0 ? "lantern_post_l" : "lantern_post_r", granite, x, 0.9f, z, 0.35f, 1.2f, 0.35f, 0.3f);
        block(side < 0 ? "lantern_box_l" : "lantern_box_r", granite, x, 1.75f, z, 0.7f, 0.55f, 0.7f, 0.3f);
        block(side < 0 ? "lantern_roof_l" : "lantern_roof_r", granite, x, 2.15f, z, 1.1f, 0.25f, 1.1f, 0.3f);
    }
    // Crates and spheres.
    block("crate_a", timber, -6.8f, 0.5f, 2.5f, 1.0f, 1.0f, 1.0f, 0.5f);
    block("crate_b", timber, -7.6f, 0.4f, 1.2f, 0.8f, 0.8f, 0.8f, 0.2f);
    block("crate_c", timber, -7.1f, 1.3f, 2.3f, 0.6f, 0.6f, 0.6f, 0.9f);
    s.Add("pearl", TestMeshes::Sphere(6.5f, 1.0f, 1.5f), s.Material(pearl, 60.0f));
    s.Add("jade", TestMeshes::Sphere(7.8f, 0.7f, -0.6f, 32, 24), s.Material(jade, 40.0f));

    s.camera = new CameraNode(s.scene, "camera");
    const float eye[3] = {-5.5f, 2.6f, -17.0f}, target[3] = {0.0f, 2.4f, 0.0f};
    Aim(s.camera, eye, target);
    s.sun = new LightNode(s.scene, "sun");
    s.sun->GetLight().type = LIGHT_DIRECTIONAL;
    s.sun->GetLight().flags = LIGHT_FLAG_ENABLED | LIGHT_FLAG_SHADOWS;
    s.sunFlare = new LightNode(s.scene, "sun_flare");
    s.sunFlare->GetLight().type = LIGHT_DIRECTIONAL;
    s.sunFlare->GetLight().flags = LIGHT_FLAG_FLARE;
    s.Update();
    return s;
}

}  // namespace StillLife
