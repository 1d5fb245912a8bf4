// Techniques over the recording renderer: which passes they take, what they restore, which
// uniforms they miss aloud, and what they release.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "materials/RT_Balloon.h"
#include "materials/RT_Karateka.h"
#include "materials/RT_Material_Texture.h"
#include "materials/RT_TVScreen.h"
#include "materials/RT_Undefined.h"
#include "render/ElementList.h"
#include "show/FakeRenderer.h"
#include "support/LogCapture.h"

namespace {

class TechniqueTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_renderer.programToReturn = 7;
        SetTestRenderer(&m_renderer);
        m_list.AllocVertexData(VERTEX_DATA_POSITION, 12);
        m_list.AllocIndices();
    }
    void TearDown() override { SetTestRenderer(nullptr); }
    // Calls made from now on.
    std::vector<std::string> Calls(const std::function<void()>& action) {
        m_renderer.calls.clear();
        action();
        return m_renderer.calls;
    }
    static bool Has(const std::vector<std::string>& calls, const std::string& call) {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    FakeRenderer m_renderer;
    LogCapture m_log;
    ElementList m_list{PRIMITIVE_TRIANGLES, 3, 3};
};

enum Setting { kOpaque, kBlended, kHalfAlpha, kHalfAlphaDoubleSided, kOpaqueDoubleSided };

void Apply(LitRenderTechnique& technique, Setting setting) {
    if (setting == kBlended) technique.SetBlend(true, BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA);
    if (setting == kHalfAlpha || setting == kHalfAlphaDoubleSided) {
        MaterialDesc material = technique.GetMaterial();
        material.diffuse[3] = 0.5f;
        technique.SetMaterial(material);
    }
    technique.SetDoubleSided(setting == kHalfAlphaDoubleSided || setting == kOpaqueDoubleSided);
}

}  // namespace

TEST_F(TechniqueTest, EachClassTakesItsPassesAndDeclinesTheRest) {
    struct Row {
        const char* kind;
        Setting setting;
        const char* passes;  // the accepted passes among 0..3
    };
    const Row rows[] = {
        {"material", kOpaque, "01"},
        {"material", kBlended, "03"},
        {"material", kHalfAlpha, "03"},
        {"material", kHalfAlphaDoubleSided, "023"},
        {"material", kOpaqueDoubleSided, "01"},
        {"karateka", kOpaque, "01"},
        {"karateka", kHalfAlphaDoubleSided, "023"},
        {"karateka", kBlended, "03"},
        {"tvscreen", kOpaque, "01"},
        {"tvscreen", kHalfAlphaDoubleSided, "01"},
        {"balloon", kOpaque, "01"},
        {"balloon", kBlended, "01"},
        {"undefined", kOpaque, "1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.kind) + " setting " + std::to_string(row.setting));
        std::unique_ptr<RenderTechnique> technique;
        const std::string kind = row.kind;
        if (kind == "undefined") {
            technique = std::make_unique<RT_Undefined>();
        } else {
            std::unique_ptr<LitRenderTechnique> lit;
            if (kind == "material") lit = std::make_unique<RT_Material_Texture>();
            if (kind == "karateka") lit = std::make_unique<RT_Karateka>();
            if (kind == "tvscreen") lit = std::make_unique<RT_TVScreen>();
            if (kind == "balloon") lit = std::make_unique<RT_Balloon>();
            Apply(*lit, row.setting);
            technique = std::move(lit);
        }
        for (int pass = 0; pass <= 4; ++pass) {
            const bool accepted =
                std::string(row.passes).find(static_cast<char>('0' + pass)) != std::string::npos;
            const auto calls = Calls([&] {
                technique->Begin(pass);
                EXPECT_EQ(technique->GetCurrentPass(), accepted ? pass : PASS_NONE) << "pass " << pass;
                technique->Draw(m_list);
                technique->End();
            });
            EXPECT_EQ(Has(calls, "DrawElementsRange 0 3"), accepted) << "pass " << pass;
            EXPECT_EQ(technique->GetCurrentPass(), PASS_NONE);
        }
    }
}

TEST_F(TechniqueTest, EndUndoesWhatItsPassSwitched) {
    RT_Karateka karateka;
    Apply(karateka, kHalfAlphaDoubleSided);
    auto begin = Calls([&] { karateka.Begin(PASS_TRANSPARENT_BACK); });
    EXPECT_TRUE(Has(begin, "SetWriteMask 15"));
    EXPECT_TRUE(Has(begin, "SetCulling 1 " + std::to_string(FACE_FRONT)));
    auto end = Calls([&] { karateka.End(); });
    EXPECT_TRUE(Has(end, "SetWriteMask 31"));  // depth writes back on for whoever draws next
    EXPECT_TRUE(Has(end, "SetCulling 1 " + std::to_string(FACE_BACK)));
    // Its depth pass changes no write mask, so its End leaves the caller's mask alone.
    EXPECT_FALSE(Has(Calls([&] {
                         karateka.Begin(PASS_DEPTH);
                         karateka.End();
                     }),
                     "SetWriteMask 31"));

    RT_Balloon balloon;
    EXPECT_TRUE(Has(Calls([&] { balloon.Begin(PASS_DEPTH); }), "SetWriteMask 16"));
    EXPECT_TRUE(Has(Calls([&] { balloon.End(); }), "SetWriteMask 31"));

    // A double-sided surface's depth pass switches culling off; End switches it on, face unchanged.
    RT_Material_Texture material;
    material.SetDoubleSided(true);
    EXPECT_TRUE(Has(Calls([&] { material.Begin(PASS_DEPTH); }), "SetCulling 0"));
    EXPECT_TRUE(Has(Calls([&] { material.End(); }), "SetCulling 1 0"));
}

TEST_F(TechniqueTest, SpotExponentCarriesTheSoftEdgeRatioAndLightTypesFollowTheLights) {
    LightDesc spot;
    spot.type = LIGHT_SPOT;
    EXPECT_NEAR(LitRenderTechnique::SpotSoftEdgeRatio(spot), 0.8333f, 1e-4f);  // 25 of 30 degrees
    spot.spotCutoff2 = spot.spotCutoff;
    EXPECT_FLOAT_EQ(LitRenderTechnique::SpotSoftEdgeRatio(spot), 1.0f);
    spot.spotCutoff2 = 0.0f;
    EXPECT_FLOAT_EQ(LitRenderTechnique::SpotSoftEdgeRatio(spot), 0.0f);
    spot.spotCutoff2 = 2.0f;
    EXPECT_FLOAT_EQ(LitRenderTechnique::SpotSoftEdgeRatio(spot), 1.0f);
    spot.spotCutoff2 = -0.2f;
    EXPECT_FLOAT_EQ(LitRenderTechnique::SpotSoftEdgeRatio(spot), 0.0f);

    LightDesc off = spot, point, directional, unknown;
    off.flags = 0;
    directional.type = LIGHT_DIRECTIONAL;
    unknown.type = 9;
    const LightDesc lights[4] = {off, point, directional, spot};
    for (int i = 0; i < 4; ++i) m_renderer.SetLight(i, lights[i]);
    float types[4];
    LitRenderTechnique::ComputeLightTypes(types);
    EXPECT_EQ(std::vector<float>(types, types + 4), (std::vector<float>{0, 1, 2, 3}));
    m_renderer.SetLight(3, unknown);
    LitRenderTechnique::ComputeLightTypes(types);
    EXPECT_EQ(types[3], 0.0f);
}

TEST_F(TechniqueTest, MissingNamedUniformsWarnOncePerBegin) {
    // Without GL no uniform is ever found: every named uniform misses.
    RT_Material_Texture material;
    for (int i = 0; i < 2; ++i) {
        material.Begin(PASS_OPAQUE);
        material.Draw(m_list);
        material.End();
    }
    material.Begin(PASS_DEPTH);
    material.End();
    EXPECT_EQ(m_log.Count("WARNING: RT_Material_Texture: Uniform location not found: lightTypes\n"), 2);
    EXPECT_EQ(m_log.Count("Uniform location not found"), 2);  // the other uniforms are skipped quietly

    RT_Karateka karateka;
    karateka.Begin(PASS_OPAQUE);
    karateka.End();
    for (const char* name : {"lightTypes", "replaceColorOld", "replaceColorNew"})
        EXPECT_EQ(
            m_log.Count(std::string("WARNING: RT_Karateka: Uniform location not found: ") + name + "\n"), 1);
    RT_TVScreen screen;
    screen.Begin(PASS_OPAQUE);
    screen.End();
    EXPECT_EQ(m_log.Count("WARNING: RT_TVScreen: Uniform location not found: lightTypes\n"), 1);
    RT_Balloon balloon;
    balloon.Begin(PASS_OPAQUE);
    balloon.End();
    EXPECT_EQ(m_log.Count("Uniform location not found"), 6);
}

TEST_F(TechniqueTest, OwnedSlotsAreReleasedAndBorrowedOnesOnlyForgotten) {
    auto material = std::make_unique<RT_Material_Texture>();
    material->SetTexture(3, true, 50);
    EXPECT_TRUE(Has(Calls([&] { material->SetTexture(3, false, 51); }), "FreeTexture 50"));
    EXPECT_EQ(Calls([&] { material->SetTexture(3, true, 52); }), std::vector<std::string>{});
    EXPECT_TRUE(Has(Calls([&] { material->ReleaseTexture(3); }), "FreeTexture 52"));
    EXPECT_EQ(material->GetTexture(3), 0u);
    material->SetProgram(2, false, 60);
    EXPECT_EQ(Calls([&] { material->SetProgram(2, true, 61); }), std::vector<std::string>{});
    material->SetTexture(16, true, 70);  // no such slot
    EXPECT_EQ(material->GetTexture(16), 0u);
    material->SetTexture(4, false, 71);
    EXPECT_EQ(Calls([&] { material.reset(); }), std::vector<std::string>{"FreeProgram 61"});

    // Every class releases what it loaded; the borrowed shadow texture stays with its owner.
    m_renderer.calls.clear();
    m_renderer.livePrograms = m_renderer.liveTextures = 0;
    {
        RT_Karateka karateka;
        karateka.SetTexture(0, false, 99);
        RT_Balloon balloon;
        RT_TVScreen screen;
        RT_Undefined undefined;
        EXPECT_GT(m_renderer.livePrograms, 0);
        EXPECT_EQ(m_renderer.liveTextures, 1);  // the balloon's font
    }
    EXPECT_EQ(m_renderer.livePrograms, 0);
    EXPECT_EQ(m_renderer.liveTextures, 0);
    EXPECT_FALSE(m_renderer.Contains("FreeTexture 99"));
}

TEST_F(TechniqueTest, RangesReachTheRenderer) {
    RT_Karateka karateka;
    karateka.Begin(PASS_OPAQUE);
    EXPECT_TRUE(Has(Calls([&] { karateka.DrawRange(m_list, 6, 12); }), "DrawElementsRange 6 12"));
    karateka.End();
    karateka.DrawRange(m_list, 0, 3);  // no pass open: nothing
    EXPECT_EQ(m_renderer.Find("DrawElementsRange 0 3"), -1);
}
