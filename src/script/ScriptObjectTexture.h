#pragma once

#include <cstdint>
#include <string>

#include "script/ScriptObject.h"

// "texture": loads an image into a texture on its "Init" event and publishes the id in
// "tex_id" until the object is deactivated (or destroyed).
class ScriptObjectTexture : public ScriptObject {
public:
    ScriptObjectTexture(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end);
    ~ScriptObjectTexture() override;

    static ScriptObject* Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                float start, float end);

    void Deactivate() override;
    void HandleEvent(ScriptEvent* event) override;
    void Validate(ScriptValidation& validation) override;

    int32_t GetTextureId() const;

    // Script names to renderer enumerations; false for a name outside the accepted set.
    static bool TranslateWrap(const std::string& text, uint32_t* value);
    static bool TranslateFilter(const std::string& text, uint32_t* value);
    static bool TranslateFormat(const std::string& text, uint32_t* value);

private:
    void FreeHeldTexture();

    ScriptObjectString* m_src;
    ScriptObjectString* m_dimension;
    ScriptObjectString* m_format;
    ScriptObjectFloat* m_priority;
    ScriptObjectString* m_wrapU;
    ScriptObjectString* m_wrapV;
    ScriptObjectString* m_wrapW;
    ScriptObjectString* m_filter;
    ScriptObjectBoolean* m_compression;
    ScriptObjectBoolean* m_mipmapping;
    ScriptObjectString* m_mipmapFilter;
    ScriptObjectFloat* m_mipmapMinLod;
    ScriptObjectFloat* m_mipmapMaxLod;
    ScriptObjectInteger* m_mipmapBaseLevel;
    ScriptObjectInteger* m_mipmapMaxLevel;
    ScriptObjectColor4* m_borderColor;
    ScriptObjectColor4* m_colorScale;
    ScriptObjectColor4* m_colorBias;
    ScriptObjectFloat* m_aspect;
    ScriptObjectInteger* m_texId;
};
