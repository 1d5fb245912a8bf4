#include "lightwave/LWScene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/Log.h"
#include "io/Bitmap.h"
#include "lightwave/LWByteCursor.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"

namespace {

std::string Hex(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

uint32_t NextPowerOfTwo(uint32_t v) {
    uint32_t p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

std::string BaseName(const std::string& path) {
    const size_t cut = path.find_last_of("/\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

LWScene::LWScene() = default;
LWScene::~LWScene() = default;

LWItem* LWScene::FindItem(uint32_t id) const {
    auto found = m_idMap.find(id);
    return found == m_idMap.end() ? nullptr : found->second;
}

bool LWScene::AddToIdMap(LWItem* item) {
    return m_idMap.emplace(item->id, item).second;
}

LWCameraItem* LWScene::FindCamera(const std::string& cameraName) const {
    for (const auto& camera : cameras) {
        if (camera->name == cameraName) return camera.get();
    }
    return nullptr;
}

LWLightItem* LWScene::FindLight(const std::string& lightName) const {
    for (const auto& light : lights) {
        if (light->name == lightName) return light.get();
    }
    return nullptr;
}

void LWScene::ResolveReference(LWItem& item, bool parentLink) {
    if (parentLink ? !item.hasParent : !item.hasTarget) return;
    const uint32_t id = parentLink ? item.parentId : item.targetId;
    LWItem* found = FindItem(id);
    if (!found || found == &item) {
        LogMessage(LOG_WARNING, "LWScene " + name + ": item \"" + item.name + "\" names " +
                                    (parentLink ? "parent " : "target ") + Hex(id) +
                                    (found ? ", itself; ignored." : ", which does not exist; ignored."));
        return;
    }
    (parentLink ? item.parent : item.target) = found;
}

// A chain of parents that comes back to where it started would make every walk up the
// tree endless; the item that closes the loop loses its parent.
void LWScene::BreakParentCycles(const std::vector<LWItem*>& items, const char* what) {
    for (LWItem* item : items) {
        const LWItem* up = item->parent;
        for (size_t steps = 0; up && steps <= items.size(); ++steps, up = up->parent) {
            if (up != item) continue;
            LogMessage(LOG_WARNING, "LWScene " + name + ": " + what + " \"" + item->name +
                                        "\" closes a cycle of parents; its parent is dropped.");
            item->parent = nullptr;
            break;
        }
    }
}

void LWScene::ResolveItems() {
    std::vector<LWItem*> items;
    for (auto& object : objects) items.push_back(object.get());
    for (auto& light : lights) items.push_back(light.get());
    for (auto& camera : cameras) items.push_back(camera.get());
    for (LWItem* item : items) {
        item->parent = item->target = nullptr;
        item->children.clear();
        ResolveReference(*item, true);
        ResolveReference(*item, false);
    }
    std::vector<LWItem*> bones;
    for (auto& object : objects) {
        for (auto& bone : object->bones) {
            bone->parent = nullptr;
            bone->children.clear();
            LWItem* parent = bone->hasParent ? FindItem(bone->parentId) : nullptr;
            if (!parent || parent == bone.get()) {
                LogMessage(LOG_WARNING, "Bone with no parent: ", bone->name);
            } else {
                bone->parent = parent;
            }
            bones.push_back(bone.get());
        }
    }
    items.insert(items.end(), bones.begin(), bones.end());
    BreakParentCycles(items, "item");
    for (LWItem* item : items) {
        if (item->parent) item->parent->children.push_back(item);
    }
}

void LWScene::CheckObjectReferences() {
    for (size_t i = 0; i < objects.size(); ++i) {
        LWObjectItem& item = *objects[i];
        if (item.morphTarget != -1) {
            const bool inList =
                item.morphTarget >= 1 && static_cast<size_t>(item.morphTarget) <= objects.size();
            const LWLayer* target = inList ? objects[item.morphTarget - 1]->layerData : nullptr;
            std::string problem;
            if (!inList) {
                problem = "names morph target " + std::to_string(item.morphTarget) + " of " +
                          std::to_string(objects.size()) + " objects";
            } else if (item.layerData && target && target->PointCount() < item.layerData->PointCount()) {
                problem = "has a morph target with fewer points than its own " +
                          std::to_string(item.layerData->PointCount());
            }
            if (!problem.empty()) {
                LogMessage(LOG_WARNING, "LWScene " + name + ": object \"" + item.name + "\" " + problem +
                                            "; no morphing.");
                item.morphTarget = -1;
            }
        }
        if (item.useBonesFrom > objects.size()) {
            LogMessage(LOG_WARNING, "LWScene " + name + ": object \"" + item.name +
                                        "\" uses bones of object " + std::to_string(item.useBonesFrom) +
                                        " of " + std::to_string(objects.size()) + "; ignored.");
            item.useBonesFrom = 0;
        }
        if (!item.layerData) continue;
        auto missing = [&](const LWMorphForm& form) {
            if (item.layerData->FindVertexMap(LWID("MORF"), form.name, false) ||
                item.layerData->FindVertexMap(LWID("SPOT"), form.name, false))
                return false;
            LogMessage(LOG_WARNING, "LWScene " + name + ": object \"" + item.name + "\" has no morph map \"" +
                                        form.name + "\"; the morph is dropped.");
            return true;
        };
        item.morphForms.erase(std::remove_if(item.morphForms.begin(), item.morphForms.end(), missing),
                              item.morphForms.end());
    }
}

bool LWScene::LoadItems(LWModelManager* manager) {
    for (auto& item : objects) {
        if (item->IsNull() || !manager) continue;
        std::string path = item->fileName;
        std::replace(path.begin(), path.end(), '\\', '/');
        item->object = manager->LoadObject(contentDirectory + path);
        if (!item->object) continue;
        // The scene counts layers from 1; the file numbers them from 0.
        const LWLayer* layer = item->object->FindLayer(static_cast<uint32_t>(item->layer - 1));
        if (!layer && item->layer >= 1 && static_cast<size_t>(item->layer) <= item->object->layers.size())
            layer = item->object->layers[item->layer - 1].get();
        if (!layer) {
            LogMessage(LOG_WARNING, "LWScene " + name + ": object " + item->fileName + " has no layer " +
                                        std::to_string(item->layer) + "; nothing is drawn for it.");
        }
        item->layerData = layer;
    }
    CheckObjectReferences();

    for (LWDisplacementImage& image : displacementImages) {
        const std::string path = contentDirectory + "images/" + BaseName(image.fileName);
        auto bitmap = std::make_unique<Bitmap>();
        if (!manager || !bitmap->Load(manager->GetLoader(), path, false)) {
            LogMessage(LOG_ERROR, "Loading displacement map failed.");
            return false;
        }
        bitmap->ConvertFormat(8);
        const uint32_t width = NextPowerOfTwo(bitmap->GetWidth()),
                       height = NextPowerOfTwo(bitmap->GetHeight());
        if (width != bitmap->GetWidth() || height != bitmap->GetHeight()) {
            LogMessage(LOG_WARNING, "Displacement map resized to power of two.");
            bitmap->Resize(width, height);
        }
        image.bitmap = std::move(bitmap);
        LogMessage(LOG_INFO, "Displacement map loaded: ", path);
    }
    return true;
}

float LWScene::GetSceneTime(float time) const {
    // Without a frame rate there is no clock to follow: hold still at the start.
    if (framesPerSecond == 0) return 0.0f;
    const double start = static_cast<double>(firstFrame) / framesPerSecond;
    if (lastFrame <= firstFrame) return static_cast<float>(start);
    const double range = (static_cast<double>(lastFrame) - firstFrame) / framesPerSecond;
    double local = std::fmod(static_cast<double>(time), range);
    if (local < 0.0) local += range;
    if (!std::isfinite(local)) local = 0.0;
    return static_cast<float>(start + local);
}

std::vector<uint32_t> LWScene::GetMorphChain(uint32_t objectIndex) const {
    std::vector<uint32_t> chain;
    if (objectIndex >= objects.size()) return chain;
    const LWObjectItem& own = *objects[objectIndex];
    int32_t next = own.morphTarget;
    while (next >= 1 && static_cast<size_t>(next) <= objects.size()) {
        const uint32_t index = static_cast<uint32_t>(next - 1);
        if (index == objectIndex || std::find(chain.begin(), chain.end(), index) != chain.end()) break;
        chain.push_back(index);
        if (!own.mtseMorphing) break;
        next = objects[index]->morphTarget;
    }
    return chain;
}
