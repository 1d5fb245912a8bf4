// Techniques drawing real meshes into a render target; pixels are read back and compared.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "TestMeshes.h"
#include "io/Bitmap.h"
#include "materials/RT_Balloon.h"
#include "materials/RT_Karateka.h"
#include "materials/RT_Material_Texture.h"
#include "materials/RT_TVScreen.h"
#include "materials/RT_Undefined.h"
#include "render/GLRenderTarget.h"
#include "render/GLShaderManager.h"
#include "render/GLTestContext.h"
#include "scene/GeomEngine.h"

namespace {
const int kSize = 128;
const float kFov = 0.7f;
const float kNoPlane[4] = {0, 0, 0, 0};
const float kWhite[4] = {1, 1, 1, 1};

using Pixel = std::array<int, 4>;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Window pixel of an eye-space point under the fixture's projection.
int ToPixel(float coordinate, float depth, int size = kSize) {
    return static_cast<int>((coordinate / (-depth * std::tan(kFov / 2)) * 0.5f + 0.5f) * size);
}

int Brightness(const Pixel& p) {
    return p[0] + p[1] + p[2];
}

LightDesc Directional(float x, float y, float z) {
    LightDesc light;
    light.type = LIGHT_DIRECTIONAL;
    light.direction[0] = x;
    light.direction[1] = y;
    light.direction[2] = z;
    return light;
}

class TechniqueGLTest : public RendererFixture {
protected:
    void SetUp() override {
        RendererFixture::SetUp();
        // The shaders under test, as the program reads them: through the loader.
        const std::filesystem::path glsl = std::filesystem::path(TATAMIX_SOURCE_DIR) / "data";
        for (const auto& entry : std::filesystem::recursive_directory_iterator(glsl / "GLSL"))
            if (entry.is_regular_file())
                m_data.WriteText(std::filesystem::relative(entry.path(), glsl).string(),
                                 ReadFile(entry.path()));
        CreateGeomEngine();
        GetGeomEngine()->SetClipPlane(kNoPlane);
        m_target = m_renderer->CreateRenderTarget(kSize, kSize, 1.0f, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE,
                                                  FILTER_NEAREST, FILTER_NEAREST, kNoPlane);
        ASSERT_NE(m_target, nullptr);
        m_renderer->SetRenderTarget(m_target);
        m_renderer->ResetState();
        const float origin[2] = {0, 0}, full[2] = {1, 1}, fov[2] = {kFov, kFov};
        m_renderer->SetViewport(origin, full);
        m_renderer->SetPerspective(fov, 0.5f, 20.0f);
        m_renderer->Clear(CLEAR_COLOR_AND_DEPTH);
    }
    void TearDown() override {
        m_techniques.clear();
        m_renderer->SetRenderTarget(&m_window);
        delete m_target;
        DestroyGeomEngine();
        const std::string log = Shutdown();
        EXPECT_EQ(log.find("ndeleted"), std::string::npos) << log;
        if (!m_expectUniformWarnings) {
            EXPECT_EQ(log.find("Uniform location not found"), std::string::npos) << log;
        }
        RendererFixture::TearDown();
    }

    template <typename T>
    T* Keep(std::unique_ptr<T> technique) {
        T* raw = technique.get();
        m_techniques.push_back(std::move(technique));
        return raw;
    }
    RT_Material_Texture* Material(const std::string& pair, const std::string& depth = "GLSL/Plus/Depth") {
        auto technique = std::make_unique<RT_Material_Texture>();
        technique->SetProgram(0, true,
                              m_renderer->LoadProgram(m_data.GetLoader(), pair + ".vert", pair + ".frag"));
        technique->SetProgram(1, true,
                              m_renderer->LoadProgram(m_data.GetLoader(), depth + ".vert", depth + ".frag"));
        technique->SetColor(kWhite);
        return Keep(std::move(technique));
    }
    // fill(x, y, rgba) with y = 0 the bottom row (t = 0).
    uint32_t Texture(uint32_t w, uint32_t h, const std::function<void(uint32_t, uint32_t, uint8_t*)>& fill) {
        Bitmap bitmap;
        bitmap.Create(w, h, 32);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) fill(x, y, bitmap.GetPixels() + (y * w + x) * 4);
        m_renderer->ResetTextureParameters();
        m_renderer->SetTextureFilter(FILTER_NEAREST, FILTER_NEAREST, MIPMAP_NONE);
        m_renderer->SetTextureWrap(WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
        const uint32_t texture = m_renderer->AddTexture2D(&bitmap, FORMAT_RGBA);
        // Creation leaves the texture bound; a technique must bind what it samples itself.
        for (uint32_t unit = 0; unit < 4; ++unit) m_renderer->BindTexture(unit, 0, TEXTURE_TARGET_2D);
        return texture;
    }
    // The passes as the show runs them: depth only first, then the colour passes under GL_LEQUAL.
    void Render(RenderTechnique& technique, ElementList& list) {
        m_renderer->SetWriteMask(CLEAR_DEPTH);
        technique.Begin(PASS_DEPTH);
        technique.Draw(list);
        technique.End();
        m_renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
        for (int pass = PASS_OPAQUE; pass <= PASS_TRANSPARENT_FRONT; ++pass) {
            technique.Begin(pass);
            technique.Draw(list);
            technique.End();
        }
    }
    void Clear() { m_renderer->Clear(CLEAR_COLOR_AND_DEPTH); }
    Pixel At(int x, int y) {
        uint8_t p[4];
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2], p[3]};
    }
    float DepthAt(int x, int y) {
        float depth = 0;
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    }

    GLRenderTarget* m_target = nullptr;
    std::vector<std::unique_ptr<RenderTechnique>> m_techniques;
    bool m_expectUniformWarnings = false;
};
}  // namespace

TEST_F(TechniqueGLTest, EveryShaderBuildsAndDeclaresWhatItsTechniqueFeeds) {
    // The shader manager ends the process on any compiler or linker message, warnings included.
    struct Pair {
        std::string name;
        std::vector<std::string> uniforms;
    };
    std::vector<Pair> pairs = {
        {"GLSL/Plus/Depth", {"esClipPlane"}},
        {"GLSL/Plus/Depth_Alpha2D", {"esClipPlane", "texture0"}},
        {"GLSL/RT_Karateka",
         {"lightTypes", "texture0", "texture1", "texture2", "useShadowMask", "replaceColorOld",
          "replaceColorNew"}},
        {"GLSL/RT_Balloon", {"lightTypes", "texture0"}},
        {"GLSL/TVScreen",
         {"lightTypes", "esClipPlane", "texture0", "texture1", "texture2", "texture3", "useShadowMask"}},
        {"GLSL/Undefined", {}},
    };
    for (const char* material :
         {"Mat_Shd", "Mat_Shd_Color2D", "Mat_Shd_Alpha2D", "Mat_Shd_Alpha2D_Color2D", "Mat_Shd_Bump2D",
          "Mat_Shd_Bump2D_Color2D", "Mat_Shd_Env2D", "Mat_Shd_Color2D_Env2D", "Mat_Shd_Alpha2D_Env2D",
          "Mat_Shd_Alpha2D_Color2D_Env2D", "Mat_Shd_Bump2D_Env2D", "Mat_Shd_Bump2D_Color2D_Env2D"}) {
        const std::string name = material;
        Pair pair{"GLSL/Plus/" + name, {"lightTypes", "esClipPlane", "texture0", "useShadowMask"}};
        // One unit per layer named after "Mat_Shd", from unit 1 on.
        const int layers = static_cast<int>(std::count(name.begin(), name.end(), '_')) - 1;
        for (int unit = 1; unit <= layers; ++unit) pair.uniforms.push_back("texture" + std::to_string(unit));
        if (name.find("Color2D") != std::string::npos) pair.uniforms.push_back("colorTexOpacity");
        if (name.find("Alpha2D") != std::string::npos) pair.uniforms.push_back("alphaTexOpacity");
        pairs.push_back(pair);
    }
    std::string lightingBlock;
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        const std::string& base = pair.name;
        uint32_t program = m_renderer->LoadProgram(m_data.GetLoader(), base + ".vert", base + ".frag");
        ASSERT_NE(program, 0u);
        for (const std::string& uniform : pair.uniforms)
            EXPECT_GE(glGetUniformLocation(program, uniform.c_str()), 0) << uniform;
        if (base.find("Bump2D") != std::string::npos || base == "GLSL/RT_Karateka") {
            EXPECT_GE(glGetAttribLocation(program, "tangent"), 0);
        }
        m_renderer->FreeProgram(program);
        // The lit shaders share one lighting block; a fix in one copy must reach them all.
        const std::string source = ReadFile(std::string(TATAMIX_SOURCE_DIR) + "/data/" + base + ".frag");
        const size_t from = source.find("// --- lighting"), to = source.find("// --- end of lighting ---");
        if (from == std::string::npos) continue;
        ASSERT_NE(to, std::string::npos);
        if (lightingBlock.empty()) lightingBlock = source.substr(from, to - from);
        EXPECT_EQ(source.substr(from, to - from), lightingBlock);
    }
    EXPECT_FALSE(lightingBlock.empty());
}

TEST_F(TechniqueGLTest, EachLightTypeLightsTheSideFacingIt) {
    auto sphere = TestMeshes::Sphere(0, 0, -4);
    sphere->CreateVBO(BUFFER_STATIC, BUFFER_DRAW);
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd");
    LightDesc point;
    point.position[0] = 3;
    point.position[2] = -2;
    LightDesc spot = point;  // aimed at the sphere's centre, default cone with its soft edge
    spot.type = LIGHT_SPOT;
    spot.direction[0] = -0.832f;
    spot.direction[2] = -0.555f;
    const LightDesc lights[] = {Directional(1, 0, 0), point, spot};
    const int left = ToPixel(-0.6f, -3.2f), right = ToPixel(0.6f, -3.2f), middle = kSize / 2;
    for (const LightDesc& light : lights) {
        SCOPED_TRACE(light.type);
        Clear();
        m_renderer->DisableAllLights();
        m_renderer->SetLight(0, light);
        Render(*material, *sphere);
        EXPECT_GT(Brightness(At(right, middle)), 150);
        EXPECT_LT(Brightness(At(left, middle)), 10);
    }

    // A spot from the eye with a 0.1 rad cone: the centre is lit, beyond the cone it is dark.
    LightDesc headlight;
    headlight.type = LIGHT_SPOT;
    headlight.spotCutoff = 0.1f;
    headlight.spotCutoff2 = 0.0f;  // hard edge
    Clear();
    m_renderer->SetLight(0, headlight);
    Render(*material, *sphere);
    EXPECT_GT(Brightness(At(middle, middle)), 400);
    EXPECT_LT(Brightness(At(ToPixel(0.5f, -3.1f), middle)), 5);
    // Inside the cone a hard edge is as bright as the centre; a fully soft edge already fades.
    const int halfway = ToPixel(0.14f, -3.0f);
    const int hard = Brightness(At(halfway, middle));
    EXPECT_GT(hard, Brightness(At(middle, middle)) - 40);
    headlight.spotCutoff2 = headlight.spotCutoff;
    Clear();
    m_renderer->SetLight(0, headlight);
    Render(*material, *sphere);
    EXPECT_LT(Brightness(At(halfway, middle)), hard - 100);
    float exponent = -1;
    glGetLightfv(GL_LIGHT0, GL_SPOT_EXPONENT, &exponent);
    EXPECT_FLOAT_EQ(exponent, 1.0f);
}

TEST_F(TechniqueGLTest, ColourTextureShowsWhereItsCoordinatesPutIt) {
    auto box = TestMeshes::Box(0, 0, -4, 1);
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd_Color2D");
    // Quadrants: red bottom-left, green bottom-right, blue top-left, white top-right.
    material->SetTexture(1, true, Texture(2, 2, [](uint32_t x, uint32_t y, uint8_t* p) {
                             const uint8_t colors[4][4] = {
                                 {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
                             for (int c = 0; c < 4; ++c) p[c] = colors[y * 2 + x][c];
                         }));
    // The stage mirrors u: the texture matrix must survive into the draw.
    TextureTransform mirror;
    mirror.matrix[0] = -1;
    mirror.matrix[12] = 1;
    material->SetStage(1, mirror, 0);
    MaterialDesc glow = material->GetMaterial();
    const float one[4] = {1, 1, 1, 1}, zero[4] = {0, 0, 0, 1};
    std::copy(one, one + 4, glow.emission);
    std::copy(zero, zero + 4, glow.diffuse);
    std::copy(zero, zero + 4, glow.ambient);
    material->SetMaterial(glow);
    Render(*material, *box);
    const int low = ToPixel(-0.5f, -3), high = ToPixel(0.5f, -3);
    EXPECT_EQ(At(low, low), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(At(high, low), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(At(low, high), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(At(high, high), (Pixel{0, 0, 255, 255}));
    material->SetColorTexOpacity(0.0f);  // the surface colour (white) alone
    Clear();
    Render(*material, *box);
    EXPECT_EQ(At(low, low), (Pixel{255, 255, 255, 255}));
}

TEST_F(TechniqueGLTest, AlphaTextureCutsHolesInColourAndDepth) {
    auto box = TestMeshes::Box(0, 0, -4, 1);
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd_Alpha2D", "GLSL/Plus/Depth_Alpha2D");
    // Left half a hole (black: opacity 0), right half solid.
    material->SetTexture(1, true, Texture(2, 1, [](uint32_t x, uint32_t, uint8_t* p) {
                             p[0] = p[1] = p[2] = x ? 255 : 0;
                             p[3] = 255;
                         }));
    material->SetStage(1, TextureTransform(), 0);
    material->SetAlphaStage(1);
    m_renderer->SetLight(0, Directional(0, 0, 1));
    ASSERT_FALSE(material->IsTransparent());  // cut out, not blended: drawn in pass 1
    Render(*material, *box);
    const int hole = ToPixel(-0.5f, -3), solid = ToPixel(0.5f, -3), middle = kSize / 2;
    EXPECT_EQ(At(hole, middle), (Pixel{0, 0, 0, 0}));
    EXPECT_GT(Brightness(At(solid, middle)), 400);
    EXPECT_FLOAT_EQ(DepthAt(hole, middle), 1.0f);

    // The depth pass alone: the hole casts no depth.
    Clear();
    material->Begin(PASS_DEPTH);
    material->Draw(*box);
    material->End();
    EXPECT_FLOAT_EQ(DepthAt(hole, middle), 1.0f);
    EXPECT_LT(DepthAt(solid, middle), 1.0f);
}

TEST_F(TechniqueGLTest, BumpMapTurnsTheShadingOfAFlatFace) {
    auto box = TestMeshes::Box(0, 0, -4, 1);
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd_Bump2D");
    // Height fields, made normal maps as the show makes them: flat on the left (bottom) half,
    // rising towards +u (+v) on the other half, which so faces left (down).
    m_data.WriteImage("textures/ramp.png", 32, 8, 8, [](uint32_t x, uint32_t, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x < 16 ? 0 : (x - 16) * 12);
    });
    m_data.WriteImage("textures/rise.png", 8, 32, 8, [](uint32_t, uint32_t y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(y >= 16 ? 0 : (15 - y) * 12);  // image rows run top down
    });
    m_renderer->ResetTextureParameters();
    m_renderer->SetTextureFilter(FILTER_NEAREST, FILTER_NEAREST, MIPMAP_NONE);
    const uint32_t ramp = m_renderer->LoadNormalMapFromHeightField(m_data.GetLoader(), "textures/ramp.png");
    const uint32_t rise = m_renderer->LoadNormalMapFromHeightField(m_data.GetLoader(), "textures/rise.png");
    material->SetTexture(1, true, ramp);
    material->SetStage(1, TextureTransform(), 0);
    auto contrast = [&](ElementList& list, const LightDesc& light, int x0, int y0, int x1, int y1) {
        Clear();
        m_renderer->SetLight(0, light);
        Render(*material, list);
        return Brightness(At(x1, y1)) - Brightness(At(x0, y0));
    };
    const int low = ToPixel(-0.5f, -3), high = ToPixel(0.5f, -3), middle = kSize / 2;
    EXPECT_GT(contrast(*box, Directional(-1, 0, 1), low, middle, high, middle), 60);
    EXPECT_LT(contrast(*box, Directional(1, 0, 1), low, middle, high, middle), -60);  // turned away
    // The v direction follows normal x tangent, turned round where the handedness says so.
    material->SetTexture(1, true, rise);
    EXPECT_GT(contrast(*box, Directional(0, -1, 1), middle, low, middle, high), 60);
    auto mirrored = TestMeshes::Box(0, 0, -4, 1, nullptr, -1.0f);
    EXPECT_LT(contrast(*mirrored, Directional(0, -1, 1), middle, low, middle, high), -60);
}

TEST_F(TechniqueGLTest, EnvironmentIsSphereMappedOntoTheSphere) {
    auto sphere = TestMeshes::Sphere(0, 0, -4);
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd_Env2D");
    const float black[4] = {0, 0, 0, 1};
    material->SetColor(black);  // only the reflection shows
    // Green in the middle of the sphere map (what faces the viewer), red towards the rim.
    material->SetTexture(1, true, Texture(16, 16, [](uint32_t x, uint32_t y, uint8_t* p) {
                             const bool centre = (x - 7.5f) * (x - 7.5f) + (y - 7.5f) * (y - 7.5f) < 16;
                             p[0] = centre ? 0 : 255;
                             p[1] = centre ? 255 : 0;
                             p[2] = 0;
                             p[3] = 255;
                         }));
    Render(*material, *sphere);
    const int middle = kSize / 2;
    EXPECT_EQ(At(middle, middle), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(At(ToPixel(0.95f, -4.0f), middle), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(At(2, 2), (Pixel{0, 0, 0, 0}));  // beside the sphere nothing is drawn
}

TEST_F(TechniqueGLTest, ShadowMaskChannelRemovesOnlyItsOwnLight) {
    auto box = TestMeshes::Box(0, 0, -2.2f, 1);  // fills the whole target
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd");
    LightDesc red = Directional(0, 0, 1), blue = Directional(0, 0, 1);
    red.diffuse[1] = red.diffuse[2] = 0;
    blue.diffuse[0] = blue.diffuse[1] = 0;
    m_renderer->SetLight(0, red);
    m_renderer->SetLight(1, blue);
    const int left = kSize / 4, right = 3 * kSize / 4, middle = kSize / 2;
    Render(*material, *box);  // no mask bound: both lights everywhere
    EXPECT_GT(At(left, middle)[0], 150);
    EXPECT_GT(At(left, middle)[2], 150);
    // Screen-space mask: red channel (light 0) shadowed on the left half, green (light 1) lit.
    material->SetTexture(0, true, Texture(2, 1, [](uint32_t x, uint32_t, uint8_t* p) {
                             p[0] = x ? 255 : 0;
                             p[1] = p[2] = p[3] = 255;
                         }));
    Clear();
    Render(*material, *box);
    EXPECT_LT(At(left, middle)[0], 5);
    EXPECT_GT(At(left, middle)[2], 150);
    EXPECT_GT(At(right, middle)[0], 150);
    EXPECT_GT(At(right, middle)[2], 150);
}

TEST_F(TechniqueGLTest, ClipPlaneCutsAwayTheNegativeSideInEveryPass) {
    // The viewer turned half round and moved back: world +x shows on the left of the picture.
    Matrix view;
    view.RotateY(3.14159265f);
    view.Translate(0, 0, 4);
    GetGeomEngine()->SetCurrentViewMatrix(view);
    m_renderer->SetModelViewMatrix(view.GetData());
    const float keepRight[4] = {1, 0, 0, -0.3f};  // world x >= 0.3
    GetGeomEngine()->SetClipPlane(keepRight);
    auto sphere = TestMeshes::Sphere(0, 0, 0);
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd");
    m_renderer->SetModelViewMatrix(view.GetData());
    LightDesc light = Directional(0, 0, -1);  // from the viewer, in world space
    m_renderer->SetLight(0, light);
    Render(*material, *sphere);
    const int kept = ToPixel(-0.5f, -3.2f), cut = ToPixel(-0.15f, -3.05f), middle = kSize / 2;
    const int worldNegative = ToPixel(0.4f, -3.2f);
    EXPECT_GT(Brightness(At(kept, middle)), 300);
    EXPECT_EQ(At(cut, middle), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(At(worldNegative, middle), (Pixel{0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(DepthAt(worldNegative, middle), 1.0f);  // the depth pass was clipped too
    // The plane (0, 0, 0, 0) clips nothing.
    GetGeomEngine()->SetClipPlane(kNoPlane);
    Clear();
    Render(*material, *sphere);
    EXPECT_GT(Brightness(At(worldNegative, middle)), 300);

    // Fighters are never clipped, although they share the depth program a clipped surface used.
    GetGeomEngine()->SetClipPlane(keepRight);
    RT_Karateka* karateka = Keep(std::make_unique<RT_Karateka>());
    Clear();
    material->Begin(PASS_DEPTH);
    material->End();
    karateka->Begin(PASS_DEPTH);
    karateka->Draw(*sphere);
    karateka->End();
    EXPECT_LT(DepthAt(worldNegative, middle), 1.0f);
}

TEST_F(TechniqueGLTest, KaratekaTurnsTheWhiteGiIntoTheFightersColour) {
    // A sprite of three blocks: white gi, a light grey fold of it, and skin.
    const float gi[4] = {1, 1, 1, 1}, fold[4] = {0.75f, 0.75f, 0.75f, 1}, skin[4] = {0.95f, 0.75f, 0.6f, 1};
    auto giBlock = TestMeshes::Box(-0.7f, 0, -4, 0.3f, gi);
    auto foldBlock = TestMeshes::Box(0, 0, -4, 0.3f, fold);
    auto skinBlock = TestMeshes::Box(0.7f, 0, -4, 0.3f, skin);
    RT_Karateka* karateka = Keep(std::make_unique<RT_Karateka>());
    m_renderer->SetLight(0, Directional(0.6f, 0, 0.8f));  // from the side: no highlight on the gi
    const float red[4] = {0.8f, 0.1f, 0.1f, 1};
    auto draw = [&]() {
        Clear();
        for (ElementList* block : {giBlock.get(), foldBlock.get(), skinBlock.get()})
            Render(*karateka, *block);
    };
    const int middle = kSize / 2, giX = ToPixel(-0.7f, -3.7f), foldX = kSize / 2,
              skinX = ToPixel(0.7f, -3.7f);
    draw();  // both colours black (the referee): nothing changes
    const Pixel plainGi = At(giX, middle), plainFold = At(foldX, middle), plainSkin = At(skinX, middle);
    EXPECT_NEAR(plainGi[0], plainGi[2], 2);
    EXPECT_GT(plainGi[0], 200);
    karateka->SetReplaceColors(gi, red);
    draw();
    const Pixel redGi = At(giX, middle), redFold = At(foldX, middle);
    EXPECT_GT(redGi[0], 150);
    EXPECT_LT(redGi[1], 60);
    EXPECT_LT(redFold[1], 60);
    EXPECT_LT(redFold[0], redGi[0] - 20);  // the fold keeps its shading
    EXPECT_EQ(At(skinX, middle), plainSkin);
    EXPECT_NE(redFold, plainFold);

    // A transparent fighter's back-face pass must leave depth writes on for whoever draws next.
    MaterialDesc faded = karateka->GetMaterial();
    faded.diffuse[3] = 0.5f;
    karateka->SetMaterial(faded);
    karateka->SetDoubleSided(true);
    karateka->Begin(PASS_TRANSPARENT_BACK);
    EXPECT_EQ(karateka->GetCurrentPass(), PASS_TRANSPARENT_BACK);
    karateka->Draw(*giBlock);
    karateka->End();
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
}

TEST_F(TechniqueGLTest, UndefinedDrawsMagentaInThePassOneOnly) {
    auto sphere = TestMeshes::Sphere(0, 0, -4);
    RT_Undefined* undefined = Keep(std::make_unique<RT_Undefined>());
    Render(*undefined, *sphere);
    const Pixel centre = At(kSize / 2, kSize / 2);
    EXPECT_GT(centre[0], 200);
    EXPECT_GT(centre[2], 200);
    EXPECT_LT(centre[1], 10);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // the tangent stream has no fixed array
    Clear();
    undefined->Begin(PASS_DEPTH);
    undefined->Draw(*sphere);
    undefined->End();
    EXPECT_FLOAT_EQ(DepthAt(kSize / 2, kSize / 2), 1.0f);
}

TEST_F(TechniqueGLTest, ShaderWithoutLightTypesWarnsAtEveryBeginAndStillDraws) {
    m_expectUniformWarnings = true;
    auto box = TestMeshes::Box(0, 0, -4, 1);
    RT_Material_Texture* material = Material("GLSL/Undefined");
    for (int i = 0; i < 2; ++i) {
        Clear();
        Render(*material, *box);
        EXPECT_GT(Brightness(At(kSize / 2, kSize / 2)), 100);
    }
    EXPECT_EQ(m_log->Count("WARNING: RT_Material_Texture: Uniform location not found: lightTypes\n"), 2);
}

TEST_F(TechniqueGLTest, RangesDrawOnlyTheirIndices) {
    auto box = TestMeshes::Box(0, 0, -4, 1);  // the front face is indices 0..5
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd");
    m_renderer->SetLight(0, Directional(0, 0, 1));
    auto drawRange = [&](uint32_t first, uint32_t count) {
        Clear();
        m_renderer->ResetStatistics();
        material->Begin(PASS_OPAQUE);
        material->DrawRange(*box, first, count);
        material->End();
        return Brightness(At(kSize / 2, kSize / 2));
    };
    EXPECT_GT(drawRange(0, 6), 300);
    EXPECT_EQ(m_renderer->GetIndexCount(), 6u);
    EXPECT_EQ(m_renderer->GetVertexCount(), 4u);
    EXPECT_EQ(drawRange(6, 30), 0);
    EXPECT_EQ(drawRange(30, 100), 0);  // clamped to the list: the bottom face only
    EXPECT_EQ(m_renderer->GetIndexCount(), 6u);
}

TEST_F(TechniqueGLTest, TVScreenGlowsWithItsPictureAndBalloonPrintsItsGlyphs) {
    auto box = TestMeshes::Box(0, 0, -4, 1);
    RT_TVScreen* screen = Keep(std::make_unique<RT_TVScreen>());
    screen->SetTexture(1, true, Texture(1, 1, [](uint32_t, uint32_t, uint8_t* p) {
                           p[0] = p[3] = 255;
                           p[1] = p[2] = 0;
                       }));
    screen->SetStage(1, TextureTransform(), 0);
    Render(*screen, *box);  // no lights: the picture shines by itself
    const Pixel centre = At(kSize / 2, kSize / 2);
    EXPECT_GT(centre[0], 180);
    EXPECT_LT(centre[1], 30);
    EXPECT_LT(Brightness(At(ToPixel(-0.97f, -3), ToPixel(-0.97f, -3))), 30);  // the tube's bent corner

    // The font is the page: paper everywhere, the cell of "A" (column 1, row 4 from the top)
    // ink on its left half and transparent (outside the balloon) on its right half.
    m_data.WriteImage("textures/font_C64.png", 128, 128, 32, [](uint32_t x, uint32_t y, uint8_t* p) {
        const bool cellOfA = x / 8 == 1 && y / 8 == 4, ink = cellOfA && x % 8 < 4;
        const uint8_t paper[4] = {246, 241, 226, 255}, dark[4] = {30, 28, 48, 255};
        for (int c = 0; c < 4; ++c) p[c] = ink ? dark[c] : paper[c];
        if (cellOfA && !ink) p[3] = 0;
    });
    RT_Balloon* balloon = Keep(std::make_unique<RT_Balloon>());
    TextureTransform cellOfA;  // the face's 0..1 coordinates onto the glyph cell
    cellOfA.matrix[0] = cellOfA.matrix[5] = 0.0625f;
    cellOfA.matrix[12] = 0.0625f;
    cellOfA.matrix[13] = 11 * 0.0625f;
    balloon->SetStage(0, cellOfA, 0);
    LightDesc light = Directional(0.5f, 0.3f, 1);  // off the eye's axis: no highlight in the way
    light.intensity = 0.6f;
    m_renderer->SetLight(0, light);
    const float cream[4] = {1, 0.98f, 0.9f, 1};
    auto page = TestMeshes::Box(0, 0, -4, 1, cream);
    Clear();
    Render(*balloon, *page);
    const int left = ToPixel(-0.5f, -3), right = ToPixel(0.5f, -3), middle = kSize / 2;
    EXPECT_LT(Brightness(At(left, middle)), 100);
    EXPECT_EQ(At(right, middle), (Pixel{0, 0, 0, 0}));
    balloon->SetStage(0, TextureTransform(), 0);  // the whole grid: paper around the cell of "A"
    Clear();
    Render(*balloon, *page);
    const Pixel paper = At(right, middle);
    EXPECT_GT(Brightness(paper), 400);
    EXPECT_GT(paper[0], paper[2] + 10);  // warm paper
}

TEST_F(TechniqueGLTest, DoubleSidedSurfacesShowTheirBackFacesLit) {
    auto box = TestMeshes::Box(0, 0, -4, 1);  // indices 6..11: the far face, turned away from the eye
    RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd");
    m_renderer->SetLight(0, Directional(0, 0, 1));
    auto farFace = [&] {
        Clear();
        material->Begin(PASS_OPAQUE);
        material->DrawRange(*box, 6, 6);
        material->End();
        return Brightness(At(kSize / 2, kSize / 2));
    };
    EXPECT_EQ(farFace(), 0);  // culled
    material->SetDoubleSided(true);
    EXPECT_GT(farFace(), 500);  // lit as seen, with the normal turned towards the viewer
}

// Writes the look of the materials (lit, colour-textured, bump-mapped sphere and box) as a PNG
// into the build folder for people to look at; checks only that both objects were drawn.
TEST_F(TechniqueGLTest, PreviewOfTheLitTexturedBumpMappedSphereAndBox) {
    const int size = 384;
    GLRenderTarget* preview = m_renderer->CreateRenderTarget(
        size, size, 1.0f, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, FILTER_NEAREST, FILTER_NEAREST, kNoPlane);
    ASSERT_NE(preview, nullptr);
    m_renderer->SetRenderTarget(preview);
    const float origin[2] = {0, 0}, full[2] = {1, 1}, background[4] = {0.05f, 0.05f, 0.08f, 1};
    m_renderer->SetViewport(origin, full);
    m_renderer->SetClearColor(background);
    Clear();
    m_data.WriteImage("textures/height.png", 64, 64, 8, [](uint32_t x, uint32_t y, uint8_t* p) {
        // Raised rounded tiles.
        const float u = (x % 16) - 7.5f, v = (y % 16) - 7.5f, r = std::sqrt(u * u + v * v);
        p[0] = static_cast<uint8_t>(r < 6.0f ? 120.0f : std::max(0.0f, 120.0f - 40.0f * (r - 6.0f)));
    });
    auto make = [&](float r, float g, float b) {
        RT_Material_Texture* material = Material("GLSL/Plus/Mat_Shd_Bump2D_Color2D");
        m_renderer->ResetTextureParameters();
        m_renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_LINEAR);
        m_renderer->SetTextureFlags(TEXTURE_FLAG_MIPMAP);
        material->SetTexture(
            1, true, m_renderer->LoadNormalMapFromHeightField(m_data.GetLoader(), "textures/height.png"));
        material->SetTexture(2, true, Texture(8, 8, [=](uint32_t x, uint32_t y, uint8_t* p) {
                                 const float shade = (x + y) % 2 ? 0.6f : 1.0f;
                                 p[0] = static_cast<uint8_t>(255 * r * shade);
                                 p[1] = static_cast<uint8_t>(255 * g * shade);
                                 p[2] = static_cast<uint8_t>(255 * b * shade);
                                 p[3] = 255;
                             }));
        TextureTransform tiles;
        tiles.matrix[0] = tiles.matrix[5] = 2;
        material->SetStage(1, tiles, 0);
        material->SetStage(2, TextureTransform(), 0);
        MaterialDesc shiny = material->GetMaterial();
        shiny.shininess = 40;
        for (int c = 0; c < 3; ++c) shiny.specular[c] = 0.5f;
        material->SetMaterial(shiny);
        return material;
    };
    RT_Material_Texture* orange = make(0.9f, 0.5f, 0.2f);
    RT_Material_Texture* blue = make(0.3f, 0.6f, 0.9f);
    // Lights in eye space: a warm key from the upper left, a cool point light low on the right.
    const float ambient[4] = {0.12f, 0.12f, 0.16f, 1};
    m_renderer->SetAmbientLight(ambient);
    LightDesc key = Directional(-0.5f, 0.7f, 0.6f), fill;
    key.diffuse[2] = 0.85f;
    fill.position[0] = 3;
    fill.position[1] = -1;
    fill.position[2] = -2;
    fill.diffuse[0] = 0.3f;
    fill.diffuse[1] = 0.35f;
    fill.diffuse[2] = 0.6f;
    m_renderer->SetLight(0, key);
    m_renderer->SetLight(1, fill);
    auto sphere = TestMeshes::Sphere(-0.85f, 0, -5.2f);
    Render(*orange, *sphere);
    Matrix turn;
    turn.Translate(0.95f, 0, -4.8f);
    turn.RotateY(0.6f);
    turn.RotateX(0.4f);
    m_renderer->SetModelViewMatrix(turn.GetData());
    auto box = TestMeshes::Box(0, 0, 0, 0.55f);
    Render(*blue, *box);
    EXPECT_GT(Brightness(At(ToPixel(-0.85f, -4.2f, size), size / 2)), 100);
    EXPECT_GT(Brightness(At(ToPixel(0.95f, -4.3f, size), size / 2)), 100);
    std::vector<uint8_t> pixels(size * size * 4), rows(size * size * 4);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (int y = 0; y < size; ++y)
        std::copy_n(&pixels[(size - 1 - y) * size * 4], size * 4, &rows[y * size * 4]);
    EXPECT_TRUE(
        WritePNG(std::string(TATAMIX_BINARY_DIR) + "/materials_preview.png", size, size, 32, rows.data()));
    m_renderer->SetRenderTarget(m_target);
    delete preview;
}
