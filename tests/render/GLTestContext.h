#pragma once

#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "io/Loader.h"
#include "io/PngWriter.h"
#include "render/IRenderTarget.h"
#include "render/IRenderer.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/VirtualDisplay.h"

// A window-like target of any size: frame buffer 0 with a chosen aspect ratio.
class TestWindow : public IRenderTarget {
public:
    TestWindow(int width, int height, float aspect) : m_width(width), m_height(height), m_aspect(aspect) {}
    int GetWidth() override { return m_width; }
    int GetHeight() override { return m_height; }
    float GetAspectRatio() override { return m_aspect; }
    uint32_t GetColorTexture() override { return 0; }
    uint32_t GetDepthTexture() override { return 0; }
    uint32_t GetFrameBuffer() override { return 0; }
    uint32_t GetDepthRenderBuffer() override { return 0; }
    void AttachSharedDepthBuffer(IRenderTarget*) override {}

private:
    int m_width;
    int m_height;
    float m_aspect;
};

// One freeglut window (and GL context) per test process, on a virtual display of the
// process's own. False, with the reason in *why, when there is none.
inline bool EnsureGLContext(std::string* why = nullptr) {
    static bool ready = false;
    if (ready) return true;
    if (!UsePrivateDisplay(why)) return false;
    int argc = 1;
    char name[] = "render_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL | GLUT_DOUBLE);
    glutInitWindowSize(256, 256);
    glutCreateWindow("render test");
    glewExperimental = GL_TRUE;
    ready = glewInit() == GLEW_OK;
    if (!ready && why) *why = "GLEW could not load the OpenGL entry points";
    return ready;
}

// A scratch data directory (textures/ and GLSL/ made) read through a Loader, removed at the end.
class TestDataDir {
public:
    TestDataDir() {
        m_dir.MakeDir("textures");
        m_dir.MakeDir("GLSL");
        m_loader.LoadFromDataDirectory(m_dir.Path() + "/");
    }
    Loader* GetLoader() { return &m_loader; }
    void WriteText(const std::string& name, const std::string& text) { m_dir.Write(name, text); }
    // Every pixel from fill(x, y, rgba).
    template <typename Fill>
    void WriteImage(const std::string& name, uint32_t w, uint32_t h, uint32_t bpp, Fill fill) {
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * (bpp / 8));
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                fill(x, y, &pixels[(static_cast<size_t>(y) * w + x) * (bpp / 8)]);
        WritePNG(m_dir.Path() + "/" + name, w, h, bpp, pixels.data());
    }

private:
    TempDir m_dir;
    Loader m_loader;
};

// Font grid of 8x8-pixel cells: only "A" (column 1, row 4) is lit, the rest is transparent black.
inline void WriteTestFont(TestDataDir& data) {
    data.WriteImage("textures/font_default.png", 128, 128, 32, [](uint32_t x, uint32_t y, uint8_t* p) {
        bool lit = x / 8 == 1 && y / 8 == 4;
        p[0] = p[1] = p[2] = p[3] = lit ? 255 : 0;
    });
}

// Renderer on the test window with a data directory holding the test font.
class RendererFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!EnsureGLContext(&why)) GTEST_SKIP() << why;
        WriteTestFont(m_data);
        SetLoader(m_data.GetLoader());
        m_log = std::make_unique<LogCapture>(LogCapture::kAllLevels);
        m_renderer = CreateRenderer();
        ASSERT_TRUE(m_renderer->Init(&m_window));
    }
    void TearDown() override {
        if (GetRenderer()) DestroyRenderer();
        SetLoader(nullptr);
        m_log.reset();
    }
    // Ends the renderer now and returns everything logged.
    std::string Shutdown() {
        DestroyRenderer();
        return m_log->Text();
    }
    void ReadPixel(int x, int y, uint8_t* rgba) { glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba); }

    TestDataDir m_data;
    TestWindow m_window{256, 256, 1.0f};
    std::unique_ptr<LogCapture> m_log;
    IRenderer* m_renderer = nullptr;
};
