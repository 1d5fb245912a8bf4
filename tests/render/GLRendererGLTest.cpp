#include <cmath>
#include <cstring>

#include "GLTestContext.h"
#include "render/ElementList.h"
#include "render/GLFrameBufferManager.h"
#include "render/GLRenderTarget.h"
#include "render/GLRenderer.h"

namespace {
const float kOrigin[2] = {0, 0};
const float kFull[2] = {1, 1};

class GLRendererTest : public RendererFixture {
protected:
    GLRenderTarget* MakeTarget(uint32_t w, uint32_t h) {
        const float border[4] = {0, 0, 0, 0};
        return m_renderer->CreateRenderTarget(w, h, float(w) / float(h), WRAP_CLAMP_TO_EDGE,
                                              WRAP_CLAMP_TO_EDGE, FILTER_NEAREST, FILTER_NEAREST, border);
    }
    void Ortho() {
        m_renderer->SetOrtho(0, 1, 1, 0, -1, 1);
        m_renderer->LoadModelViewIdentity();
    }
};
}  // namespace

TEST_F(GLRendererTest, ViewportIsFittedToTheAspectAndCentred) {
    TestWindow window(800, 600, 16.0f / 9.0f);
    m_renderer->SetRenderTarget(&window);
    m_renderer->SetViewport(kOrigin, kFull);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 0);
    EXPECT_EQ(vp[1], 75);
    EXPECT_EQ(vp[2], 800);
    EXPECT_EQ(vp[3], 450);

    // Picture narrower than the target: pillarboxed.
    TestWindow tall(800, 400, 1.0f);
    m_renderer->SetRenderTarget(&tall);
    m_renderer->SetViewport(kOrigin, kFull);
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 200);
    EXPECT_EQ(vp[1], 0);
    EXPECT_EQ(vp[2], 400);
    EXPECT_EQ(vp[3], 400);

    // Off-centre, non-square requests on mismatched aspects: on the fitted axis the size comes
    // from the other axis's size and the position is replaced by the centring offset.
    struct Case {
        int width, height;
        float aspect, pos[2], size[2];
        GLint expected[4];
    } cases[] = {
        {800, 600, 16.0f / 9.0f, {0.25f, 0.5f}, {0.5f, 0.8f}, {200, 127, 400, 225}},
        {800, 400, 1.0f, {0.1f, 0.3f}, {0.6f, 0.5f}, {140, 120, 200, 200}},
    };
    for (const Case& c : cases) {
        TestWindow target(c.width, c.height, c.aspect);
        m_renderer->SetRenderTarget(&target);
        m_renderer->SetViewport(c.pos, c.size);
        glGetIntegerv(GL_VIEWPORT, vp);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(vp[i], c.expected[i]) << c.width << "x" << c.height << " [" << i << "]";
        m_renderer->SetRenderTarget(&m_window);
    }

    TestWindow same(640, 480, 640.0f / 480.0f);
    m_renderer->SetRenderTarget(&same);
    const float pos[2] = {0.25f, 0.5f}, size[2] = {0.5f, 0.25f};
    m_renderer->SetViewport(pos, size);
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 160);
    EXPECT_EQ(vp[1], 240);
    EXPECT_EQ(vp[2], 320);
    EXPECT_EQ(vp[3], 120);

    // Scissor uses plain fractions of the current target.
    m_renderer->SetScissor(true, pos, size);
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 160);
    EXPECT_EQ(box[3], 120);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    m_renderer->SetScissor(false, pos, size);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    m_renderer->SetRenderTarget(&m_window);
}

TEST_F(GLRendererTest, ClearTouchesOnlyTheSelectedBuffers) {
    m_renderer->SetViewport(kOrigin, kFull);
    const float red[4] = {1, 0, 0, 1}, green[4] = {0, 1, 0, 1};
    m_renderer->SetClearColor(green);
    m_renderer->SetClearDepth(0.25f);
    glClearStencil(7);
    m_renderer->Clear(CLEAR_ALL);
    m_renderer->SetClearColor(red);
    m_renderer->SetClearDepth(1.0f);
    m_renderer->Clear(CLEAR_RED);
    uint8_t px[4];
    float depth = 0;
    GLint stencil = 0;
    ReadPixel(10, 10, px);
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    EXPECT_NEAR(depth, 0.25f, 0.01f);

    glClearStencil(3);
    m_renderer->SetClearColor(green);
    m_renderer->Clear(CLEAR_DEPTH | CLEAR_STENCIL);
    ReadPixel(10, 10, px);
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glReadPixels(10, 10, 1, 1, GL_STENCIL_INDEX, GL_INT, &stencil);
    EXPECT_EQ(px[0], 255);
    EXPECT_NEAR(depth, 1.0f, 0.01f);
    EXPECT_EQ(stencil, 3);

    // A masked channel keeps its value through a clear.
    m_renderer->SetWriteMask(CLEAR_GREEN | CLEAR_DEPTH);
    m_renderer->Clear(CLEAR_COLOR_ALL);
    ReadPixel(10, 10, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 255);
    m_renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
}

TEST_F(GLRendererTest, EveryEnumReachesOpenGLAsItsOwnValue) {
    auto get = [](GLenum name) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return static_cast<GLenum>(value);
    };
    // Codes 1 to 11 in their documented order.
    const GLenum factors[] = {GL_ZERO,
                              GL_ONE,
                              GL_DST_COLOR,
                              GL_SRC_COLOR,
                              GL_ONE_MINUS_DST_COLOR,
                              GL_ONE_MINUS_SRC_COLOR,
                              GL_DST_ALPHA,
                              GL_SRC_ALPHA,
                              GL_ONE_MINUS_DST_ALPHA,
                              GL_ONE_MINUS_SRC_ALPHA,
                              GL_SRC_ALPHA_SATURATE};
    for (uint32_t code = BLEND_ZERO; code <= BLEND_SRC_ALPHA_SATURATE; ++code) {
        m_renderer->SetBlend(true, code, code == BLEND_SRC_ALPHA_SATURATE ? BLEND_ONE : code);
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(get(GL_BLEND_SRC_RGB), factors[code - 1]) << "blend source " << code;
        if (code != BLEND_SRC_ALPHA_SATURATE) {
            EXPECT_EQ(get(GL_BLEND_DST_RGB), factors[code - 1]) << code;
        }
    }
    const GLenum functions[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    for (uint32_t code = COMPARE_NEVER; code <= COMPARE_ALWAYS; ++code) {
        m_renderer->SetDepthTest(true, code);
        EXPECT_EQ(get(GL_DEPTH_FUNC), functions[code - 1]) << "depth " << code;
        m_renderer->SetAlphaTest(true, code, 0.5f);
        EXPECT_EQ(get(GL_ALPHA_TEST_FUNC), functions[code - 1]) << "alpha " << code;
    }
    const GLenum faces[] = {GL_BACK, GL_FRONT, GL_FRONT_AND_BACK};
    for (uint32_t code = FACE_BACK; code <= FACE_FRONT_AND_BACK; ++code) {
        m_renderer->SetCulling(true, code);
        EXPECT_EQ(get(GL_CULL_FACE_MODE), faces[code - 1]) << "face " << code;
    }
    m_renderer->SetFrontFace(FRONT_FACE_CW);
    EXPECT_EQ(get(GL_FRONT_FACE), static_cast<GLenum>(GL_CW));
    m_renderer->SetFrontFace(FRONT_FACE_CCW);
    EXPECT_EQ(get(GL_FRONT_FACE), static_cast<GLenum>(GL_CCW));

    // Texture filters (magnification, and minification with each mipmap mode) and wraps.
    struct Filter {
        uint32_t filter, mipmap;
        GLenum mag, min;
    } filters[] = {{FILTER_NEAREST, MIPMAP_NONE, GL_NEAREST, GL_NEAREST},
                   {FILTER_LINEAR, MIPMAP_NONE, GL_LINEAR, GL_LINEAR},
                   {FILTER_NEAREST, MIPMAP_NEAREST, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST},
                   {FILTER_LINEAR, MIPMAP_NEAREST, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST},
                   {FILTER_NEAREST, MIPMAP_LINEAR, GL_NEAREST, GL_NEAREST_MIPMAP_LINEAR},
                   {FILTER_LINEAR, MIPMAP_LINEAR, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR}};
    const GLenum wraps[] = {GL_REPEAT, GL_CLAMP, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER, GL_MIRRORED_REPEAT};
    for (size_t i = 0; i < 6; ++i) {
        const uint32_t wrap = WRAP_REPEAT + static_cast<uint32_t>(i % 5);
        m_renderer->ResetTextureParameters();
        m_renderer->SetTextureFilter(filters[i].filter, filters[i].filter, filters[i].mipmap);
        m_renderer->SetTextureWrap(wrap, WRAP_REPEAT + static_cast<uint32_t>((i + 1) % 5), WRAP_REPEAT);
        const uint32_t texture = m_renderer->AddDynamicTexture2D(4, 4, FORMAT_RGBA);
        ASSERT_NE(texture, 0u);
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(static_cast<GLenum>(value), filters[i].mag) << i;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(static_cast<GLenum>(value), filters[i].min) << i;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(static_cast<GLenum>(value), wraps[i % 5]) << i;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(static_cast<GLenum>(value), wraps[(i + 1) % 5]) << i;
        glBindTexture(GL_TEXTURE_2D, 0);
        m_renderer->FreeTexture(texture);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    m_renderer->ResetState();
}

TEST_F(GLRendererTest, SpriteIsPlacedRotatedAndTextured) {
    GLRenderTarget* target = MakeTarget(64, 64);
    ASSERT_NE(target, nullptr);
    m_renderer->SetRenderTarget(target);
    m_renderer->SetViewport(kOrigin, kFull);
    m_renderer->SetCulling(false, 0);
    const float black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    m_renderer->SetClearColor(black);
    m_renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
    Ortho();
    // A thin horizontal bar, turned by 90 degrees, becomes vertical.
    const float pos[2] = {0.5f, 0.5f}, size[2] = {0.8f, 0.1f};
    m_renderer->DrawSprite(pos, size, 1.0f, 1.5707964f, white, 0, nullptr);
    uint8_t px[4];
    ReadPixel(32, 56, px);
    EXPECT_EQ(px[0], 255);
    ReadPixel(56, 32, px);
    EXPECT_EQ(px[0], 0);
    // Horizontal scale -1 mirrors, still covering the centre.
    m_renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
    m_renderer->DrawSprite(pos, size, -1.0f, 0.0f, white, 0, nullptr);
    ReadPixel(56, 32, px);
    EXPECT_EQ(px[0], 255);

    m_renderer->SetRenderTarget(&m_window);
    delete target;
}

TEST_F(GLRendererTest, DrawTextLightsOnlyTheGlyph) {
    ASSERT_NE(static_cast<GLRenderer*>(m_renderer)->GetFontTexture(), 0u);
    GLRenderTarget* target = MakeTarget(128, 128);
    ASSERT_NE(target, nullptr);
    m_renderer->SetRenderTarget(target);
    m_renderer->SetViewport(kOrigin, kFull);
    const float black[4] = {0, 0, 0, 1};
    m_renderer->SetClearColor(black);
    m_renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
    m_renderer->SetDepthTest(false, COMPARE_ALWAYS);
    m_renderer->SetCulling(false, 0);
    // Pixel coordinates, y up; each glyph is 32 x 32.
    m_renderer->SetOrtho(0, 128, 128, 0, -1, 1);
    m_renderer->LoadModelViewIdentity();
    const float pos[2] = {0, 128};
    m_renderer->ResetStatistics();
    m_renderer->DrawText(pos, 1.0f, 32.0f, "AB\nA", 1.0f, 1.0f);
    uint8_t px[4];
    ReadPixel(16, 112, px);  // first A
    EXPECT_GT(px[0], 200);
    ReadPixel(48, 112, px);  // B: an empty cell in this font
    EXPECT_LT(px[0], 30);
    ReadPixel(16, 80, px);  // A on the next line, at the starting x
    EXPECT_GT(px[0], 200);
    ReadPixel(48, 80, px);
    EXPECT_LT(px[0], 30);
    ReadPixel(100, 20, px);  // never drawn
    EXPECT_EQ(px[0], 0);
    // Three glyphs, two triangles each.
    EXPECT_EQ(m_renderer->GetDrawCallCount(), 3u);
    EXPECT_EQ(m_renderer->GetPrimitiveCount(), 6u);
    m_renderer->SetRenderTarget(&m_window);
    delete target;
}

TEST_F(GLRendererTest, StatisticsCountPrimitivesByType) {
    struct Case {
        uint32_t type, vertices, primitives;
    } cases[] = {{PRIMITIVE_TRIANGLES, 6, 2},    {PRIMITIVE_TRIANGLE_STRIP, 5, 3},
                 {PRIMITIVE_TRIANGLE_FAN, 6, 4}, {PRIMITIVE_LINES, 5, 2},
                 {PRIMITIVE_LINE_STRIP, 5, 4},   {PRIMITIVE_LINE_LOOP, 5, 5},
                 {PRIMITIVE_POINTS, 7, 7},       {99, 3, 3}};
    for (const Case& c : cases) {
        ElementList list(c.type, c.vertices, c.vertices);
        list.AllocVertexData(VERTEX_DATA_POSITION, 12);
        uint32_t* indices = list.AllocIndices();
        for (uint32_t i = 0; i < c.vertices; ++i) indices[i] = i;
        m_renderer->ResetStatistics();
        m_renderer->EnableVertexArrays(&list);
        m_renderer->DrawElements(&list);
        m_renderer->DisableVertexArrays(&list);
        EXPECT_EQ(m_renderer->GetPrimitiveCount(), c.primitives) << c.type;
        EXPECT_EQ(m_renderer->GetVertexCount(), c.vertices);
        EXPECT_EQ(m_renderer->GetIndexCount(), c.vertices);
        EXPECT_EQ(m_renderer->GetDrawCallCount(), 1u);
    }
    m_renderer->ResetStatistics();
    EXPECT_EQ(m_renderer->GetPrimitiveCount(), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GLRendererTest, TriangleFromABufferObjectLandsInTheRenderTarget) {
    GLRenderTarget* target = MakeTarget(64, 64);
    ASSERT_NE(target, nullptr);
    m_renderer->SetRenderTarget(target);
    m_renderer->SetViewport(kOrigin, kFull);
    m_renderer->SetCulling(false, 0);
    const float black[4] = {0, 0, 0, 1};
    m_renderer->SetClearColor(black);
    m_renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
    Ortho();

    ElementList list(PRIMITIVE_TRIANGLES, 3, 3);
    list.AllocVertexData(VERTEX_DATA_POSITION, 12);
    list.AllocVertexData(VERTEX_DATA_COLOR, 16);
    const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const float colors[12] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
    std::memcpy(list.GetVertexData(VERTEX_DATA_POSITION), positions, sizeof(positions));
    std::memcpy(list.GetVertexData(VERTEX_DATA_COLOR), colors, sizeof(colors));
    uint32_t* indices = list.AllocIndices();
    indices[0] = 0;
    indices[1] = 1;
    indices[2] = 2;
    uint32_t vbo = list.CreateVBO(BUFFER_STATIC, BUFFER_DRAW);
    ASSERT_NE(vbo, 0u);
    m_renderer->BindBuffer(BUFFER_ARRAY, vbo);
    m_renderer->EnableVertexArrays(&list);
    m_renderer->DrawElements(&list);
    m_renderer->DisableVertexArrays(&list);
    m_renderer->UnbindBuffer(BUFFER_ARRAY);
    uint8_t px[4];
    ReadPixel(10, 10, px);  // inside the lower-left half
    EXPECT_EQ(px[1], 255);
    ReadPixel(54, 54, px);  // outside
    EXPECT_EQ(px[1], 0);
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Same data through a GLSL 1.20 program that reads the conventional inputs.
    m_data.WriteText("GLSL/pass.vert",
                     "#version 120\nvoid main() { gl_FrontColor = gl_Color; gl_Position = ftransform(); }\n");
    m_data.WriteText("GLSL/pass.frag", "#version 120\nvoid main() { gl_FragColor = gl_Color.bgra; }\n");
    uint32_t program = m_renderer->LoadProgram(m_data.GetLoader(), "GLSL/pass.vert", "GLSL/pass.frag");
    ASSERT_NE(program, 0u);
    m_renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
    m_renderer->UseProgram(program);
    m_renderer->BindBuffer(BUFFER_ARRAY, vbo);
    m_renderer->EnableVertexArrays(&list);
    m_renderer->DrawElements(&list);
    m_renderer->DisableVertexArrays(&list);
    m_renderer->UnbindBuffer(BUFFER_ARRAY);
    m_renderer->UseProgram(0);
    ReadPixel(10, 10, px);
    EXPECT_EQ(px[1], 255);
    m_renderer->FreeProgram(program);
    list.Destroy();
    m_renderer->SetRenderTarget(&m_window);
    delete target;
    std::string log = Shutdown();
    EXPECT_EQ(log.find("ndeleted"), std::string::npos) << log;
}

TEST_F(GLRendererTest, LightsAndMaterialsAreSentAsDescribed) {
    ASSERT_GE(m_renderer->GetLightCount(), 1u);
    EXPECT_GE(m_renderer->GetTextureUnitCount(), 1u);
    LightDesc spot;
    spot.type = LIGHT_SPOT;
    spot.spotCutoff = 0.0f;
    spot.intensity = 0.5f;
    m_renderer->SetLight(0, spot);
    float value[4] = {0};
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, value);
    EXPECT_NEAR(value[0], 0.001f, 1e-5f);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, value);
    EXPECT_FLOAT_EQ(value[0], 0.5f);
    EXPECT_FLOAT_EQ(value[3], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(m_renderer->GetLight(0)->type, static_cast<uint32_t>(LIGHT_SPOT));
    EXPECT_EQ(m_renderer->GetLight(m_renderer->GetLightCount()), nullptr);

    // Back to a point light: no cone left over.
    LightDesc point;
    m_renderer->SetLight(0, point);
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, value);
    EXPECT_FLOAT_EQ(value[0], 180.0f);
    LightDesc off;
    off.type = 9;
    m_renderer->SetLight(0, off);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    m_renderer->SetLight(m_renderer->GetLightCount(), point);  // ignored

    m_renderer->SetLight(1, point);
    m_renderer->DisableAllLights();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_EQ(m_renderer->GetLight(1)->flags, 0u);

    MaterialDesc material;
    material.shininess = 200.0f;
    m_renderer->SetMaterial(FACE_FRONT, material);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, value);
    EXPECT_FLOAT_EQ(value[0], 128.0f);
    material.shininess = -5.0f;
    m_renderer->SetMaterial(FACE_FRONT_AND_BACK, material);
    glGetMaterialfv(GL_BACK, GL_SHININESS, value);
    EXPECT_FLOAT_EQ(value[0], 0.0f);
}

TEST_F(GLRendererTest, SettingTheSameTargetTwiceBindsOnce) {
    GLRenderTarget* target = MakeTarget(32, 32);
    ASSERT_NE(target, nullptr);
    GLFrameBufferManager* frameBuffers = GLFrameBufferManager::GetInstance();
    uint32_t before = frameBuffers->GetBindCount();
    m_renderer->SetRenderTarget(target);
    m_renderer->SetRenderTarget(target);
    EXPECT_EQ(frameBuffers->GetBindCount(), before + 1);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), target->GetFrameBuffer());
    m_renderer->SetRenderTarget(&m_window);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(bound, 0);
    // Deleting the current target forgets it, so a later target at the same address still binds.
    m_renderer->SetRenderTarget(target);
    delete target;
    EXPECT_EQ(m_renderer->GetRenderTarget(), nullptr);
    m_renderer->SetRenderTarget(&m_window);
}

TEST_F(GLRendererTest, TeardownReportsWhatWasLeftBehind) {
    std::string clean = m_log->Text();
    Bitmap* none = nullptr;
    EXPECT_EQ(m_renderer->AddTexture2D(none, FORMAT_RGB), 0u);
    uint32_t dynamic = m_renderer->AddDynamicTexture2D(16, 16, FORMAT_RGBA);
    ASSERT_NE(dynamic, 0u);
    const float data[3] = {1, 2, 3};
    uint32_t buffer = m_renderer->CreateBuffer(BUFFER_ARRAY, BUFFER_STATIC, BUFFER_DRAW, data, sizeof(data));
    ASSERT_NE(buffer, 0u);
    m_data.WriteText("GLSL/leak.vert", "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
    uint32_t program = m_renderer->LoadProgram(m_data.GetLoader(), "GLSL/leak.vert", "");
    ASSERT_NE(program, 0u);
    GLuint fbo = GLFrameBufferManager::GetInstance()->CreateFrameBuffer();
    std::string log = Shutdown();
    EXPECT_NE(log.find("WARNING: GLTextureManager: undeleted textures: 1\n"
                       "WARNING: -Undeleted texture: \"\", id=" +
                       std::to_string(dynamic) + "\n"),
              std::string::npos)
        << log;
    EXPECT_NE(
        log.find("WARNING: GLVertexBufferManager: undeleted buffers: 1\nWARNING: -Undeleted buffer: id=" +
                 std::to_string(buffer) + "\n"),
        std::string::npos);
    EXPECT_NE(log.find("WARNING: GLShaderManager: undeleted shaders: 1\n"
                       "WARNING: -Undeleted shader: \"GLSL/leak.vert\", id="),
              std::string::npos);
    EXPECT_NE(log.find("WARNING: GLShaderManager: undeleted programs: 1\nWARNING: -Undeleted program: id=" +
                       std::to_string(program) + "\n"),
              std::string::npos);
    EXPECT_NE(log.find("WARNING: GLFrameBufferManager: undeleted frame buffers: 1\n"
                       "WARNING: -Undeleted buffer: id=" +
                       std::to_string(fbo) + "\n"),
              std::string::npos);
    // The font texture and the quad were released before the managers went.
    EXPECT_EQ(log.find("-Undeleted texture: \"textures/font_default.png\""), std::string::npos);
    EXPECT_EQ(glIsTexture(dynamic), GL_FALSE);
    EXPECT_EQ(clean.find("ndeleted"), std::string::npos);
    EXPECT_NE(log.find("* Destroying vertex buffer manager..\n"), std::string::npos);
}
