#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/LWEnvelope.h"
#include "lightwave/LWParameter.h"
#include "lightwave/LWTextureLayer.h"

class LWObject;
class LWLayer;

// Motion channels of an item: 0-2 position, 3-5 heading, pitch, bank, 6-8 scale. A channel
// the file did not give is 0 (1 for scale).
struct LWMotion {
    static constexpr int kChannels = 9;
    float Evaluate(int channel, float t) const {
        if (channel < 0 || channel >= kChannels) return 0.0f;
        if (!present[channel]) return channel >= 6 ? 1.0f : 0.0f;
        return channels[channel].Evaluate(t);
    }

    LWEnvelope channels[kChannels];
    bool present[kChannels] = {false, false, false, false, false, false, false, false, false};
    uint32_t channelCount = 0;
};

// The item kinds, also the top hexadecimal digit of their ids.
enum LWItemType : uint32_t {
    LWITEM_OBJECT = 1,
    LWITEM_LIGHT = 2,
    LWITEM_CAMERA = 3,
    LWITEM_BONE = 4,
};

// Rotation controllers of heading, pitch and bank.
enum LWRotationController : int32_t {
    LWCONTROLLER_KEYS = 0,
    LWCONTROLLER_TARGET = 1,
    LWCONTROLLER_PATH = 2,
};

// Base of every scene item. Pivot rotation is heading, pitch, bank in radians (bank
// mirrored like every bank angle).
class LWItem {
public:
    explicit LWItem(LWItemType itemType) : type(itemType) {}
    virtual ~LWItem() = default;
    LWItem(const LWItem&) = delete;
    LWItem& operator=(const LWItem&) = delete;

    LWItemType type;
    uint32_t id = 0;
    bool hasParent = false;
    uint32_t parentId = 0;
    bool hasTarget = false;
    uint32_t targetId = 0;
    LWItem* parent = nullptr;
    LWItem* target = nullptr;
    std::vector<LWItem*> children;
    std::string name;
    bool hasPivot = false;
    float pivot[3] = {0, 0, 0};
    float pivotRotation[3] = {0, 0, 0};
    LWMotion motion;
    int32_t controllers[3] = {LWCONTROLLER_KEYS, LWCONTROLLER_KEYS, LWCONTROLLER_KEYS};
};

class LWObjectItem;

class LWBoneItem : public LWItem {
public:
    LWBoneItem() : LWItem(LWITEM_BONE) {}

    LWObjectItem* owner = nullptr;
    bool active = true;
    float restPosition[3] = {0, 0, 0};
    float restDirection[3] = {0, 0, 0};  // degrees, as in the file
    float restLength = 1.0f;
    std::string weightMapName;
    bool weightMapOnly = false;
    bool normalization = false;
    float strength = 1.0f;
    bool scaleStrength = false;
    bool limitedRange = false;
    float minRange = 0.0f;
    float maxRange = 0.0f;
    float jointComp = 0.0f;
    float jointCompParent = 0.0f;
    float muscleFlex = 0.0f;
    float muscleFlexParent = 0.0f;
};

// A morph of the morph mixer: a MORF vertex map by name and its weight over time.
struct LWMorphForm {
    std::string name;
    LWParameter weight;
};

// A plugin named on an object item; none is run.
struct LWPluginInfo {
    std::string className;
    int32_t index = 0;
    std::string server;
};

class LWObjectItem : public LWItem {
public:
    LWObjectItem() : LWItem(LWITEM_OBJECT) {}

    bool IsNull() const { return layer < 0; }

    std::string fileName;
    int32_t layer = -1;  // 1-based layer of the file; -1 for a null object
    LWObject* object = nullptr;
    const LWLayer* layerData = nullptr;
    LWParameter dissolve;
    bool unaffectedByFog = false;
    bool unseenByCamera = false;
    bool edgeFlags[5] = {false, false, false, false, false};
    float edgeThickness[5] = {0, 0, 0, 0, 0};
    float edgeColour[3] = {0, 0, 0};
    LWParameter morphAmount;
    int32_t morphTarget = -1;  // 1-based object index
    bool mtseMorphing = false;
    std::vector<LWMorphForm> morphForms;
    std::vector<LWTextureLayer> displacementLayers;
    uint32_t useBonesFrom = 0;
    uint32_t boneFalloff = 1;
    std::vector<std::unique_ptr<LWBoneItem>> bones;
    std::vector<LWPluginInfo> plugins;
};

class LWLightItem : public LWItem {
public:
    LWLightItem() : LWItem(LWITEM_LIGHT) {}

    LWVectorParameter colour{1.0f, 1.0f, 1.0f};
    LWParameter intensity{0.5f};
    LWParameter range{1.0f};
    LWParameter coneAngle{0.5236f};
    LWParameter edgeAngle{0.0873f};
    bool affectDiffuse = true;
    bool affectSpecular = true;
    uint32_t lightType = 0;
    uint32_t falloffType = 0;
    bool lensFlare = false;
    LWParameter flareIntensity;
    LWParameter flareDissolve;
    LWParameter flareNominalDistance;
    bool flareFadeBit1 = false;
    bool flareFadeBit4 = false;
    LWVectorParameter flareRingColour;
    LWParameter flareRingSize;
};

class LWCameraItem : public LWItem {
public:
    LWCameraItem() : LWItem(LWITEM_CAMERA) {}

    // Horizontal and vertical field of view (radians) at time t.
    void FieldOfView(float t, float& horizontal, float& vertical) const;

    LWParameter zoomFactor{3.2f};
    float frameWidth = 640.0f;
    float frameHeight = 480.0f;
    float pixelAspect = 1.0f;
};
