// The generated default font drawn through DrawText: every printable character leaves ink in
// its own box and nothing outside it. Also writes font_preview.png into the build directory
// so the font can be looked at.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "GLTestContext.h"
#include "render/GLRenderTarget.h"

namespace {

TEST(DefaultFontGL, PrintableCharactersInkTheirOwnBoxes) {
    const std::string data = std::string(TATAMIX_SOURCE_DIR) + "/data/";
    if (!std::ifstream(data + "textures/font_default.png")) GTEST_SKIP() << "run the asset generator first";
    ASSERT_TRUE(EnsureGLContext());
    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    loader.LoadFromDataDirectory(data);
    SetLoader(&loader);
    TestWindow window{256, 256, 1.0f};
    IRenderer* renderer = CreateRenderer();
    ASSERT_TRUE(renderer->Init(&window));

    // 24 glyphs of 24 x 32 pixels per line.
    const int glyphW = 24, glyphH = 32, columns = 24;
    const std::string lines[] = {"TATAMIX+ 0123456789 !?", "abcdefghijklmnopqrstuvwx", "ABCDEFGHIJKLMNOPQRSTUVWX",
                                 "yz{|}~@#$%&*()[]<>/\\;:'\""};
    const int width = glyphW * columns, height = glyphH * 4;
    const float aspect = static_cast<float>(width) / height;
    const float zero[4] = {0, 0, 0, 0};
    IRenderTarget* target = renderer->CreateRenderTarget(width, height, aspect, WRAP_CLAMP_TO_EDGE,
                                                         WRAP_CLAMP_TO_EDGE, FILTER_NEAREST, FILTER_NEAREST, zero);
    ASSERT_NE(target, nullptr);
    renderer->SetRenderTarget(target);
    const float origin[2] = {0, 0}, full[2] = {1, 1};
    renderer->SetViewport(origin, full);
    const float black[4] = {0, 0, 0, 1};
    renderer->SetClearColor(black);
    renderer->Clear(CLEAR_COLOR_ALL | CLEAR_DEPTH);
    renderer->SetDepthTest(false, COMPARE_ALWAYS);
    renderer->SetCulling(false, 0);
    renderer->SetBlend(true, BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA);
    renderer->SetOrtho(0, static_cast<float>(width), static_cast<float>(height), 0, -1, 1);
    renderer->LoadModelViewIdentity();
    const float pos[2] = {0, static_cast<float>(height)};
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    renderer->DrawText(pos, static_cast<float>(glyphW) / glyphH, static_cast<float>(glyphH), text, 1.0f, 1.0f);

    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<uint8_t> preview(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                preview[(static_cast<size_t>(y) * width + x) * 3 + c] =
                    pixels[(static_cast<size_t>(height - 1 - y) * width + x) * 4 + c];
    WritePNG(std::string(TATAMIX_BINARY_DIR) + "/font_preview.png", width, height, 24, preview.data());

    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < static_cast<int>(lines[row].size()); ++column) {
            int ink = 0;
            // Image rows count from the bottom: text row 0 is the top strip.
            for (int y = height - (row + 1) * glyphH; y < height - row * glyphH; ++y)
                for (int x = column * glyphW; x < (column + 1) * glyphW; ++x)
                    ink += pixels[(static_cast<size_t>(y) * width + x) * 4] > 128;
            if (lines[row][column] == ' ') {
                EXPECT_EQ(ink, 0) << "space at row " << row << ", column " << column;
            } else {
                EXPECT_GT(ink, 6) << "'" << lines[row][column] << "' left no ink";
            }
        }
    }
    renderer->SetRenderTarget(&window);
    delete target;
    DestroyRenderer();
    SetLoader(nullptr);
    EXPECT_EQ(log.Text().find("ndeleted"), std::string::npos) << log.Text();
}

}  // namespace
