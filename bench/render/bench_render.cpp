// Cost of the renderer's hot paths on the current driver: DrawElements of a 10,000-triangle
// list held in a buffer object, and 1,000 DrawSprite calls per frame. Prints figures only.
#include <GL/glew.h>
#include <GL/glut.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/Log.h"
#include "render/ElementList.h"
#include "render/GLRenderTarget.h"
#include "render/IRenderer.h"

namespace {
class BenchWindow : public IRenderTarget {
public:
    int GetWidth() override { return 512; }
    int GetHeight() override { return 288; }
    float GetAspectRatio() override { return 16.0f / 9.0f; }
    uint32_t GetColorTexture() override { return 0; }
    uint32_t GetDepthTexture() override { return 0; }
    uint32_t GetFrameBuffer() override { return 0; }
    uint32_t GetDepthRenderBuffer() override { return 0; }
    void AttachSharedDepthBuffer(IRenderTarget*) override {}
};

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs body until at least minSeconds have passed; returns seconds per run.
template <typename Body>
double TimePerRun(Body body, double minSeconds, int& runs) {
    body();
    glFinish();
    runs = 0;
    double start = Seconds(), now = start;
    while (now - start < minSeconds) {
        body();
        glFinish();
        ++runs;
        now = Seconds();
    }
    return (now - start) / runs;
}
}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_DOUBLE);
    glutInitWindowSize(512, 288);
    glutCreateWindow("bench_render");
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::printf("bench_render: no OpenGL context\n");
        return 1;
    }
    SetLogSinks(nullptr, nullptr);
    BenchWindow window;
    IRenderer* renderer = CreateRenderer();
    renderer->Init(&window);
    std::printf("bench_render on %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    const float border[4] = {0, 0, 0, 0}, origin[2] = {0, 0}, full[2] = {1, 1};
    GLRenderTarget* target = renderer->CreateRenderTarget(512, 288, 16.0f / 9.0f, WRAP_CLAMP, WRAP_CLAMP,
                                                          FILTER_LINEAR, FILTER_LINEAR, border);
    renderer->SetRenderTarget(target);
    renderer->SetViewport(origin, full);
    renderer->SetCulling(false, 0);
    renderer->SetOrtho(0, 1, 1, 0, -1, 1);
    renderer->LoadModelViewIdentity();

    // 10,000 small triangles scattered over the target.
    const uint32_t triangles = 10000, vertices = triangles * 3;
    ElementList list(PRIMITIVE_TRIANGLES, vertices, vertices);
    list.AllocVertexData(VERTEX_DATA_POSITION, 12);
    list.AllocVertexData(VERTEX_DATA_COLOR, 16);
    float* p = list.GetVertexData(VERTEX_DATA_POSITION);
    float* c = list.GetVertexData(VERTEX_DATA_COLOR);
    uint32_t* indices = list.AllocIndices();
    for (uint32_t t = 0; t < triangles; ++t) {
        float x = (t % 100) / 100.0f, y = (t / 100) / 100.0f;
        const float tri[9] = {x, y, 0, x + 0.01f, y, 0, x, y + 0.01f, 0};
        for (int k = 0; k < 9; ++k) p[t * 9 + k] = tri[k];
        for (int v = 0; v < 3; ++v) {
            float* col = c + (t * 3 + v) * 4;
            col[0] = x;
            col[1] = y;
            col[2] = 0.5f;
            col[3] = 1.0f;
        }
    }
    for (uint32_t i = 0; i < vertices; ++i) indices[i] = i;
    uint32_t vbo = list.CreateVBO(BUFFER_STATIC, BUFFER_DRAW);
    renderer->BindBuffer(BUFFER_ARRAY, vbo);
    renderer->EnableVertexArrays(&list);
    int runs = 0;
    double perDraw = TimePerRun([&] { renderer->DrawElements(&list); }, 1.0, runs);
    renderer->DisableVertexArrays(&list);
    renderer->UnbindBuffer(BUFFER_ARRAY);
    std::printf("DrawElements, 10000 triangles from a VBO: %.3f ms per call (%.1f Mtri/s, %d calls)\n",
                perDraw * 1e3, triangles / perDraw / 1e6, runs);

    const float white[4] = {1, 1, 1, 0.5f}, size[2] = {0.02f, 0.03f};
    renderer->SetBlend(true, BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA);
    double perFrame = TimePerRun(
        [&] {
            for (int i = 0; i < 1000; ++i) {
                const float pos[2] = {(i % 40) / 40.0f, (i / 40) / 25.0f};
                renderer->DrawSprite(pos, size, 1.0f, i * 0.01f, white, 1, nullptr);
            }
        },
        1.0, runs);
    std::printf("DrawSprite x1000 per frame: %.3f ms per frame (%.2f us per sprite, %d frames)\n", perFrame * 1e3,
                perFrame * 1e3, runs);

    list.Destroy();
    renderer->SetRenderTarget(&window);
    delete target;
    DestroyRenderer();
    return 0;
}
