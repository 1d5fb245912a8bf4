#pragma once

#include <memory>
#include <string>
#include <vector>

class Loader;
class LWObject;
class LWSceneNode;
class Node;
class LWScene;
class LWSurfaceHandler;

// The cache through which LightWave objects and scenes are loaded: each file name is read
// once and shared. Cached objects and scenes live as long as the manager.
class LWModelManager {
public:
    // Takes ownership of the first handler of the chain (which may be null).
    LWModelManager(Loader* loader, LWSurfaceHandler* surfaceHandler);
    ~LWModelManager();
    LWModelManager(const LWModelManager&) = delete;
    LWModelManager& operator=(const LWModelManager&) = delete;

    // Null after an error line when the file cannot be read; a failure is not cached.
    LWObject* LoadObject(const std::string& fileName);
    LWScene* LoadScene(const std::string& fileName);
    // Loads the scene (once) and builds a node tree from it under parent, named after the
    // scene; null when the scene cannot be loaded.
    LWSceneNode* CreateSceneNode(Node* parent, const std::string& fileName);
    // Gives every surface of the object a technique through the handler chain.
    void InitSurfaces(LWObject* object);

    Loader* GetLoader() const { return m_loader; }
    LWSurfaceHandler* GetSurfaceHandler() const { return m_surfaceHandler.get(); }

private:
    enum Kind { KIND_OBJECT = 0, KIND_SCENE = 1 };
    struct Entry {
        Kind kind;
        std::string fileName;
        std::unique_ptr<LWObject> object;
        std::unique_ptr<LWScene> scene;
    };
    Entry* Find(Kind kind, const std::string& fileName);

    std::vector<std::unique_ptr<Entry>> m_entries;
    Loader* m_loader;
    std::unique_ptr<LWSurfaceHandler> m_surfaceHandler;
};
