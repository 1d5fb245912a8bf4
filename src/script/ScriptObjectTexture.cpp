#include "script/ScriptObjectTexture.h"

#include <utility>

#include "base/Exit.h"
#include "base/Log.h"
#include "io/Loader.h"
#include "render/IRenderer.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptValidation.h"
#include "script/ScriptValueUtil.h"

namespace {

struct NamedValue {
    const char* name;
    uint32_t value;
};

template <size_t N>
bool Lookup(const NamedValue (&table)[N], const std::string& text, uint32_t* value) {
    for (const NamedValue& entry : table) {
        if (text == entry.name) {
            *value = entry.value;
            return true;
        }
    }
    return false;
}

const char* const kWrapHelp =
    "Accepted values: \"repeat\", \"clamp\", \"clamp_to_edge\", \"clamp_to_border\", \"mirrored_repeat\".";

[[noreturn]] void Fatal(const std::string& message) {
    LogMessage(LOG_ERROR, message);
    ExitProgram(-1);
}

}  // namespace

bool ScriptObjectTexture::TranslateWrap(const std::string& text, uint32_t* value) {
    static const NamedValue table[] = {{"repeat", WRAP_REPEAT},
                                       {"clamp", WRAP_CLAMP},
                                       {"clamp_to_edge", WRAP_CLAMP_TO_EDGE},
                                       {"clamp_to_border", WRAP_CLAMP_TO_BORDER},
                                       {"mirrored_repeat", WRAP_MIRRORED_REPEAT}};
    return Lookup(table, text, value);
}

bool ScriptObjectTexture::TranslateFilter(const std::string& text, uint32_t* value) {
    static const NamedValue table[] = {{"linear", FILTER_LINEAR}, {"nearest", FILTER_NEAREST}};
    return Lookup(table, text, value);
}

bool ScriptObjectTexture::TranslateFormat(const std::string& text, uint32_t* value) {
    static const NamedValue table[] = {{"rgb", FORMAT_RGB},
                                       {"rgba", FORMAT_RGBA},
                                       {"luminance", FORMAT_LUMINANCE},
                                       {"intensity", FORMAT_INTENSITY},
                                       {"alpha", FORMAT_ALPHA},
                                       {"red", FORMAT_RED},
                                       {"green", FORMAT_GREEN},
                                       {"blue", FORMAT_BLUE}};
    return Lookup(table, text, value);
}

ScriptObjectTexture::ScriptObjectTexture(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end)
    : ScriptObject(framework, id, "texture", parent, start, end, ACCESS_READ_ONLY) {
    m_description = "Static texture loaded from bitmap resource file.";
    m_src = AddStringParameter("src", ACCESS_INIT_ONLY, "",
                               "Texture bitmap filename. Accepted formats are JPEG and PNG (8 bit grey, 24 "
                               "bit RGB, and 32 bit RGBA).");
    m_dimension = AddStringParameter("dimension", ACCESS_INIT_ONLY, "2d",
                                     "Texture dimension. Accepted values: \"2d\", \"1d\".");
    m_format = AddStringParameter("format", ACCESS_INIT_ONLY, "rgba",
                                  "Texture color format. Accepted values: \"rgba\", \"rgb\", \"luminance\", "
                                  "\"intensity\", \"alpha\", \"red\", \"green\", \"blue\".");
    m_priority = AddFloatParameter("priority", ACCESS_INIT_ONLY, 1.0f, "Texture priority [0..1].");
    m_wrapU = AddStringParameter("wrap_u", ACCESS_INIT_ONLY, "repeat",
                                 std::string("Horizontal wrapping mode. ") + kWrapHelp);
    m_wrapV = AddStringParameter("wrap_v", ACCESS_INIT_ONLY, "repeat",
                                 std::string("Vertical wrapping mode. ") + kWrapHelp);
    m_wrapW = AddStringParameter("wrap_w", ACCESS_INIT_ONLY, "repeat",
                                 std::string("Depth direction wrapping mode. ") + kWrapHelp);
    m_filter = AddStringParameter("filter", ACCESS_INIT_ONLY, "linear",
                                  "Filtering mode. Accepted values: \"linear\", \"nearest\".");
    m_compression = AddBooleanParameter("compression", ACCESS_INIT_ONLY, false,
                                        "Flag for enabling/disabling texture compression.");
    m_mipmapping =
        AddBooleanParameter("mipmapping", ACCESS_INIT_ONLY, false, "Flag for enabling/disabling mipmapping.");
    m_mipmapFilter = AddStringParameter("mipmap_filter", ACCESS_INIT_ONLY, "linear",
                                        "Mipmap filtering mode. Accepted values: \"linear\", \"nearest\".");
    m_mipmapMinLod = AddFloatParameter("mipmap_minlod", ACCESS_INIT_ONLY, -1000.0f,
                                       "Minimum level of detail for mipmaps. Default=-1000.0.");
    m_mipmapMaxLod = AddFloatParameter("mipmap_maxlod", ACCESS_INIT_ONLY, 1000.0f,
                                       "Maximum level of detail for mipmaps. Default=1000.0.");
    m_mipmapBaseLevel =
        AddIntegerParameter("mipmap_baselevel", ACCESS_INIT_ONLY, 0, "Mipmap base level. Default=0.");
    m_mipmapMaxLevel =
        AddIntegerParameter("mipmap_maxlevel", ACCESS_INIT_ONLY, 1000, "Mipmap maximum level. Default=1000.");
    m_borderColor = AddColor4Parameter("border_color", ACCESS_INIT_ONLY, 0.0f, 0.0f, 0.0f, 0.0f,
                                       "Texture border color. Default=(0.0, 0.0, 0.0, 0.0)");
    m_colorScale = AddColor4Parameter("color_scale", ACCESS_INIT_ONLY, 1.0f, 1.0f, 1.0f, 1.0f,
                                      "Pixel transfer color scale factor. Default=(1.0, 1.0, 1.0, 1.0)");
    m_colorBias = AddColor4Parameter("color_bias", ACCESS_INIT_ONLY, 0.0f, 0.0f, 0.0f, 0.0f,
                                     "Pixel transfer color bias. Default=(0.0, 0.0, 0.0, 0.0)");
    m_aspect = AddFloatParameter("aspect", ACCESS_READ_ONLY, 1.0f, "Source bitmap's original aspect ratio.");
    m_texId =
        AddIntegerParameter("tex_id", ACCESS_READ_ONLY, 0, "Texture ID for using this texture in effects.");
}

ScriptObjectTexture::~ScriptObjectTexture() {
    // Still held when the tree goes away early (Escape, fatal error): free it here so the
    // texture manager ends with nothing undeleted.
    FreeHeldTexture();
}

ScriptObject* ScriptObjectTexture::Create(DemoFramework* framework, const std::string& id,
                                          ScriptObject* parent, float start, float end) {
    return new ScriptObjectTexture(framework, id, parent, start, end);
}

int32_t ScriptObjectTexture::GetTextureId() const {
    return m_texId->GetValue();
}

void ScriptObjectTexture::FreeHeldTexture() {
    if (m_texId->GetValue() == 0) return;
    if (IRenderer* renderer = GetRenderer())
        renderer->FreeTexture(static_cast<uint32_t>(m_texId->GetValue()));
    m_texId->SetValue(0);
}

void ScriptObjectTexture::Deactivate() {
    FreeHeldTexture();
}

void ScriptObjectTexture::HandleEvent(ScriptEvent* event) {
    if (event->name != "Init") return;
    FreeHeldTexture();
    const std::string prefix = "ScriptObjectTexture::HandleEvent(): ";
    if (m_src->GetValue().empty()) Fatal(prefix + "Texture src not defined.");

    uint32_t format, wrapU, wrapV, wrapW, filter;
    if (!TranslateFormat(m_format->GetValue(), &format))
        Fatal(prefix + "Unknown format value: " + ScriptValueUtil::Excerpt(m_format->GetValue()));
    if (!TranslateWrap(m_wrapU->GetValue(), &wrapU))
        Fatal(prefix + "Unknown wrap_u value: " + ScriptValueUtil::Excerpt(m_wrapU->GetValue()));
    if (!TranslateWrap(m_wrapV->GetValue(), &wrapV))
        Fatal(prefix + "Unknown wrap_v value: " + ScriptValueUtil::Excerpt(m_wrapV->GetValue()));
    if (!TranslateWrap(m_wrapW->GetValue(), &wrapW))
        Fatal(prefix + "Unknown wrap_w value: " + ScriptValueUtil::Excerpt(m_wrapW->GetValue()));
    if (!TranslateFilter(m_filter->GetValue(), &filter))
        Fatal(prefix + "Unknown filter value: " + ScriptValueUtil::Excerpt(m_filter->GetValue()));
    uint32_t mipmapFilter = MIPMAP_NONE;
    if (m_mipmapping->GetValue()) {
        uint32_t value;
        if (!TranslateFilter(m_mipmapFilter->GetValue(), &value))
            Fatal(prefix +
                  "Unknown mipmap_filter value: " + ScriptValueUtil::Excerpt(m_mipmapFilter->GetValue()));
        mipmapFilter = value == FILTER_LINEAR ? MIPMAP_LINEAR : MIPMAP_NEAREST;
    }

    // Checked before any renderer call, so a bad value never leaves parameters half applied.
    const std::string& dimension = m_dimension->GetValue();
    if (dimension != "2d" && dimension != "1d")
        Fatal(prefix + "Unknown texture dimension value: " + ScriptValueUtil::Excerpt(dimension));

    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    float border[4], scale[4], bias[4];
    m_borderColor->GetValue(border);
    m_colorScale->GetValue(scale);
    m_colorBias->GetValue(bias);
    renderer->ResetTextureParameters();
    renderer->SetTextureFlags((m_compression->GetValue() ? TEXTURE_FLAG_COMPRESSION : 0u) |
                              (m_mipmapping->GetValue() ? TEXTURE_FLAG_MIPMAP : 0u));
    renderer->SetTextureWrap(wrapU, wrapV, wrapW);
    renderer->SetTextureFilter(filter, filter, mipmapFilter);
    renderer->SetTextureBorderColor(border);
    renderer->SetTexturePriority(m_priority->GetValue());
    renderer->SetTextureLod(m_mipmapMinLod->GetValue(), m_mipmapMaxLod->GetValue(),
                            m_mipmapBaseLevel->GetValue(), m_mipmapMaxLevel->GetValue());
    renderer->SetPixelTransfer(scale, bias);

    const bool oneDimensional = dimension == "1d";
    const uint32_t id = oneDimensional ? renderer->LoadTexture1D(GetLoader(), m_src->GetValue(), format)
                                       : renderer->LoadTexture2D(GetLoader(), m_src->GetValue(), format);
    m_texId->SetValue(static_cast<int32_t>(id));
    m_aspect->SetValue(id ? renderer->GetTextureAspectRatio(id) : 1.0f);
}

void ScriptObjectTexture::Validate(ScriptValidation& v) {
    uint32_t value;
    v.File(ScriptValidation::FILE_IMAGE, m_src->GetValue(), "src");
    if (!TranslateFormat(m_format->GetValue(), &value))
        v.Problem("format: unknown value \"" + ScriptValueUtil::Excerpt(m_format->GetValue()) + "\"");
    const std::pair<const char*, ScriptObjectString*> wraps[] = {{"wrap_u", m_wrapU}, {"wrap_v", m_wrapV}, {"wrap_w", m_wrapW}};
    for (const auto& wrap : wraps) {
        if (!TranslateWrap(wrap.second->GetValue(), &value))
            v.Problem(std::string(wrap.first) + ": unknown value \"" + ScriptValueUtil::Excerpt(wrap.second->GetValue()) +
                      "\" (" + kWrapHelp + ")");
    }
    if (!TranslateFilter(m_filter->GetValue(), &value))
        v.Problem("filter: unknown value \"" + ScriptValueUtil::Excerpt(m_filter->GetValue()) + "\"");
    if (m_mipmapping->GetValue() && !TranslateFilter(m_mipmapFilter->GetValue(), &value))
        v.Problem("mipmap_filter: unknown value \"" + ScriptValueUtil::Excerpt(m_mipmapFilter->GetValue()) + "\"");
    static const char* const kDimensions[] = {"2d", "1d", nullptr};
    v.Choice(m_dimension->GetValue(), kDimensions, "dimension");
}
