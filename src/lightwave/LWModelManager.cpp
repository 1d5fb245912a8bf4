#include "lightwave/LWModelManager.h"

#include "base/Log.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectReader.h"
#include "lightwave/LWScene.h"
#include "lightwave/LWSceneNode.h"
#include "lightwave/LWSceneReader.h"
#include "lightwave/LWSurfaceHandler.h"

LWModelManager::LWModelManager(Loader* loader, LWSurfaceHandler* surfaceHandler)
    : m_loader(loader), m_surfaceHandler(surfaceHandler) {
    LogMessage(LOG_INFO, "* Initializing LWModelManager.");
}

LWModelManager::~LWModelManager() {
    LogMessage(LOG_INFO, "* Destroying LWModelManager.");
    // Scenes first: their items point into cached objects.
    for (auto& entry : m_entries) entry->scene.reset();
    m_entries.clear();
    m_surfaceHandler.reset();
}

LWModelManager::Entry* LWModelManager::Find(Kind kind, const std::string& fileName) {
    for (auto& entry : m_entries) {
        if (entry->kind == kind && entry->fileName == fileName) return entry.get();
    }
    return nullptr;
}

LWObject* LWModelManager::LoadObject(const std::string& fileName) {
    if (Entry* cached = Find(KIND_OBJECT, fileName)) {
        LogMessage(LOG_INFO, "Reusing already loaded LWObject: ", fileName);
        return cached->object.get();
    }
    LogMessage(LOG_INFO, "Loading new LWObject model: ", fileName);
    std::unique_ptr<LWObject> object = LWObjectReader::Load(m_loader, fileName);
    if (!object) {
        LogMessage(LOG_ERROR, "Loading LWObject model failed: ", fileName);
        return nullptr;
    }
    auto entry = std::make_unique<Entry>();
    entry->kind = KIND_OBJECT;
    entry->fileName = fileName;
    entry->object = std::move(object);
    LWObject* result = entry->object.get();
    m_entries.push_back(std::move(entry));
    InitSurfaces(result);
    return result;
}

LWScene* LWModelManager::LoadScene(const std::string& fileName) {
    if (Entry* cached = Find(KIND_SCENE, fileName)) {
        LogMessage(LOG_INFO, "Reusing already loaded LWScene: ", fileName);
        return cached->scene.get();
    }
    LogMessage(LOG_INFO, "Loading LWScene: ", fileName);
    std::unique_ptr<LWScene> scene = LWSceneReader::Load(this, fileName);
    if (!scene) {
        LogMessage(LOG_ERROR, "Loading LWScene failed: ", fileName);
        return nullptr;
    }
    auto entry = std::make_unique<Entry>();
    entry->kind = KIND_SCENE;
    entry->fileName = fileName;
    entry->scene = std::move(scene);
    LWScene* result = entry->scene.get();
    m_entries.push_back(std::move(entry));
    return result;
}

LWSceneNode* LWModelManager::CreateSceneNode(Node* parent, const std::string& fileName) {
    LWScene* scene = LoadScene(fileName);
    return scene ? new LWSceneNode(parent, scene, scene->name) : nullptr;
}

void LWModelManager::InitSurfaces(LWObject* object) {
    if (!object) return;
    LogMessage(LOG_INFO, "Initializing surfaces for object: ", object->name);
    if (!m_surfaceHandler) return;
    for (auto& surface : object->surfaces) {
        LWSurfaceHandler* madeBy = nullptr;
        surface->technique = m_surfaceHandler->InitSurfaceChained(*surface, &madeBy);
        surface->handler = surface->technique ? madeBy : nullptr;
        if (!surface->technique) LogMessage(LOG_WARNING, "Initializing surface failed: ", surface->name);
    }
}
