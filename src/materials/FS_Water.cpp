#include "materials/FS_Water.h"

#include <GL/glew.h>

#include "materials/FS_Sky.h"
#include "render/IRenderer.h"
#include "render/Matrix.h"
#include "scene/Frustum.h"
#include "scene/Viewer.h"

FS_Water::FS_Water(const char* name, const char* vertexFile, const char* fragmentFile, WaterParameters* water,
                   bool blendOver)
    : FullscreenPass(name), m_water(water), m_blendOver(blendOver) {
    LoadProgram(vertexFile, fragmentFile);
}

FS_WaterSurface::FS_WaterSurface()
    : FS_Water("FS_WaterSurface", "GLSL/FS_WaterSurface.vert", "GLSL/FS_WaterSurface.frag", &m_own, true) {}

FS_UnderWater::FS_UnderWater(FS_WaterSurface& surface)
    : FS_Water("FS_UnderWater", "GLSL/FS_UnderWater.vert", "GLSL/FS_UnderWater.frag", surface.GetWaterParameters(),
               false) {}

bool FS_Water::PlaneDepths(Viewer& camera, float level, float* depths4) {
    const Frustum& frustum = camera.GetFrustum();
    if (frustum.GetKind() != Frustum::PERSPECTIVE) return false;
    // The plane y = level in eye space: n . p + planeD = 0, n the world's up turned by the view,
    // planeD the eye's height above the plane.
    const Matrix& view = camera.GetViewMatrix();
    const float n[3] = {view[4], view[5], view[6]};
    const float planeD = camera.GetCameraMatrix()[13] - level;
    if (planeD == 0.0f) return false;
    const float zn = frustum.GetNear(), zf = frustum.GetFar();
    float dirs[12];
    EyeDirections(camera, false, dirs);
    for (int corner = 0; corner < 4; ++corner) {
        const float* r = dirs + corner * 3;
        // Along the ray r * s (s the eye distance along -z) the plane is met where
        // n . r * s + planeD = 0; the window depth then depends on 1 / s, affine across the screen.
        const float inverseS = -(n[0] * r[0] + n[1] * r[1] + n[2] * r[2]) / planeD;
        depths4[corner] = (zf + zn) / (zf - zn) - 2.0f * zf * zn / (zf - zn) * inverseS;
    }
    return true;
}

void FS_Water::Render(Viewer& camera, const uint32_t* units, const SkyParameters& sky, float seconds) {
    IRenderer* renderer = GetRenderer();
    const uint32_t program = GetProgram(0);
    if (!renderer || !program) return;
    BeginState();
    for (uint32_t unit = 0; unit < 4; ++unit) BindUnit(unit, units[unit]);
    renderer->UseProgram(program);
    static const char* const kSamplers[4] = {"texture0", "texture1", "texture2", "texture3"};
    for (int unit = 0; unit < 4; ++unit) Uniform1i(program, kSamplers[unit], unit);
    const Matrix& cameraMatrix = camera.GetCameraMatrix();
    const float eyePos[4] = {cameraMatrix[12], cameraMatrix[13], cameraMatrix[14], 1.0f};
    Uniform4f(program, "ws_EyePos", eyePos);
    Uniform3f(program, "sunColor", sky.sunColor);
    Uniform3f(program, "ambColor", sky.ambColor);
    Uniform3f(program, "ws_SunDir", sky.sunDir);
    Uniform1f(program, "time", seconds);
    Uniform1f(program, "waterLevel", m_water->level);
    const Frustum& frustum = camera.GetFrustum();
    float depthA, depthB;
    DepthConstants(frustum.GetNear(), frustum.GetFar(), &depthA, &depthB);
    Uniform1f(program, "depthA", depthA);
    Uniform1f(program, "depthB", depthB);
    UniformMatrix4(program, "viewMat", camera.GetViewMatrix());
    UniformMatrix4(program, "projViewMat", frustum.GetProjectionMatrix() * camera.GetViewMatrix());
    float world[12], eye[12];
    EyeDirections(camera, true, world);
    EyeDirections(camera, false, eye);
    const EyeDirs eyeDirs[2] = {{"ws_attrEyeDir", SetEyeDirections(world)}, {"es_attrEyeDir", eye}};
    if (m_blendOver) {
        // The quad lies on the water plane: only water in front of the scene passes the depth test.
        float cornerDepths[4];
        if (PlaneDepths(camera, m_water->level, cornerDepths)) {
            Uniform4f(program, "cornerDepths", cornerDepths);
            renderer->SetDepthTest(true, COMPARE_LESS);
        }
        // Colour blended by the water's alpha; the scene's alpha (solid ground, for ambient
        // occlusion) falls away where water covers it.
        renderer->SetBlend(true, BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
    }
    DrawQuad(program, eyeDirs, 2);
    if (m_blendOver) {
        renderer->SetBlend(false, BLEND_ONE, BLEND_ZERO);
        renderer->SetDepthTest(false, COMPARE_LESS);
    }
    renderer->UseProgram(0);
    renderer->ResetTextureUnits();
}
