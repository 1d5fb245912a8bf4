#pragma once

#include <GL/glew.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/Log.h"
#include "io/Loader.h"
#include "io/PngWriter.h"
#include "render/IRenderTarget.h"
#include "render/IRenderer.h"

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

// One freeglut window (and GL context) per test process on the virtual display.
inline bool EnsureGLContext() {
    static bool ready = false;
    if (ready) return true;
    int argc = 1;
    char name[] = "render_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL | GLUT_DOUBLE);
    glutInitWindowSize(256, 256);
    glutCreateWindow("render test");
    glewExperimental = GL_TRUE;
    ready = glewInit() == GLEW_OK;
    return ready;
}

// A scratch data directory read through a Loader, removed at the end.
class TestDataDir {
public:
    TestDataDir() {
        char pattern[] = "/tmp/tatamix_render_XXXXXX";
        const char* dir = mkdtemp(pattern);
        m_path = dir ? std::string(dir) + "/" : std::string("/tmp/");
        std::system(("mkdir -p " + m_path + "textures " + m_path + "GLSL").c_str());
        m_loader.LoadFromDataDirectory(m_path);
    }
    ~TestDataDir() { std::system(("rm -rf " + m_path).c_str()); }
    const std::string& Path() const { return m_path; }
    Loader* GetLoader() { return &m_loader; }
    void WriteText(const std::string& name, const std::string& text) {
        FILE* f = std::fopen((m_path + name).c_str(), "wb");
        if (!f) return;
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    // Every pixel from fill(x, y, rgba).
    template <typename Fill>
    void WriteImage(const std::string& name, uint32_t w, uint32_t h, uint32_t bpp, Fill fill) {
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * (bpp / 8));
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) fill(x, y, &pixels[(static_cast<size_t>(y) * w + x) * (bpp / 8)]);
        WritePNG(m_path + name, w, h, bpp, pixels.data());
    }

private:
    std::string m_path;
    Loader m_loader;
};

// Captures every log line in a temporary file.
class LogCapture {
public:
    LogCapture() : m_file(std::tmpfile()) { SetLogSinks(nullptr, m_file); }
    ~LogCapture() {
        SetLogSinks(nullptr, nullptr);
        if (m_file) std::fclose(m_file);
    }
    std::string Text() {
        std::string text;
        if (!m_file) return text;
        std::fflush(m_file);
        long end = std::ftell(m_file);
        std::rewind(m_file);
        text.resize(end > 0 ? static_cast<size_t>(end) : 0);
        if (!text.empty()) text.resize(std::fread(&text[0], 1, text.size(), m_file));
        std::fseek(m_file, 0, SEEK_END);
        return text;
    }
    bool Contains(const std::string& line) { return Text().find(line) != std::string::npos; }

private:
    FILE* m_file;
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
        ASSERT_TRUE(EnsureGLContext());
        WriteTestFont(m_data);
        SetLoader(m_data.GetLoader());
        m_log = std::make_unique<LogCapture>();
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
