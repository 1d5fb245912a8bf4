#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/LWParameter.h"
#include "lightwave/LWTextureLayer.h"

class RenderTechnique;
class LWObject;
class LWSurfaceHandler;

// A shader block of a surface (only its server name is used).
struct LWShaderBlock {
    std::string ordinal;
    std::string server;
    bool enabled = true;
};

// One SURF of an object: material parameters, texture layers and, once the model manager
// initialised it, the technique that draws it.
class LWSurface {
public:
    // Channels that the renderer uses, as indices into channelLayer.
    enum Channel { CHANNEL_COLR = 0, CHANNEL_TRAN = 1, CHANNEL_BUMP = 2, CHANNEL_REFL = 3, CHANNEL_NMAP = 4 };
    static constexpr int kChannelCount = 5;
    static const char* ChannelName(int channel);

    // The layer of a channel, or null.
    const LWTextureLayer* GetChannelLayer(int channel) const;
    // Inserts a layer after the last one of its channel whose ordinal sorts before or equal
    // to it; a channel not present yet goes to the end.
    void InsertTextureLayer(const LWTextureLayer& layer);

    LWObject* object = nullptr;  // the object the surface belongs to (its clips, image directory)
    std::string name;
    std::string source;
    std::string comment;
    LWVectorParameter colour{1.0f, 1.0f, 1.0f};
    LWParameter diffuse{1.0f};
    LWParameter luminosity;
    LWParameter specular;
    LWParameter glossiness{0.4f};
    LWParameter colourHighlights;
    LWParameter transparency;
    LWParameter translucency;
    LWParameter bump{1.0f};
    LWParameter reflection;
    LWParameter glow;
    bool doubleSided = false;
    float smoothingAngle = 0.0f;
    int32_t reflectionImage = -1;
    bool hasVertexColour = false;
    float vertexColourIntensity = 0.0f;
    int32_t vertexColourEnvelope = -1;
    std::string vertexColourMap;
    std::string normalMapImage;  // the image file of a normal-map shader
    std::vector<LWTextureLayer> textureLayers;
    std::vector<LWShaderBlock> shaderBlocks;
    int32_t channelLayer[kChannelCount] = {-1, -1, -1, -1, -1};
    uint32_t texCoordSetCount = 0;

    // Set by the model manager. The technique is shared so that whoever made it decides how
    // it is released (the pointer carries its deleter).
    std::shared_ptr<RenderTechnique> technique;
    LWSurfaceHandler* handler = nullptr;
};
