#include "render/GLShaderManager.h"

#include <array>

#include "GLTestContext.h"

namespace {
const char* kVertex = "#version 120\nvoid main() { gl_Position = ftransform(); }\n";
const char* kRed = "#version 120\nvoid main() { gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0); }\n";
const char* kGreen = "#version 120\nvoid main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n";

class GLShaderManagerTest : public RendererFixture {
protected:
    void SetUp() override {
        RendererFixture::SetUp();
        m_data.WriteText("GLSL/a.vert", kVertex);
        m_data.WriteText("GLSL/red.frag", kRed);
        m_data.WriteText("GLSL/green.frag", kGreen);
        m_data.WriteText("GLSL/broken.frag", "#version 120\nvoid main() { gl_FragColor = undefinedThing; }\n");
    }
    GLShaderManager* Shaders() { return GLShaderManager::GetInstance(); }
};
}  // namespace

TEST_F(GLShaderManagerTest, ProgramsAndShadersAreSharedAndCounted) {
    Loader* loader = m_data.GetLoader();
    uint32_t red = m_renderer->LoadProgram(loader, "GLSL/a.vert", "GLSL/red.frag");
    uint32_t again = m_renderer->LoadProgram(loader, "GLSL/a.vert", "GLSL/red.frag");
    ASSERT_NE(red, 0u);
    EXPECT_EQ(red, again);
    EXPECT_EQ(Shaders()->GetProgram(red)->references, 2u);
    uint32_t vertex = Shaders()->GetProgram(red)->vertexShader;
    EXPECT_EQ(Shaders()->GetShader(vertex)->references, 1u);

    uint32_t green = m_renderer->LoadProgram(loader, "GLSL/a.vert", "GLSL/green.frag");
    EXPECT_NE(green, red);
    EXPECT_EQ(Shaders()->GetProgram(green)->vertexShader, vertex);
    EXPECT_EQ(Shaders()->GetShader(vertex)->references, 2u);
    EXPECT_EQ(Shaders()->GetShaderCount(), 3u);

    uint32_t vertexOnly = m_renderer->LoadProgram(loader, "GLSL/a.vert", "");
    ASSERT_NE(vertexOnly, 0u);
    EXPECT_EQ(Shaders()->GetProgram(vertexOnly)->fragmentShader, 0u);
    GLint linked = 0;
    glGetProgramiv(vertexOnly, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);

    // The program draws what it says.
    m_renderer->SetViewport(std::array<float, 2>{0, 0}.data(), std::array<float, 2>{1, 1}.data());
    m_renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
    m_renderer->UseProgram(green);
    m_renderer->DrawScreenQuad(0);
    m_renderer->UseProgram(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    uint8_t px[4];
    ReadPixel(128, 128, px);
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(px[0], 0);

    m_renderer->FreeProgram(red);
    EXPECT_NE(Shaders()->GetProgram(red), nullptr);
    m_renderer->FreeProgram(red);
    EXPECT_EQ(Shaders()->GetProgram(red), nullptr);
    EXPECT_EQ(glIsProgram(red), GL_FALSE);
    EXPECT_NE(Shaders()->GetShader(vertex), nullptr);  // still used by green
    m_renderer->FreeProgram(green);
    m_renderer->FreeProgram(vertexOnly);
    EXPECT_EQ(Shaders()->GetShader(vertex), nullptr);
    EXPECT_EQ(glIsShader(vertex), GL_FALSE);

    m_renderer->FreeProgram(0);
    EXPECT_TRUE(m_log->Contains("WARNING: GLShaderManager: Shader program object not found: id=0\n"));
    std::string log = Shutdown();
    EXPECT_EQ(log.find("ndeleted"), std::string::npos) << log;
}

TEST_F(GLShaderManagerTest, CompilerMessagesEndTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Loader* loader = m_data.GetLoader();
    EXPECT_EXIT(
        {
            SetLogSinks(stderr, nullptr);
            m_renderer->LoadProgram(loader, "GLSL/a.vert", "GLSL/broken.frag");
        },
        ::testing::ExitedWithCode(255),
        "ERROR: GLShaderManager: Compiling shader failed: GLSL/broken.frag\nInfoLog:\n---\n.*undefinedThing");
    EXPECT_EXIT(
        {
            SetLogSinks(stderr, nullptr);
            m_renderer->LoadProgram(loader, "GLSL/a.vert", "GLSL/nothere.frag");
        },
        ::testing::ExitedWithCode(255), "ERROR: GLShaderManager: Loading shader source failed: GLSL/nothere.frag");
}

// Live reloading: a program keeps its id and uniform values across a new source; a broken
// source changes nothing and says where it is broken; going back to a text the driver has
// compiled before (answered from its cache) must still count as good.
TEST_F(GLShaderManagerTest, ReloadingInPlaceKeepsProgramsAndSurvivesBrokenSources) {
    Loader* loader = m_data.GetLoader();
    const char* kTinted = "#version 120\nuniform vec4 tint;\nvoid main() { gl_FragColor = tint; }\n";
    const char* kHalfTinted = "#version 120\nuniform vec4 tint;\nvoid main() { gl_FragColor = tint * 0.5; }\n";
    m_data.WriteText("GLSL/tint.frag", kTinted);
    const uint32_t program = m_renderer->LoadProgram(loader, "GLSL/a.vert", "GLSL/tint.frag");
    ASSERT_NE(program, 0u);
    glUseProgram(program);
    glUniform4f(glGetUniformLocation(program, "tint"), 0.0f, 1.0f, 0.0f, 1.0f);
    glUseProgram(0);
    auto drawn = [&] {
        m_renderer->SetViewport(std::array<float, 2>{0, 0}.data(), std::array<float, 2>{1, 1}.data());
        m_renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
        m_renderer->UseProgram(program);
        m_renderer->DrawScreenQuad(0);
        m_renderer->UseProgram(0);
        uint8_t px[4];
        ReadPixel(128, 128, px);
        return static_cast<int>(px[1]);
    };
    ASSERT_EQ(drawn(), 255);

    std::vector<std::string> problems;
    m_data.WriteText("GLSL/tint.frag", kHalfTinted);
    EXPECT_TRUE(Shaders()->ReloadShader(loader, "GLSL/tint.frag", &problems));
    EXPECT_TRUE(problems.empty());
    EXPECT_NEAR(drawn(), 128, 1);  // same id, uniform value kept

    m_data.WriteText("GLSL/tint.frag", "#version 120\nuniform vec4 tint;\nvoid main() { gl_FragColor = oops; }\n");
    EXPECT_FALSE(Shaders()->ReloadShader(loader, "GLSL/tint.frag", &problems));
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].rfind("GLSL/tint.frag:3: error: ", 0), 0u) << problems[0];
    EXPECT_NEAR(drawn(), 128, 1);  // still the last good version

    for (const char* text : {kTinted, kHalfTinted}) {
        problems.clear();
        m_data.WriteText("GLSL/tint.frag", text);
        EXPECT_TRUE(Shaders()->ReloadShader(loader, "GLSL/tint.frag", &problems)) << problems.size();
    }
    EXPECT_NEAR(drawn(), 128, 1);
    EXPECT_FALSE(Shaders()->ReloadShader(loader, "GLSL/unused.frag", &problems));  // not in use
    m_renderer->FreeProgram(program);
}

TEST(GLShaderManagerLog, DriverMessagesBecomeFileAndLine) {
    const struct {
        const char* log;
        const char* line;
    } cases[] = {
        {"0:12(5): error: `x' undeclared\n", "a.frag:12: error: `x' undeclared"},  // Mesa
        {"0(7) : error C0000: syntax error\n", "a.frag:7: error C0000: syntax error"},  // NVIDIA
        {"ERROR: 0:3: 'y' : undeclared identifier\n", "a.frag:3: 'y' : undeclared identifier"},
        {"link failed somewhere\n\n", "a.frag: link failed somewhere"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines = GLShaderManager::FormatLog("a.frag", c.log);
        ASSERT_EQ(lines.size(), 1u) << c.log;
        EXPECT_EQ(lines[0], c.line);
    }
}
