#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/LWItem.h"
#include "lightwave/LWParameter.h"

class Bitmap;
class LWModelManager;

// A greyscale image used by displacement layers (file name as the scene gives it).
struct LWDisplacementImage {
    std::string fileName;
    std::unique_ptr<Bitmap> bitmap;
};

// A loaded LWS scene: settings, items and the id map that connects them.
class LWScene {
public:
    LWScene();
    ~LWScene();
    LWScene(const LWScene&) = delete;
    LWScene& operator=(const LWScene&) = delete;

    // Looks up parents, targets and bone parents by id and fills the child lists. Missing
    // items and parent cycles are reported and left unconnected.
    void ResolveItems();
    // Loads every object item's object through the manager and every displacement image;
    // false after an error when an image cannot be loaded.
    bool LoadItems(LWModelManager* manager);

    // The scene's own time for a show time: the frame range loops. A range that is empty or
    // a frame rate of 0 holds the first frame.
    float GetSceneTime(float time) const;
    // The objects (0-based) a multi-target morph walks through, starting with the object's
    // own morph target; ends at a missing or repeated object.
    std::vector<uint32_t> GetMorphChain(uint32_t objectIndex) const;

    LWItem* FindItem(uint32_t id) const;
    LWCameraItem* FindCamera(const std::string& cameraName) const;
    LWLightItem* FindLight(const std::string& lightName) const;
    // Enters an item under its id; false (and the map unchanged) when the id is taken.
    bool AddToIdMap(LWItem* item);

    std::string name;
    std::string contentDirectory;
    // Signed: scenes may start before frame 0.
    int32_t firstFrame = 1;
    int32_t lastFrame = 60;
    uint32_t framesPerSecond = 30;
    LWVectorParameter ambientColor{1.0f, 1.0f, 1.0f};
    LWParameter ambientIntensity{0.25f};
    LWParameter globalLightIntensity{1.0f};
    LWParameter globalFlareIntensity{1.0f};
    bool enableLensFlares = false;
    float backdropColor[3] = {0, 0, 0};
    uint32_t fogType = 0;
    bool backdropFog = false;
    LWParameter fogMinDistance;
    LWParameter fogMaxDistance{1.0f};
    LWVectorParameter fogColor;

    std::vector<std::unique_ptr<LWObjectItem>> objects;
    std::vector<std::unique_ptr<LWLightItem>> lights;
    std::vector<std::unique_ptr<LWCameraItem>> cameras;
    std::vector<LWDisplacementImage> displacementImages;

private:
    void ResolveReference(LWItem& item, bool parentLink);
    void BreakParentCycles(const std::vector<LWItem*>& items, const char* what);
    void CheckObjectReferences();

    std::map<uint32_t, LWItem*> m_idMap;
};
