#include "render/GLRenderer.h"

#include <GL/glew.h>

#include <cmath>
#include <cstring>

#include "base/Log.h"
#include "io/Loader.h"
#include "render/ElementList.h"
#include "render/GLFrameBufferManager.h"
#include "render/GLRenderTarget.h"
#include "render/GLShaderManager.h"
#include "render/GLTextureManager.h"
#include "render/GLVertexBufferManager.h"

namespace {
const float kPi = 3.14159265358979f;

// Truncates toward zero like a cast, but a script value that is not finite or out of range
// (a viewport computed from a division by zero) gives a defined pixel count instead of
// undefined behaviour.
GLint ToPixels(float value) {
    if (!(value > -1e9f && value < 1e9f)) return 0;
    return static_cast<GLint>(value);
}

GLenum CompareFunc(uint32_t f) {
    static const GLenum kFuncs[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL};
    return (f >= 1 && f <= 7) ? kFuncs[f - 1] : GL_ALWAYS;
}

GLenum BlendFactor(uint32_t f) {
    static const GLenum kFactors[] = {GL_ZERO,
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
    return (f >= 1 && f <= 11) ? kFactors[f - 1] : GL_ONE;
}

GLenum Face(uint32_t f) {
    switch (f) {
        case FACE_BACK:
            return GL_BACK;
        case FACE_FRONT:
            return GL_FRONT;
        default:
            return GL_FRONT_AND_BACK;
    }
}

GLenum TextureTarget(uint32_t t) {
    switch (t) {
        case TEXTURE_TARGET_1D:
            return GL_TEXTURE_1D;
        case TEXTURE_TARGET_3D:
            return GL_TEXTURE_3D;
        case TEXTURE_TARGET_CUBE:
            return GL_TEXTURE_CUBE_MAP;
        default:
            return GL_TEXTURE_2D;
    }
}

GLenum Wrap(uint32_t w) {
    static const GLenum kWraps[] = {GL_REPEAT, GL_CLAMP, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER,
                                    GL_MIRRORED_REPEAT};
    return (w >= 1 && w <= 5) ? kWraps[w - 1] : GL_REPEAT;
}

GLenum Filter(uint32_t f) { return f == FILTER_LINEAR ? GL_LINEAR : GL_NEAREST; }

GLenum MinFilter(uint32_t f, uint32_t mipmap) {
    bool linear = f == FILTER_LINEAR;
    switch (mipmap) {
        case MIPMAP_NEAREST:
            return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        case MIPMAP_LINEAR:
            return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        default:
            return linear ? GL_LINEAR : GL_NEAREST;
    }
}

GLenum PixelFormat(uint32_t f) {
    static const GLenum kFormats[] = {GL_RGB,   GL_RGBA, GL_LUMINANCE, GL_INTENSITY,
                                      GL_ALPHA, GL_RED,  GL_GREEN,     GL_BLUE};
    return (f >= 1 && f <= 8) ? kFormats[f - 1] : GL_RGB;
}

GLenum Primitive(uint32_t p) {
    static const GLenum kTypes[] = {GL_LINES,     GL_LINE_STRIP,     GL_LINE_LOOP,
                                    GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
    return (p >= 2 && p <= 7) ? kTypes[p - 2] : GL_POINTS;
}

uint32_t PrimitiveCount(uint32_t type, uint32_t n) {
    switch (type) {
        case PRIMITIVE_LINES:
            return n / 2;
        case PRIMITIVE_LINE_STRIP:
            return n ? n - 1 : 0;
        case PRIMITIVE_LINE_LOOP:
            return n;
        case PRIMITIVE_TRIANGLES:
            return n / 3;
        case PRIMITIVE_TRIANGLE_STRIP:
        case PRIMITIVE_TRIANGLE_FAN:
            return n >= 2 ? n - 2 : 0;
        default:
            return n;
    }
}

GLenum Usage(uint32_t frequency, uint32_t nature) {
    static const GLenum kUsage[3][3] = {{GL_STREAM_DRAW, GL_STREAM_READ, GL_STREAM_COPY},
                                        {GL_STATIC_DRAW, GL_STATIC_READ, GL_STATIC_COPY},
                                        {GL_DYNAMIC_DRAW, GL_DYNAMIC_READ, GL_DYNAMIC_COPY}};
    if (frequency < 1 || frequency > 3 || nature < 1 || nature > 3) return GL_STATIC_DRAW;
    return kUsage[frequency - 1][nature - 1];
}

GLenum MapAccess(uint32_t a) {
    switch (a) {
        case MAP_READ_ONLY:
            return GL_READ_ONLY;
        case MAP_WRITE_ONLY:
            return GL_WRITE_ONLY;
        default:
            return GL_READ_WRITE;
    }
}

// Generic attribute index of each vertex data type.
uint32_t AttributeIndex(uint32_t type) {
    if (type <= VERTEX_DATA_NORMAL) return type == VERTEX_DATA_POSITION ? 0 : 2;
    if (type <= VERTEX_DATA_ATTRIB3) return type + 1;
    return type + 4;
}

void SetPlane(GLenum coord, GLenum planeName, const float* plane) {
    static const float kZero[4] = {0, 0, 0, 0};
    glTexGenfv(coord, planeName, plane ? plane : kZero);
}
}  // namespace

GLRenderer::GLRenderer() {
    LOG_TRACE_CALLED("GLRenderer", "GLRenderer");
    LOG_TRACE_FINISHED("GLRenderer", "GLRenderer");
}

GLRenderer::~GLRenderer() {
    LOG_TRACE_CALLED("GLRenderer", "~GLRenderer");
    LOG_TRACE_FINISHED("GLRenderer", "~GLRenderer");
}

bool GLRenderer::Init(IRenderTarget* window) {
    LOG_TRACE_CALLED("GLRenderer", "Init");
    LogMessage(LOG_INFO, "* Initilaizing OpenGL renderer..");
    LogMessage(LOG_INFO, "* OpenGL info:");
    auto glString = [](GLenum name) {
        const GLubyte* s = glGetString(name);
        return std::string(s ? reinterpret_cast<const char*>(s) : "");
    };
    LogMessage(LOG_INFO, "  Vendor: ", glString(GL_VENDOR));
    LogMessage(LOG_INFO, "  Renderer: ", glString(GL_RENDERER));
    LogMessage(LOG_INFO, "  Version: ", glString(GL_VERSION));
    if (GetDebugLogSink()) {
        LogMessage(LOG_TRACE, "* OpenGL extensions supported: ");
        LogMessage(LOG_TRACE, "---");
        LogDebugRaw(glString(GL_EXTENSIONS).c_str());
        LogMessage(LOG_TRACE, "---");
    }
    GLint units = 0, lights = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    m_textureUnitCount = units > 0 ? static_cast<uint32_t>(units) : 0;
    LogMessage(LOG_TRACE, "* Number of texture units: ", m_textureUnitCount);
    glGetIntegerv(GL_MAX_LIGHTS, &lights);
    m_lightCount = lights > 0 ? static_cast<uint32_t>(lights) : 0;
    LogMessage(LOG_TRACE, "* Number of hardware lights: ", m_lightCount);
    m_lights.reset(new LightDesc[m_lightCount ? m_lightCount : 1]);
    DisableAllLights();

    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_FOG_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);

    LogMessage(LOG_TRACE, "* Initializing texture manager..");
    m_textureManager = GLTextureManager::GetInstance();
    m_textureManager->Init(m_textureUnitCount, true, true);
    LogMessage(LOG_TRACE, "* Initializing vertex buffer manager..");
    m_vertexBufferManager = GLVertexBufferManager::GetInstance();
    m_vertexBufferManager->Init();
    LogMessage(LOG_TRACE, "* Initializing shader manager..");
    m_shaderManager = GLShaderManager::GetInstance();
    m_shaderManager->Init();
    LogMessage(LOG_TRACE, "* Initializing frame buffer manager..");
    m_frameBufferManager = GLFrameBufferManager::GetInstance();
    m_frameBufferManager->Init();

    SetRenderTarget(window);
    ResetState();
    ResetStatistics();
    CreateQuadAndFont();
    LOG_TRACE_FINISHED("GLRenderer", "Init");
    return true;
}

void GLRenderer::Destroy() {
    LOG_TRACE_CALLED("GLRenderer", "Destroy");
    // The quad and the font belong to the renderer, so they go before the managers report leaks.
    ReleaseQuadAndFont();
    m_lights.reset();
    m_lightCount = 0;
    m_renderTarget = nullptr;
    LogMessage(LOG_INFO, "* Destroying vertex buffer manager..");
    GLVertexBufferManager::DestroyInstance();
    m_vertexBufferManager = nullptr;
    LogMessage(LOG_INFO, "* Destroying shader manager..");
    GLShaderManager::DestroyInstance();
    m_shaderManager = nullptr;
    LogMessage(LOG_INFO, "* Destroying texture manager..");
    GLTextureManager::DestroyInstance();
    m_textureManager = nullptr;
    LogMessage(LOG_INFO, "* Destroying frame buffer manager..");
    GLFrameBufferManager::DestroyInstance();
    m_frameBufferManager = nullptr;
    LOG_TRACE_FINISHED("GLRenderer", "Destroy");
}

void GLRenderer::ResetState() {
    static const float kBlack[4] = {0, 0, 0, 0};
    static const float kOrigin[2] = {0, 0};
    static const float kFull[2] = {1, 1};
    static const float kAmbient[4] = {0, 0, 0, 1};
    SetClearColor(kBlack);
    SetClearDepth(1.0f);
    SetWriteMask(CLEAR_COLOR_AND_DEPTH);
    SetViewport(kOrigin, kFull);
    SetDepthRange(0.0f, 1.0f);
    LoadProjectionIdentity();
    LoadModelViewIdentity();
    SetDepthTest(true, COMPARE_LESS);
    SetAlphaTest(false, COMPARE_ALWAYS, 0.0f);
    SetScissor(false, kOrigin, kFull);
    SetBlend(false, BLEND_ONE, BLEND_ZERO);
    SetLighting(false);
    SetCulling(true, FACE_BACK);
    SetFrontFace(FRONT_FACE_CCW);
    SetPointSize(1.0f);
    SetLineWidth(1.0f);
    ResetTextureUnits();
    DisableAllLights();
    SetAmbientLight(kAmbient);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
}

void GLRenderer::ResetStatistics() { m_primitives = m_vertices = m_indices = m_drawCalls = 0; }

void GLRenderer::SetClearColor(const float* c) { glClearColor(c[0], c[1], c[2], c[3]); }

void GLRenderer::SetClearDepth(float depth) { glClearDepth(depth); }

void GLRenderer::Clear(uint32_t flags) {
    GLbitfield mask = 0;
    if (flags & CLEAR_COLOR_ALL) mask |= GL_COLOR_BUFFER_BIT;
    if (flags & CLEAR_DEPTH) mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & CLEAR_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
    if (mask) glClear(mask);
}

void GLRenderer::SetWriteMask(uint32_t flags) {
    glColorMask((flags & CLEAR_RED) != 0, (flags & CLEAR_GREEN) != 0, (flags & CLEAR_BLUE) != 0,
                (flags & CLEAR_ALPHA) != 0);
    glDepthMask((flags & CLEAR_DEPTH) != 0);
}

void GLRenderer::SetViewport(const float* position, const float* size) {
    if (!m_renderTarget) return;
    float x = position[0], y = position[1], w = size[0], h = size[1];
    float W = static_cast<float>(m_renderTarget->GetWidth());
    float H = static_cast<float>(m_renderTarget->GetHeight());
    float A = m_renderTarget->GetAspectRatio();
    float R = H > 0.0f ? W / H : 0.0f;
    if (A > R) {
        h = size[0] * R / A;
        y = (size[1] - h) / 2.0f;
    } else if (A < R) {
        w = A / R * size[1];
        x = (size[0] - w) / 2.0f;
    }
    glViewport(ToPixels(W * x), ToPixels(H * y), ToPixels(W * w), ToPixels(H * h));
}

void GLRenderer::LoadProjectionIdentity() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void GLRenderer::SetFrustum(float left, float right, float bottom, float top, float zNear, float zFar) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(left, right, bottom, top, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
}

void GLRenderer::SetProjectionMatrix(const float* matrix) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMultMatrixf(matrix);
    glMatrixMode(GL_MODELVIEW);
}

void GLRenderer::SetOrtho(float left, float right, float top, float bottom, float zNear, float zFar) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
}

void GLRenderer::SetPerspective(const float* fov, float zNear, float zFar) {
    float x = zNear * std::tan(fov[0] / 2.0f);
    float y = zNear * std::tan(fov[1] / 2.0f);
    SetFrustum(-x, x, -y, y, zNear, zFar);
}

void GLRenderer::SetDepthRange(float zNear, float zFar) { glDepthRange(zNear, zFar); }

void GLRenderer::LoadModelViewIdentity() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GLRenderer::SetModelViewMatrix(const float* matrix) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(matrix);
}

void GLRenderer::MultModelViewMatrix(const float* matrix) {
    glMatrixMode(GL_MODELVIEW);
    glMultMatrixf(matrix);
}

void GLRenderer::SetNormalization(uint32_t mode) {
    if (mode == NORMALIZATION_RESCALE) {
        glEnable(GL_RESCALE_NORMAL);
        glDisable(GL_NORMALIZE);
    } else if (mode == NORMALIZATION_NORMALIZE) {
        glDisable(GL_RESCALE_NORMAL);
        glEnable(GL_NORMALIZE);
    } else {
        glDisable(GL_RESCALE_NORMAL);
        glDisable(GL_NORMALIZE);
    }
}

void GLRenderer::SetDepthTest(bool enable, uint32_t func) {
    if (enable) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareFunc(func));
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

void GLRenderer::SetAlphaTest(bool enable, uint32_t func, float reference) {
    if (enable)
        glEnable(GL_ALPHA_TEST);
    else
        glDisable(GL_ALPHA_TEST);
    glAlphaFunc(CompareFunc(func), reference);
}

void GLRenderer::SetScissor(bool enable, const float* position, const float* size) {
    if (!enable) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    float W = m_renderTarget ? static_cast<float>(m_renderTarget->GetWidth()) : 0.0f;
    float H = m_renderTarget ? static_cast<float>(m_renderTarget->GetHeight()) : 0.0f;
    glScissor(ToPixels(W * position[0]), ToPixels(H * position[1]), ToPixels(W * size[0]), ToPixels(H * size[1]));
    glEnable(GL_SCISSOR_TEST);
}

void GLRenderer::SetBlend(bool enable, uint32_t source, uint32_t destination) {
    if (enable)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    glBlendFunc(BlendFactor(source), BlendFactor(destination));
}

void GLRenderer::SetCulling(bool enable, uint32_t face) {
    if (enable)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    if (face != 0) glCullFace(Face(face));
}

void GLRenderer::SetFrontFace(uint32_t frontFace) { glFrontFace(frontFace == FRONT_FACE_CW ? GL_CW : GL_CCW); }

void GLRenderer::SetPointSize(float size) { glPointSize(size); }

void GLRenderer::SetLineWidth(float width) { glLineWidth(width); }

void GLRenderer::SetLighting(bool enable) {
    if (enable)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
}

void GLRenderer::SetAmbientLight(const float* color) { glLightModelfv(GL_LIGHT_MODEL_AMBIENT, color); }

void GLRenderer::DisableAllLights() {
    for (uint32_t i = 0; i < m_lightCount; ++i) {
        glDisable(GL_LIGHT0 + i);
        m_lights[i].flags = 0;
    }
}

void GLRenderer::SetLight(uint32_t index, const LightDesc& light) {
    if (index >= m_lightCount) return;
    GLenum id = GL_LIGHT0 + index;
    if (light.flags & LIGHT_FLAG_ENABLED)
        glEnable(id);
    else
        glDisable(id);
    float ambient[4], diffuse[4], specular[4];
    for (int c = 0; c < 3; ++c) {
        ambient[c] = light.intensity * light.ambient[c];
        diffuse[c] = light.intensity * light.diffuse[c];
        specular[c] = light.intensity * light.specular[c];
    }
    ambient[3] = diffuse[3] = specular[3] = 1.0f;
    glLightfv(id, GL_AMBIENT, ambient);
    glLightfv(id, GL_DIFFUSE, diffuse);
    glLightfv(id, GL_SPECULAR, specular);
    glLightf(id, GL_CONSTANT_ATTENUATION, light.constantAttenuation);
    glLightf(id, GL_LINEAR_ATTENUATION, light.linearAttenuation);
    glLightf(id, GL_QUADRATIC_ATTENUATION, light.quadraticAttenuation);
    float position[4] = {light.position[0], light.position[1], light.position[2], 1.0f};
    switch (light.type) {
        case LIGHT_POINT:
            glLightfv(id, GL_POSITION, position);
            // A light that was a spot before must not keep its cone.
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
            break;
        case LIGHT_DIRECTIONAL: {
            float direction[4] = {light.direction[0], light.direction[1], light.direction[2], 0.0f};
            glLightfv(id, GL_POSITION, direction);
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
            break;
        }
        case LIGHT_SPOT: {
            glLightfv(id, GL_POSITION, position);
            glLightfv(id, GL_SPOT_DIRECTION, light.direction);
            glLightf(id, GL_SPOT_EXPONENT, light.spotExponent);
            float cutoff = light.spotCutoff * 180.0f / kPi;
            if (cutoff < 0.001f) cutoff = 0.001f;
            glLightf(id, GL_SPOT_CUTOFF, cutoff);
            break;
        }
        default:
            glDisable(id);
            break;
    }
    m_lights[index] = light;
}

LightDesc* GLRenderer::GetLight(uint32_t index) { return index < m_lightCount ? &m_lights[index] : nullptr; }

void GLRenderer::SetMaterial(uint32_t face, const MaterialDesc& material) {
    GLenum f = Face(face);
    glMaterialfv(f, GL_AMBIENT, material.ambient);
    glMaterialfv(f, GL_DIFFUSE, material.diffuse);
    glMaterialfv(f, GL_SPECULAR, material.specular);
    glMaterialfv(f, GL_EMISSION, material.emission);
    float shininess = material.shininess < 0.0f ? 0.0f : (material.shininess > 128.0f ? 128.0f : material.shininess);
    glMaterialf(f, GL_SHININESS, shininess);
}

void GLRenderer::ResetTextureUnits() {
    for (uint32_t unit = 0; unit < m_textureUnitCount; ++unit) ResetTextureUnit(unit);
    glActiveTexture(GL_TEXTURE0);
}

void GLRenderer::ResetTextureUnit(uint32_t unit) {
    static const float kZero[4] = {0, 0, 0, 0};
    glActiveTexture(GL_TEXTURE0 + unit);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_3D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (uint32_t coord = TEXCOORD_S; coord <= TEXCOORD_Q; ++coord) SetTexGen(unit, coord, TEXGEN_OFF, kZero);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void GLRenderer::EnableTexture(uint32_t unit, bool enable, uint32_t target) {
    glActiveTexture(GL_TEXTURE0 + unit);
    if (enable)
        glEnable(TextureTarget(target));
    else
        glDisable(TextureTarget(target));
}

void GLRenderer::BindTexture(uint32_t unit, uint32_t texture, uint32_t target) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(TextureTarget(target), texture);
}

void GLRenderer::SetTexGen(uint32_t unit, uint32_t coord, uint32_t mode, const float* plane) {
    static const GLenum kCoords[] = {GL_S, GL_T, GL_R, GL_Q};
    static const GLenum kEnables[] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
    if (coord > TEXCOORD_Q) return;
    glActiveTexture(GL_TEXTURE0 + unit);
    switch (mode) {
        case TEXGEN_EYE_LINEAR:
            glTexGeni(kCoords[coord], GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
            SetPlane(kCoords[coord], GL_EYE_PLANE, plane);
            glEnable(kEnables[coord]);
            break;
        case TEXGEN_OBJECT_LINEAR:
            glTexGeni(kCoords[coord], GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
            SetPlane(kCoords[coord], GL_OBJECT_PLANE, plane);
            glEnable(kEnables[coord]);
            break;
        case TEXGEN_SPHERE_MAP:
            glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
            glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
            glEnable(GL_TEXTURE_GEN_S);
            glEnable(GL_TEXTURE_GEN_T);
            break;
        default:
            glDisable(kEnables[coord]);
            break;
    }
}

void GLRenderer::SetTextureMatrix(uint32_t unit, const float* matrix) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(matrix);
    glMatrixMode(GL_MODELVIEW);
}

void GLRenderer::SetTextureTransform(uint32_t unit, const TextureTransform& t) {
    glActiveTexture(GL_TEXTURE0 + unit);
    SetTexGen(unit, TEXCOORD_S, t.genModeS, t.planeS);
    SetTexGen(unit, TEXCOORD_T, t.genModeT, t.planeT);
    SetTextureMatrix(unit, t.matrix);
}

void GLRenderer::ResetTextureParameters() { m_textureManager->ResetTextureParameters(); }

void GLRenderer::SetTextureFlags(uint32_t flags) { m_textureManager->SetTextureFlags(flags); }

void GLRenderer::SetTextureWrap(uint32_t wrapS, uint32_t wrapT, uint32_t wrapR) {
    m_textureManager->SetTextureWrap(Wrap(wrapS), Wrap(wrapT), Wrap(wrapR));
}

void GLRenderer::SetTextureFilter(uint32_t magFilter, uint32_t minFilter, uint32_t mipmapFilter) {
    m_textureManager->SetTextureFilter(Filter(magFilter), MinFilter(minFilter, mipmapFilter));
}

void GLRenderer::SetTextureBorderColor(const float* color) { m_textureManager->SetTextureBorderColor(color); }

void GLRenderer::SetTexturePriority(float priority) { m_textureManager->SetTexturePriority(priority); }

void GLRenderer::SetTextureLod(float minLod, float maxLod, int32_t baseLevel, int32_t maxLevel) {
    m_textureManager->SetTextureLod(minLod, maxLod, baseLevel, maxLevel);
}

void GLRenderer::SetPixelTransfer(const float* scale, const float* bias) {
    m_textureManager->SetPixelTransfer(scale, bias);
}

float GLRenderer::GetTextureAspectRatio(uint32_t texture) {
    return m_textureManager->GetTextureAspectRatio(texture);
}

void GLRenderer::FreeTexture(uint32_t texture) { m_textureManager->FreeTexture(texture); }

uint32_t GLRenderer::AddDynamicTexture2D(uint32_t width, uint32_t height, uint32_t format) {
    return m_textureManager->AddDynamicTexture2D(width, height, PixelFormat(format));
}

uint32_t GLRenderer::LoadTexture1D(Loader* loader, const std::string& name, uint32_t format) {
    return m_textureManager->LoadTexture1D(loader, name, PixelFormat(format));
}

uint32_t GLRenderer::LoadTexture2D(Loader* loader, const std::string& name, uint32_t format) {
    return m_textureManager->LoadTexture2D(loader, name, PixelFormat(format));
}

uint32_t GLRenderer::LoadTexture3D(Loader* loader, const std::string& pattern, uint32_t format, int first,
                                   int last) {
    return m_textureManager->LoadTexture3D(loader, pattern, PixelFormat(format), first, last);
}

uint32_t GLRenderer::LoadTextureCubeVCross(Loader* loader, const std::string& name, uint32_t format) {
    return m_textureManager->LoadTextureCubeVCross(loader, name, PixelFormat(format));
}

uint32_t GLRenderer::AddTexture1D(Bitmap* bitmap, uint32_t format) {
    return m_textureManager->AddTexture1D(bitmap, PixelFormat(format));
}

uint32_t GLRenderer::AddTexture2D(Bitmap* bitmap, uint32_t format) {
    return m_textureManager->AddTexture2D(bitmap, PixelFormat(format));
}

uint32_t GLRenderer::AddTexture3D(Bitmap** slices, uint32_t count, uint32_t format) {
    return m_textureManager->AddTexture3D(slices, count, PixelFormat(format));
}

uint32_t GLRenderer::AddTextureCube(Bitmap** faces, uint32_t format) {
    return m_textureManager->AddTextureCube(faces, PixelFormat(format));
}

uint32_t GLRenderer::LoadNormalMapFromHeightField(Loader* loader, const std::string& name) {
    return m_textureManager->LoadNormalMapFromHeightField(loader, name);
}

uint32_t GLRenderer::LoadProgram(Loader* loader, const std::string& vertexFile, const std::string& fragmentFile) {
    return m_shaderManager->LoadProgram(loader, vertexFile, fragmentFile);
}

void GLRenderer::FreeProgram(uint32_t program) { m_shaderManager->FreeProgram(program); }

void GLRenderer::UseProgram(uint32_t program) { glUseProgram(program); }

GLRenderTarget* GLRenderer::MakeRenderTarget(bool withDepth, uint32_t width, uint32_t height, float aspectRatio,
                                             uint32_t wrapS, uint32_t wrapT, uint32_t magFilter,
                                             uint32_t minFilter, const float* borderColor) {
    auto* target = new GLRenderTarget();
    if (!target->Create(withDepth, width, height, aspectRatio, Wrap(wrapS), Wrap(wrapT), Filter(magFilter),
                        Filter(minFilter), borderColor)) {
        LogMessage(LOG_ERROR, "GLRenderer: Creating render target failed.");
        delete target;
        return nullptr;
    }
    return target;
}

GLRenderTarget* GLRenderer::CreateRenderTarget(uint32_t width, uint32_t height, float aspectRatio, uint32_t wrapS,
                                               uint32_t wrapT, uint32_t magFilter, uint32_t minFilter,
                                               const float* borderColor) {
    return MakeRenderTarget(true, width, height, aspectRatio, wrapS, wrapT, magFilter, minFilter, borderColor);
}

GLRenderTarget* GLRenderer::CreateRenderTargetNoDepth(uint32_t width, uint32_t height, float aspectRatio,
                                                      uint32_t wrapS, uint32_t wrapT, uint32_t magFilter,
                                                      uint32_t minFilter, const float* borderColor) {
    return MakeRenderTarget(false, width, height, aspectRatio, wrapS, wrapT, magFilter, minFilter, borderColor);
}

void GLRenderer::SetRenderTarget(IRenderTarget* target) {
    if (target == m_renderTarget) return;
    if (target) {
        uint32_t frameBuffer = target->GetFrameBuffer();
        if (frameBuffer == 0)
            m_frameBufferManager->UnbindFrameBuffer();
        else
            m_frameBufferManager->BindFrameBuffer(frameBuffer);
    }
    m_renderTarget = target;
}

uint32_t GLRenderer::CreateBuffer(uint32_t kind, uint32_t frequency, uint32_t nature, const void* data,
                                  uint32_t size) {
    if (kind == BUFFER_ARRAY) return m_vertexBufferManager->CreateArrayBuffer(size, data, Usage(frequency, nature));
    if (kind == BUFFER_ELEMENT_ARRAY)
        return m_vertexBufferManager->CreateElementArrayBuffer(size, data, Usage(frequency, nature));
    return 0;
}

void GLRenderer::DeleteBuffer(uint32_t buffer) {
    if (buffer && m_vertexBufferManager) m_vertexBufferManager->DeleteBuffer(buffer);
}

void GLRenderer::BindBuffer(uint32_t kind, uint32_t buffer) {
    if (buffer == 0) return;
    if (kind == BUFFER_ARRAY && m_vertexBufferManager->GetBoundArrayBuffer() != buffer)
        m_vertexBufferManager->BindArrayBuffer(buffer);
    else if (kind == BUFFER_ELEMENT_ARRAY && m_vertexBufferManager->GetBoundElementArrayBuffer() != buffer)
        m_vertexBufferManager->BindElementArrayBuffer(buffer);
}

void GLRenderer::UnbindBuffer(uint32_t kind) {
    if (kind == BUFFER_ARRAY)
        m_vertexBufferManager->UnbindArrayBuffer();
    else if (kind == BUFFER_ELEMENT_ARRAY)
        m_vertexBufferManager->UnbindElementArrayBuffer();
}

void* GLRenderer::MapBuffer(uint32_t kind, uint32_t access) {
    if (kind == BUFFER_ARRAY) return m_vertexBufferManager->MapArrayBuffer(MapAccess(access));
    if (kind == BUFFER_ELEMENT_ARRAY) return m_vertexBufferManager->MapElementArrayBuffer(MapAccess(access));
    return nullptr;
}

bool GLRenderer::UnmapBuffer(uint32_t kind) {
    if (kind == BUFFER_ARRAY) return m_vertexBufferManager->UnmapArrayBuffer();
    if (kind == BUFFER_ELEMENT_ARRAY) return m_vertexBufferManager->UnmapElementArrayBuffer();
    return false;
}

void GLRenderer::SetBufferData(uint32_t kind, uint32_t offset, uint32_t size, const void* data) {
    if (kind == BUFFER_ARRAY)
        m_vertexBufferManager->CopyToArrayBuffer(offset, size, data);
    else if (kind == BUFFER_ELEMENT_ARRAY)
        m_vertexBufferManager->CopyToElementArrayBuffer(offset, size, data);
}

// Types past the conventional arrays (tangents, ...) have no fixed attribute index: the shaders
// that read them ask for them by name, so they are left out here.
void GLRenderer::EnableVertexArrays(ElementList* list) {
    for (const auto& it : list->GetLayout())
        if (it.first < VERTEX_DATA_TYPE_COUNT) EnableVertexArray(list, AttributeIndex(it.first), it.first);
}

void GLRenderer::DisableVertexArrays(ElementList* list) {
    for (const auto& it : list->GetLayout())
        if (it.first < VERTEX_DATA_TYPE_COUNT) DisableVertexArray(AttributeIndex(it.first));
}

void GLRenderer::EnableVertexArray(ElementList* list, uint32_t attribute, uint32_t type) {
    uint32_t itemSize = list->GetItemSize(type);
    if (itemSize == 0) return;
    GLint components = static_cast<GLint>(itemSize / 4);
    const void* pointer;
    if (list->GetVBO()) {
        pointer = reinterpret_cast<const void*>(static_cast<uintptr_t>(list->GetVertexDataOffset(type)));
    } else {
        // Client-memory data would be read as an offset into a bound buffer.
        if (m_vertexBufferManager->GetBoundArrayBuffer()) m_vertexBufferManager->UnbindArrayBuffer();
        pointer = list->GetVertexData(type);
        if (!pointer) return;
    }
    glVertexAttribPointer(attribute, components, GL_FLOAT, GL_FALSE, 0, pointer);
    glEnableVertexAttribArray(attribute);
    // Mesa does not alias generic attributes onto the conventional arrays, so set both:
    // fixed-function drawing and shaders reading gl_Vertex/gl_Color/gl_MultiTexCoordN then agree.
    if (attribute == 0 && components >= 2 && components <= 4) {
        glVertexPointer(components, GL_FLOAT, 0, pointer);
        glEnableClientState(GL_VERTEX_ARRAY);
    } else if (attribute == 2 && components == 3) {
        glNormalPointer(GL_FLOAT, 0, pointer);
        glEnableClientState(GL_NORMAL_ARRAY);
    } else if (attribute == 3 && (components == 3 || components == 4)) {
        glColorPointer(components, GL_FLOAT, 0, pointer);
        glEnableClientState(GL_COLOR_ARRAY);
    } else if (attribute >= 8 && attribute <= 15 && components >= 1 && components <= 4) {
        glClientActiveTexture(GL_TEXTURE0 + (attribute - 8));
        glTexCoordPointer(components, GL_FLOAT, 0, pointer);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glClientActiveTexture(GL_TEXTURE0);
    }
}

void GLRenderer::DisableVertexArray(uint32_t attribute) {
    glDisableVertexAttribArray(attribute);
    if (attribute == 0) {
        glDisableClientState(GL_VERTEX_ARRAY);
    } else if (attribute == 2) {
        glDisableClientState(GL_NORMAL_ARRAY);
    } else if (attribute == 3) {
        glDisableClientState(GL_COLOR_ARRAY);
    } else if (attribute >= 8 && attribute <= 15) {
        glClientActiveTexture(GL_TEXTURE0 + (attribute - 8));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glClientActiveTexture(GL_TEXTURE0);
    }
}

void GLRenderer::DrawElements(ElementList* list) {
    uint32_t n = list->GetVertexCount();
    m_vertices += n;
    m_indices += list->GetIndexCount();
    m_drawCalls += 1;
    m_primitives += PrimitiveCount(list->GetPrimitiveType(), n);
    if (!list->GetIndices() || list->GetIndexCount() == 0) return;
    DrawIndices(list, list->GetIndices(), list->GetIndexCount(), 0, 0);
}

void GLRenderer::DrawElementsRange(ElementList* list, uint32_t firstIndex, uint32_t indexCount) {
    const uint32_t total = list->GetIndices() ? list->GetIndexCount() : 0;
    if (firstIndex > total) firstIndex = total;
    if (indexCount > total - firstIndex) indexCount = total - firstIndex;
    const uint32_t* indices = list->GetIndices() + firstIndex;
    // The vertex span the range reads: counted as its vertices and handed to the driver.
    uint32_t lowest = UINT32_MAX, highest = 0;
    for (uint32_t i = 0; i < indexCount; ++i) {
        if (indices[i] < lowest) lowest = indices[i];
        if (indices[i] > highest) highest = indices[i];
    }
    m_vertices += indexCount ? highest - lowest + 1 : 0;
    m_indices += indexCount;
    m_drawCalls += 1;
    m_primitives += PrimitiveCount(list->GetPrimitiveType(), indexCount);
    if (indexCount == 0) return;
    DrawIndices(list, indices, indexCount, lowest, highest);
}

void GLRenderer::DrawIndices(ElementList* list, const uint32_t* indices, uint32_t count, uint32_t lowest,
                             uint32_t highest) {
    bool bound = false;
    uint32_t vbo = list->GetVBO();
    if (vbo && m_vertexBufferManager->GetBoundArrayBuffer() != vbo) {
        m_vertexBufferManager->BindArrayBuffer(vbo);
        bound = true;
    }
    // Indices live in client memory.
    if (m_vertexBufferManager->GetBoundElementArrayBuffer()) m_vertexBufferManager->UnbindElementArrayBuffer();
    if (highest > lowest)
        glDrawRangeElements(Primitive(list->GetPrimitiveType()), lowest, highest, static_cast<GLsizei>(count),
                            GL_UNSIGNED_INT, indices);
    else
        glDrawElements(Primitive(list->GetPrimitiveType()), static_cast<GLsizei>(count), GL_UNSIGNED_INT, indices);
    if (bound) m_vertexBufferManager->UnbindArrayBuffer();
}

uint32_t GLRenderer::CreateOcclusionQuery() {
    GLuint id = 0;
    glGenQueries(1, &id);
    return id;
}

void GLRenderer::DeleteOcclusionQuery(uint32_t query) {
    if (query == 0) return;
    GLuint id = query;
    glDeleteQueries(1, &id);
}

void GLRenderer::BeginOcclusionQuery(uint32_t query) {
    if (query) glBeginQuery(GL_SAMPLES_PASSED, query);
}

void GLRenderer::EndOcclusionQuery() { glEndQuery(GL_SAMPLES_PASSED); }

uint32_t GLRenderer::GetOcclusionQueryResult(uint32_t query) {
    if (query == 0) return 0;
    GLuint result = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &result);
    return result;
}

// Shared quad, text and debug lines.

void GLRenderer::CreateQuadAndFont() {
    static const float kPositions[8] = {-0.5f, -0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f};
    static const float kWhite[4] = {1, 1, 1, 1};
    m_quad = std::make_unique<ElementList>(PRIMITIVE_TRIANGLE_STRIP, 4, 4);
    uint32_t* indices = m_quad->AllocIndices();
    for (uint32_t i = 0; i < 4; ++i) indices[i] = i;
    m_quad->AllocVertexData(VERTEX_DATA_POSITION, 8);
    m_quad->AllocVertexData(VERTEX_DATA_COLOR, 16);
    for (uint32_t set = 0; set < 4; ++set) m_quad->AllocVertexData(VERTEX_DATA_TEXCOORD0 + set, 8);
    std::memcpy(m_quad->GetVertexData(VERTEX_DATA_POSITION), kPositions, sizeof(kPositions));
    SetQuadColor(kWhite);
    SetQuadTexRects(0, nullptr);

    m_textureManager->ResetTextureParameters();
    m_textureManager->SetTextureFilter(GL_LINEAR, GL_LINEAR);
    m_fontTexture = m_textureManager->LoadTexture2D(GetLoader(), "textures/font_default.png", GL_RGBA);
}

void GLRenderer::ReleaseQuadAndFont() {
    if (m_fontTexture && m_textureManager) m_textureManager->FreeTexture(m_fontTexture);
    m_fontTexture = 0;
    m_quad.reset();
}

void GLRenderer::SetQuadColor(const float* color) {
    float* colors = m_quad->GetVertexData(VERTEX_DATA_COLOR);
    for (int v = 0; v < 4; ++v) std::memcpy(colors + v * 4, color, 4 * sizeof(float));
}

void GLRenderer::SetQuadTexRects(uint32_t sets, const float* rects) {
    static const float kUnit[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    for (uint32_t set = 0; set < 4; ++set) {
        const float* r = (rects && set < sets) ? rects + set * 4 : kUnit;
        float* t = m_quad->GetVertexData(VERTEX_DATA_TEXCOORD0 + set);
        // Vertex order: lower-left, lower-right, upper-left, upper-right.
        const float coords[8] = {r[0], r[3], r[2], r[3], r[0], r[1], r[2], r[1]};
        std::memcpy(t, coords, sizeof(coords));
    }
}

void GLRenderer::DrawSharedQuad(uint32_t texCoordSets) {
    if (texCoordSets > 4) texCoordSets = 4;
    ElementList* quad = m_quad.get();
    EnableVertexArray(quad, 0, VERTEX_DATA_POSITION);
    EnableVertexArray(quad, 3, VERTEX_DATA_COLOR);
    for (uint32_t set = 0; set < texCoordSets; ++set) EnableVertexArray(quad, 8 + set, VERTEX_DATA_TEXCOORD0 + set);
    DrawElements(quad);
    DisableVertexArray(0);
    DisableVertexArray(3);
    for (uint32_t set = 0; set < texCoordSets; ++set) DisableVertexArray(8 + set);
}

void GLRenderer::DrawSprite(const float* position, const float* size, float horizontalScale, float angle,
                            const float* color, uint32_t texCoordSets, const float* texRects) {
    static const float kPositions[8] = {-0.5f, -0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f};
    if (!m_quad) return;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(position[0], position[1], 0.0f);
    glRotatef(-angle * 180.0f / kPi, 0.0f, 0.0f, 1.0f);
    glScalef(size[0] * horizontalScale, size[1], 1.0f);
    std::memcpy(m_quad->GetVertexData(VERTEX_DATA_POSITION), kPositions, sizeof(kPositions));
    SetQuadColor(color);
    SetQuadTexRects(texCoordSets, texRects);
    DrawSharedQuad(texCoordSets);
}

void GLRenderer::DrawQuad(const float* corner0, const float* corner1, uint32_t texCoordSets,
                          const float* texRects) {
    static const float kWhite[4] = {1, 1, 1, 1};
    if (!m_quad) return;
    const float positions[8] = {corner0[0], corner0[1], corner1[0], corner0[1],
                                corner0[0], corner1[1], corner1[0], corner1[1]};
    std::memcpy(m_quad->GetVertexData(VERTEX_DATA_POSITION), positions, sizeof(positions));
    SetQuadColor(kWhite);
    SetQuadTexRects(texCoordSets, texRects);
    DrawSharedQuad(texCoordSets);
}

void GLRenderer::DrawScreenQuad(uint32_t texCoordSets) {
    static const float kPositions[8] = {-0.5f, -0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f};
    static const float kWhite[4] = {1, 1, 1, 1};
    if (!m_quad) return;
    SetOrtho(-0.5f, 0.5f, 0.5f, -0.5f, -1.0f, 1.0f);
    LoadModelViewIdentity();
    std::memcpy(m_quad->GetVertexData(VERTEX_DATA_POSITION), kPositions, sizeof(kPositions));
    SetQuadColor(kWhite);
    SetQuadTexRects(0, nullptr);
    DrawSharedQuad(texCoordSets);
}

void GLRenderer::DrawText(const float* position, float glyphAspect, float glyphHeight, const std::string& text,
                          float advance, float lineSpacing) {
    static const float kWhite[4] = {1, 1, 1, 1};
    if (!m_quad || !m_fontTexture) return;
    ResetTextureUnit(0);
    BindTexture(0, m_fontTexture, TEXTURE_TARGET_2D);
    EnableTexture(0, true, TEXTURE_TARGET_2D);
    // A sprite drawn before must not tint the text.
    SetQuadColor(kWhite);
    float w = glyphAspect * glyphHeight;
    float x = position[0], top = position[1];
    for (unsigned char c : text) {
        if (c == '\n') {
            x = position[0];
            top -= glyphHeight * lineSpacing;
            continue;
        }
        float u0 = (c % 16) / 16.0f, u1 = (c % 16 + 1) / 16.0f;
        float v0 = 1.0f - (c / 16 + 1) / 16.0f, v1 = 1.0f - (c / 16) / 16.0f;
        const float positions[8] = {x, top - glyphHeight, x + w, top - glyphHeight, x, top, x + w, top};
        const float rect[4] = {u0, v1, u1, v0};
        std::memcpy(m_quad->GetVertexData(VERTEX_DATA_POSITION), positions, sizeof(positions));
        SetQuadTexRects(1, rect);
        DrawSharedQuad(1);
        x += w * advance;
    }
    ResetTextureUnit(0);
}

void GLRenderer::DrawAxes(float length) {
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    glColor4f(1.0f, 0.5f, 0.5f, 1.0f);
    glVertex3f(0, 0, 0);
    glVertex3f(length, 0, 0);
    glColor4f(0.5f, 1.0f, 0.5f, 1.0f);
    glVertex3f(0, 0, 0);
    glVertex3f(0, length, 0);
    glColor4f(0.5f, 0.5f, 1.0f, 1.0f);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, length);
    glEnd();
}

void GLRenderer::DrawBoundingBox(const float* color, const float* centre, const float* size) {
    float lo[3], hi[3];
    for (int i = 0; i < 3; ++i) {
        lo[i] = centre[i] - size[i] / 2.0f;
        hi[i] = centre[i] + size[i] / 2.0f;
    }
    // Corners 1-4 on the near z face (x fastest, then y), 5-8 on the far one.
    float corners[32];
    for (int k = 0; k < 8; ++k) {
        corners[k * 4 + 0] = (k & 1) ? hi[0] : lo[0];
        corners[k * 4 + 1] = (k & 2) ? hi[1] : lo[1];
        corners[k * 4 + 2] = (k & 4) ? hi[2] : lo[2];
        corners[k * 4 + 3] = 1.0f;
    }
    DrawBox(color, corners);
}

void GLRenderer::DrawLine(const float* color, const float* from, const float* to) {
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    glColor4fv(color);
    glVertex3fv(from);
    glVertex3fv(to);
    glEnd();
}

void GLRenderer::DrawBox(const float* color, const float* corners) {
    // Corner numbers as in the box description, 1-based.
    static const int kEdges[12][2] = {{1, 2}, {2, 4}, {4, 3}, {3, 1}, {5, 6}, {6, 8},
                                      {8, 7}, {7, 5}, {1, 5}, {2, 6}, {4, 8}, {3, 7}};
    glLineWidth(3.0f);
    glColor3fv(color);
    glBegin(GL_LINES);
    for (const auto& e : kEdges) {
        glVertex3fv(corners + (e[0] - 1) * 4);
        glVertex3fv(corners + (e[1] - 1) * 4);
    }
    glEnd();
}
