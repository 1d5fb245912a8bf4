// The general surface handler against a recording renderer: which shader pairs and textures
// each combination of texture channels gets, on which units, and what the technique's
// material follows over time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/GLSLPlusSurfaceHandler.h"
#include "lightwave/LWObject.h"
#include "materials/RT_Material_Texture.h"
#include "show/FakeRenderer.h"
#include "support/LogCapture.h"

namespace {

class HandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTestRenderer(&renderer);
        object.imageDirectory = "images/";
        for (uint32_t clip = 1; clip <= 4; ++clip) {
            LWClip c;
            c.index = clip;
            c.fileName = "C:\\art\\map" + std::to_string(clip) + ".png";
            object.clips.push_back(c);
        }
    }
    void TearDown() override { SetTestRenderer(nullptr); }

    // A surface of the object with one layer per named channel (clips 1, 2, ... in order).
    LWSurface& Surface(const std::vector<const char*>& channels, int32_t reflectionImage = -1) {
        auto surface = std::make_unique<LWSurface>();
        surface->object = &object;
        surface->name = "S" + std::to_string(object.surfaces.size());
        surface->reflectionImage = reflectionImage;
        int32_t clip = 1;
        for (const char* channel : channels) {
            LWTextureLayer layer;
            layer.channel = channel;
            layer.image = clip++;
            layer.texCoordSet = static_cast<int32_t>(surface->textureLayers.size());
            layer.widthWrap = LWTextureLayer::WRAP_MIRROR;
            layer.heightWrap = LWTextureLayer::WRAP_RESET;
            layer.pixelBlending = channel[0] != 'B';
            surface->textureLayers.push_back(layer);
        }
        for (size_t i = 0; i < surface->textureLayers.size(); ++i) {
            for (int c = 0; c < LWSurface::kChannelCount; ++c) {
                if (surface->textureLayers[i].channel == LWSurface::ChannelName(c) &&
                    surface->channelLayer[c] < 0)
                    surface->channelLayer[c] = static_cast<int32_t>(i);
            }
        }
        object.surfaces.push_back(std::move(surface));
        return *object.surfaces.back();
    }

    bool Called(const std::string& call) const {
        return std::find(renderer.calls.begin(), renderer.calls.end(), call) != renderer.calls.end();
    }

    FakeRenderer renderer;
    LWObject object;
};

}  // namespace

TEST_F(HandlerTest, ChannelsPickTheShaderPairsAndUnits) {
    struct Case {
        std::vector<const char*> channels;
        int32_t reflection;
        const char* material;
        const char* depth;
    };
    const Case cases[] = {
        {{}, -1, "Mat_Shd", "Depth"},
        {{"COLR"}, -1, "Mat_Shd_Color2D", "Depth"},
        {{"TRAN"}, -1, "Mat_Shd_Alpha2D", "Depth_Alpha2D"},
        {{"COLR", "TRAN"}, -1, "Mat_Shd_Alpha2D_Color2D", "Depth_Alpha2D"},
        {{"BUMP"}, -1, "Mat_Shd_Bump2D", "Depth"},
        {{"COLR", "BUMP"}, -1, "Mat_Shd_Bump2D_Color2D", "Depth"},
        {{}, 4, "Mat_Shd_Env2D", "Depth"},
        {{"COLR"}, 4, "Mat_Shd_Color2D_Env2D", "Depth"},
        {{"TRAN"}, 4, "Mat_Shd_Alpha2D_Env2D", "Depth_Alpha2D"},
        {{"COLR", "TRAN"}, 4, "Mat_Shd_Alpha2D_Color2D_Env2D", "Depth_Alpha2D"},
        {{"BUMP"}, 4, "Mat_Shd_Bump2D_Env2D", "Depth"},
        {{"COLR", "BUMP"}, 4, "Mat_Shd_Bump2D_Color2D_Env2D", "Depth"},
        {{"REFL"}, -1, "Mat_Shd", "Depth"},  // a reflection layer without an image: no unit
    };
    GLSLPlusSurfaceHandler handler(nullptr);
    for (const Case& c : cases) {
        renderer.calls.clear();
        LWSurface& surface = Surface(c.channels, c.reflection);
        std::shared_ptr<RenderTechnique> technique = handler.InitSurface(surface);
        ASSERT_TRUE(technique);
        EXPECT_EQ(technique->GetName(), "RT_Material_Texture");
        const std::string m = std::string("GLSL/Plus/") + c.material, d = std::string("GLSL/Plus/") + c.depth;
        EXPECT_TRUE(Called("LoadProgram " + m + ".vert " + m + ".frag")) << c.material;
        EXPECT_TRUE(Called("LoadProgram " + d + ".vert " + d + ".frag")) << c.material;
    }

    // Colour and transparency: alpha on unit 1 fed by its own coordinate set, colour on unit 2;
    // the alpha unit cuts the depth pass and the surface blends.
    renderer.calls.clear();
    renderer.nextTexture = 50;
    LWSurface& both = Surface({"COLR", "TRAN"});
    auto technique = std::static_pointer_cast<RT_Material_Texture>(handler.InitSurface(both));
    EXPECT_TRUE(Called("LoadTexture2D images/map2.png 5"));  // the TRAN layer, as transparency
    EXPECT_TRUE(Called("LoadTexture2D images/map1.png 1"));  // the COLR layer, as colour
    EXPECT_EQ(technique->GetTexture(1), 50u);
    EXPECT_EQ(technique->GetTexture(2), 51u);
    EXPECT_EQ(technique->GetStage(1).uvSet, 1);
    EXPECT_EQ(technique->GetStage(2).uvSet, 0);
    EXPECT_EQ(technique->GetAlphaStage(), 1);
    EXPECT_TRUE(technique->GetBlend());
    // Mirror and reset wraps, mipmapped linear filtering for pixel blending, transparency made
    // opacity.
    EXPECT_TRUE(Called("SetTextureWrap 5 4 1"));
    EXPECT_TRUE(Called("SetTextureFlags 2"));
    EXPECT_TRUE(Called("SetTextureFilter 2 2 2"));
    EXPECT_TRUE(Called("SetPixelTransfer -1 -1 -1 -1 1 1 1 1"));

    // The environment unit takes sphere-map coordinates, not a coordinate set.
    renderer.calls.clear();
    handler.SetShadowTexture(77);
    LWSurface& shiny = Surface({"BUMP"}, 3);
    shiny.reflection.value = 0.5f;
    auto env = std::static_pointer_cast<RT_Material_Texture>(handler.InitSurface(shiny));
    EXPECT_EQ(env->GetTexture(0), 77u);
    EXPECT_EQ(env->GetStage(2).transform.genModeS, static_cast<uint32_t>(TEXGEN_SPHERE_MAP));
    EXPECT_EQ(env->GetStage(2).uvSet, -1);
    EXPECT_TRUE(Called("SetTextureWrap 3 3 3"));
    EXPECT_TRUE(Called("SetTextureFilter 1 1 0"));  // the bump layer has no pixel blending
    EXPECT_TRUE(Called("SetPixelTransfer 0.5 0.5 0.5 1 0 0 0 0"));
    EXPECT_TRUE(Called("LoadTexture2D images/map3.png 1"));
    EXPECT_FALSE(env->GetBlend());
}

TEST_F(HandlerTest, BumpWithAlphaGetsTheUndefinedTechnique) {
    LogCapture log;
    GLSLPlusSurfaceHandler handler(nullptr);
    for (int reflection : {-1, 2}) {
        LWSurface& surface = Surface({"BUMP", "TRAN"}, reflection);
        std::shared_ptr<RenderTechnique> technique = handler.InitSurface(surface);
        ASSERT_TRUE(technique);
        EXPECT_EQ(technique->GetName(), "RT_Undefined");
        EXPECT_FALSE(handler.UpdateSurface(surface, technique.get(), 0.0f));
    }
    EXPECT_TRUE(log.Has("WARNING: Unsupported render technique: flags=6"));
    EXPECT_TRUE(log.Has("WARNING: Unsupported render technique: flags=14"));
}

TEST_F(HandlerTest, MaterialFollowsTheSurfaceOverTime) {
    GLSLPlusSurfaceHandler handler(nullptr);
    LWSurface& surface = Surface({"COLR"});
    surface.doubleSided = true;
    surface.specular.value = 0.3f;
    surface.colourHighlights.value = 0.2f;
    surface.luminosity.value = 0.1f;
    surface.transparency.value = 0.25f;
    surface.colour.c[1].value = 0.5f;
    LWEnvelope glossy;
    glossy.AddKey(0, 0.4f, LWEnvelope::SHAPE_LINEAR);
    glossy.AddKey(1, 1.0f, LWEnvelope::SHAPE_LINEAR);
    surface.glossiness.SetEnvelope(glossy);
    LWEnvelope dim;
    dim.AddKey(0, 1.0f, LWEnvelope::SHAPE_LINEAR);
    dim.AddKey(1, 0.5f, LWEnvelope::SHAPE_LINEAR);
    surface.diffuse.SetEnvelope(dim);
    auto technique = std::static_pointer_cast<RT_Material_Texture>(handler.InitSurface(surface));
    const MaterialDesc& start = technique->GetMaterial();
    EXPECT_FLOAT_EQ(start.shininess, 64.0f);  // 2^(10 * 0.4 + 2)
    EXPECT_FLOAT_EQ(start.emission[3], 0.1f);
    EXPECT_FLOAT_EQ(start.specular[0], 0.3f);
    EXPECT_FLOAT_EQ(start.specular[3], 0.2f);
    EXPECT_FLOAT_EQ(start.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(start.diffuse[3], 0.75f);
    EXPECT_FLOAT_EQ(start.ambient[3], 0.75f);
    EXPECT_FLOAT_EQ(technique->GetColor()[1], 0.5f);
    EXPECT_TRUE(technique->IsDoubleSided());

    EXPECT_TRUE(handler.UpdateSurfaceChained(surface, technique.get(), 1.0f));
    EXPECT_FLOAT_EQ(technique->GetMaterial().shininess, 128.0f);  // 2^12, clamped
    EXPECT_FLOAT_EQ(technique->GetMaterial().diffuse[1], 0.5f);
    surface.glossiness.SetEnvelope(LWEnvelope());  // evaluates to 0: 2^2
    handler.UpdateSurface(surface, technique.get(), 0.0f);
    EXPECT_FLOAT_EQ(technique->GetMaterial().shininess, 4.0f);
}
