// The model cache and the surface handler chain, on files in a temporary data directory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "io/Bitmap.h"
#include "io/Loader.h"
#include "lightwave/LWBytes.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWScene.h"
#include "lightwave/LWSurfaceHandler.h"
#include "support/ImageEncoding.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

// An object with one triangle per surface name.
std::string ObjectFile(const std::vector<std::string>& surfaces) {
    LWBytes tags, pnts, pols, ptag;
    ptag.Id("SURF");
    pols.Id("FACE");
    for (size_t i = 0; i < surfaces.size(); ++i) {
        tags.S0(surfaces[i]);
        pnts.Vec(0, 0, float(i)).Vec(1, 0, float(i)).Vec(0, 1, float(i));
        pols.U2(3).VX(uint32_t(i * 3)).VX(uint32_t(i * 3 + 1)).VX(uint32_t(i * 3 + 2));
        ptag.VX(uint32_t(i)).U2(uint16_t(i));
    }
    LWBytes body;
    body.Chunk("TAGS", tags).Chunk("LAYR", LWBytes().U2(0).U2(0).Vec(0, 0, 0).S0("")).Chunk("PNTS", pnts);
    body.Chunk("POLS", pols).Chunk("PTAG", ptag);
    for (const std::string& name : surfaces) body.Chunk("SURF", LWBytes().S0(name).S0(""));
    const LWBytes form = LWForm(body);
    return std::string(form.b.begin(), form.b.end());
}

// Claims surfaces whose name starts with its prefix; records every call in a shared log.
class PrefixHandler : public LWSurfaceHandler {
public:
    PrefixHandler(std::string prefix, std::vector<std::string>& calls, int& released,
                  LWSurfaceHandler* next = nullptr, bool owns = false)
        : LWSurfaceHandler(next, owns), m_prefix(std::move(prefix)), m_calls(calls), m_released(released) {}
    ~PrefixHandler() override { m_calls.push_back("~" + m_prefix); }

    std::shared_ptr<RenderTechnique> InitSurface(LWSurface& surface) override {
        m_calls.push_back(m_prefix + ":" + surface.name);
        if (surface.name.compare(0, m_prefix.size(), m_prefix) != 0) return nullptr;
        // Techniques stay opaque here: a counter stands in for one, and its release is counted.
        int* released = &m_released;
        std::shared_ptr<int> token(new int(0), [released](int* t) {
            ++*released;
            delete t;
        });
        return std::shared_ptr<RenderTechnique>(token, reinterpret_cast<RenderTechnique*>(token.get()));
    }
    bool UpdateSurface(LWSurface& surface, RenderTechnique*, float) override {
        m_calls.push_back("update " + m_prefix + ":" + surface.name);
        return surface.handler == this;
    }

private:
    std::string m_prefix;
    std::vector<std::string>& m_calls;
    int& m_released;
};

}  // namespace

TEST(LWModelManagerTest, ObjectsAreCachedByNameAndFailuresAreNot) {
    TempDir dir;
    dir.Write("objects/box.lwo", ObjectFile({"Wood"}));
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(dir.Path() + "/"));
    LogCapture log;
    {
        LWModelManager manager(&loader, nullptr);
        EXPECT_TRUE(log.Has("* Initializing LWModelManager."));
        LWObject* first = manager.LoadObject("objects/box.lwo");
        ASSERT_TRUE(first);
        EXPECT_TRUE(log.Has("Loading new LWObject model: objects/box.lwo"));
        EXPECT_TRUE(log.Has("Initializing surfaces for object: box.lwo"));
        EXPECT_EQ(manager.LoadObject("objects/box.lwo"), first);
        EXPECT_TRUE(log.Has("Reusing already loaded LWObject: objects/box.lwo"));
        EXPECT_EQ(log.Count("* Loading LWObject: objects/box.lwo"), 1);
        // Names are not normalised: another spelling is another entry.
        LWObject* other = manager.LoadObject("objects/../objects/box.lwo");
        ASSERT_TRUE(other);
        EXPECT_NE(other, first);
        EXPECT_EQ(first->imageDirectory, "images/");

        EXPECT_FALSE(manager.LoadObject("objects/missing.lwo"));
        EXPECT_TRUE(log.Has("ERROR: Loading LWObject model failed: objects/missing.lwo"));
        dir.Write("objects/missing.lwo", ObjectFile({"Late"}));
        EXPECT_TRUE(manager.LoadObject("objects/missing.lwo"));
        EXPECT_EQ(log.Count("Loading new LWObject model: objects/missing.lwo"), 2);
    }
    EXPECT_TRUE(log.Has("* Destroying LWModelManager."));
}

TEST(LWModelManagerTest, HandlerChainAsksTheNextHandlerFirst) {
    TempDir dir;
    dir.Write("objects/mix.lwo", ObjectFile({"TVScreen", "Plain", "Odd"}));
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(dir.Path() + "/"));
    std::vector<std::string> calls;
    int released = 0;
    LogCapture log;
    {
        // The show's handler sits behind the general one, is asked first, and is not owned.
        PrefixHandler show("TV", calls, released);
        auto* general = new PrefixHandler("P", calls, released, &show, false);
        LWModelManager manager(&loader, general);
        LWObject* object = manager.LoadObject("objects/mix.lwo");
        ASSERT_TRUE(object);
        EXPECT_EQ(calls, (std::vector<std::string>{"TV:TVScreen", "TV:Plain", "P:Plain", "TV:Odd", "P:Odd"}));
        EXPECT_EQ(object->surfaces[0]->handler, &show);
        EXPECT_EQ(object->surfaces[1]->handler, general);
        EXPECT_FALSE(object->surfaces[2]->technique);
        EXPECT_EQ(object->surfaces[2]->handler, nullptr);
        EXPECT_TRUE(log.Has("WARNING: Initializing surface failed: Odd"));

        calls.clear();
        EXPECT_TRUE(
            general->UpdateSurfaceChained(*object->surfaces[1], object->surfaces[1]->technique.get(), 0));
        EXPECT_EQ(calls, (std::vector<std::string>{"update TV:Plain", "update P:Plain"}));
        calls.clear();
        EXPECT_TRUE(general->UpdateSurfaceChained(*object->surfaces[0], nullptr, 0));
        EXPECT_EQ(calls, (std::vector<std::string>{"update TV:TVScreen"}));
        calls.clear();
    }
    // The manager released its objects' techniques, then the general handler (not the show's).
    EXPECT_EQ(released, 2);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "~P");
    EXPECT_EQ(calls[1], "~TV");

    calls.clear();
    {
        auto* owned = new PrefixHandler("A", calls, released);
        PrefixHandler head("B", calls, released, owned, true);
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"~B", "~A"}));
}

TEST(LWModelManagerTest, ScenesLoadTheirObjectsAndImagesFromTheContentDirectory) {
    TempDir dir;
    dir.Write("objects/box.lwo", ObjectFile({"Wood"}));
    const std::vector<uint8_t> png =
        EncodePng(300, 200, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(300 * 200, 128));
    dir.Write("images/dent.png", std::string(png.begin(), png.end()));
    const std::string displacement =
        "DisplacementMaps\n{ TextureBlock\n  { Texture\n    ImageMap\n    { Image\n      { Clip\n"
        "        Still \"C:\\maps\\dent.png\"\n      }\n    }\n  }\n}\n";
    dir.Write("scenes/room.lws", "LWSC\n5\nLoadObjectLayer 1 10000000 objects/box.lwo\n" + displacement +
                                     "LoadObjectLayer 1 10000001 objects/box.lwo\nLoadObjectLayer 2 10000002 "
                                     "objects/box.lwo\nAddNullObject 10000003 Null\n");
    dir.Write("scenes/broken.lws",
              "LWSC\n5\nLoadObjectLayer 1 10000000 objects/box.lwo\n" +
                  std::string(displacement).replace(displacement.find("dent"), 4, "gone"));
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(dir.Path() + "/"));
    LogCapture log;
    LWModelManager manager(&loader, nullptr);
    LWScene* scene = manager.LoadScene("scenes/room.lws");
    ASSERT_TRUE(scene) << log.Text();
    EXPECT_TRUE(log.Has("Loading LWScene: scenes/room.lws"));
    EXPECT_EQ(scene->name, "room.lws");
    EXPECT_EQ(scene->contentDirectory, "");
    EXPECT_EQ(scene->objects[0]->object, scene->objects[1]->object);
    EXPECT_EQ(log.Count("* Loading LWObject: objects/box.lwo"), 1);
    ASSERT_TRUE(scene->objects[0]->layerData);
    EXPECT_EQ(scene->objects[0]->layerData, scene->objects[0]->object->layers[0].get());
    EXPECT_FALSE(scene->objects[2]->layerData);  // the object has one layer
    EXPECT_TRUE(log.Contains("objects/box.lwo has no layer 2"));
    EXPECT_FALSE(scene->objects[3]->object);
    // The displacement image is found by its file name below images/, made a power of two.
    ASSERT_EQ(scene->displacementImages.size(), 1u);
    ASSERT_TRUE(scene->displacementImages[0].bitmap);
    EXPECT_EQ(scene->displacementImages[0].bitmap->GetWidth(), 512u);
    EXPECT_EQ(scene->displacementImages[0].bitmap->GetHeight(), 256u);
    EXPECT_EQ(scene->displacementImages[0].bitmap->GetBitsPerPixel(), 8u);
    EXPECT_TRUE(log.Has("WARNING: Displacement map resized to power of two."));
    EXPECT_TRUE(log.Has("Displacement map loaded: images/dent.png"));
    EXPECT_EQ(manager.LoadScene("scenes/room.lws"), scene);
    EXPECT_TRUE(log.Has("Reusing already loaded LWScene: scenes/room.lws"));

    EXPECT_FALSE(manager.LoadScene("scenes/broken.lws"));
    EXPECT_TRUE(log.Has("ERROR: Loading displacement map failed."));
    EXPECT_TRUE(log.Has("ERROR: Loading scene items failed."));
    EXPECT_TRUE(log.Has("ERROR: Loading LWScene failed: scenes/broken.lws"));
    EXPECT_FALSE(manager.LoadScene("scenes/broken.lws"));
    EXPECT_EQ(log.Count("Loading LWScene: scenes/broken.lws"), 2);
}
