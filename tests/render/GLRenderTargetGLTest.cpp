#include "render/GLRenderTarget.h"

#include "GLTestContext.h"
#include "render/GLFrameBufferManager.h"
#include "render/GLTextureManager.h"

namespace {
const float kBorder[4] = {0, 0, 0, 0};
const float kOrigin[2] = {0, 0};
const float kFull[2] = {1, 1};

class GLRenderTargetTest : public RendererFixture {};
}  // namespace

TEST_F(GLRenderTargetTest, OversizedTargetsAreClampedAndKeepTheirAspect) {
    GLTextureManager::GetInstance()->SetSizeLimit(512);
    GLRenderTarget* target = m_renderer->CreateRenderTarget(5000, 5000, 1.25f, WRAP_CLAMP, WRAP_CLAMP,
                                                            FILTER_LINEAR, FILTER_LINEAR, kBorder);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetWidth(), 512);
    EXPECT_EQ(target->GetHeight(), 512);
    EXPECT_FLOAT_EQ(target->GetAspectRatio(), 1.25f);
    EXPECT_FLOAT_EQ(m_renderer->GetTextureAspectRatio(target->GetColorTexture()), 1.25f);
    EXPECT_TRUE(m_log->Contains("WARNING: GLRenderTarget: Resized to legal texture size.\n"));
    EXPECT_NE(target->GetDepthTexture(), 0u);
    EXPECT_NE(target->GetDepthRenderBuffer(), 0u);
    GLTextureManager::GetInstance()->SetSizeLimit(0);

    // The viewport on a target follows its own aspect: 1.25 on a square target letterboxes.
    m_renderer->SetRenderTarget(target);
    m_renderer->SetViewport(kOrigin, kFull);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 512);
    EXPECT_EQ(vp[3], 409);
    m_renderer->SetRenderTarget(&m_window);
    delete target;

    GLRenderTarget direct;
    ASSERT_TRUE(direct.Create(false, 32, 16, 2.0f, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, kBorder));
    EXPECT_TRUE(
        m_log->Contains("WARNING: GLRenderTarget: Invalid minification filter for render target: forcing linear.\n"));
    EXPECT_EQ(direct.GetDepthTexture(), 0u);
    EXPECT_EQ(direct.GetDepthRenderBuffer(), 0u);
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, direct.GetColorTexture());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    direct.Destroy();
    std::string log = Shutdown();
    EXPECT_EQ(log.find("ndeleted"), std::string::npos) << log;
}

TEST_F(GLRenderTargetTest, SharedDepthIsOneBufferAndOutlivesTheBorrower) {
    GLRenderTarget* owner = m_renderer->CreateRenderTarget(64, 64, 1.0f, WRAP_CLAMP, WRAP_CLAMP, FILTER_NEAREST,
                                                           FILTER_NEAREST, kBorder);
    GLRenderTarget* borrower = m_renderer->CreateRenderTarget(64, 64, 1.0f, WRAP_CLAMP, WRAP_CLAMP,
                                                              FILTER_NEAREST, FILTER_NEAREST, kBorder);
    ASSERT_NE(owner, nullptr);
    ASSERT_NE(borrower, nullptr);
    uint32_t textures = GLTextureManager::GetInstance()->GetTextureCount();
    borrower->AttachSharedDepthBuffer(owner);
    EXPECT_EQ(borrower->GetDepthTexture(), owner->GetDepthTexture());
    EXPECT_EQ(borrower->GetDepthRenderBuffer(), owner->GetDepthRenderBuffer());
    EXPECT_EQ(GLTextureManager::GetInstance()->GetTextureCount(), textures - 1);

    // Depth cleared to 0 in the owner rejects everything the borrower draws.
    m_renderer->SetRenderTarget(owner);
    m_renderer->SetViewport(kOrigin, kFull);
    m_renderer->SetClearDepth(0.0f);
    m_renderer->Clear(CLEAR_DEPTH);
    m_renderer->SetClearDepth(1.0f);
    m_renderer->SetRenderTarget(borrower);
    const float black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1}, centre[2] = {0, 0}, size[2] = {2, 2};
    m_renderer->SetClearColor(black);
    m_renderer->Clear(CLEAR_COLOR_ALL);
    m_renderer->LoadProjectionIdentity();
    m_renderer->DrawSprite(centre, size, 1.0f, 0.0f, white, 0, nullptr);
    uint8_t px[4];
    ReadPixel(32, 32, px);
    EXPECT_EQ(px[0], 0);
    m_renderer->SetRenderTarget(owner);
    m_renderer->Clear(CLEAR_DEPTH);
    m_renderer->SetRenderTarget(borrower);
    m_renderer->DrawSprite(centre, size, 1.0f, 0.0f, white, 0, nullptr);
    ReadPixel(32, 32, px);
    EXPECT_EQ(px[0], 255);

    uint32_t depth = owner->GetDepthTexture();
    m_renderer->SetRenderTarget(&m_window);
    delete borrower;
    EXPECT_EQ(glIsTexture(depth), GL_TRUE);
    EXPECT_NE(GLTextureManager::GetInstance()->GetRecord(depth), nullptr);
    delete owner;
    EXPECT_EQ(GLTextureManager::GetInstance()->GetRecord(depth), nullptr);
    std::string log = Shutdown();
    EXPECT_EQ(log.find("ndeleted"), std::string::npos) << log;
}
