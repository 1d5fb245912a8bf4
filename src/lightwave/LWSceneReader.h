#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LWBoneItem;
class LWCameraItem;
class LWEnvelope;
class LWItem;
class LWLightItem;
class LWModelManager;
class LWObjectItem;
class LWScene;
class LWTextureLayer;
struct LWMotion;
struct LWParameter;
struct LWVectorParameter;

// One line of a scene file, or a "{ keyword" block with its parameter line and children.
struct LWBlock {
    std::string keyword;
    std::string parameters;
    std::vector<std::unique_ptr<LWBlock>> children;
    bool braced = false;
    uint32_t line = 0;
};

// Reads LWS text into an LWScene. Keywords act on the item added last of their kind;
// values that need more lines ("(envelope)", motions) take the blocks that follow.
class LWSceneReader {
public:
    class PluginHandler;

    LWSceneReader();
    ~LWSceneReader();
    LWSceneReader(const LWSceneReader&) = delete;
    LWSceneReader& operator=(const LWSceneReader&) = delete;

    // Reads the file through the manager's loader, then loads the scene's objects and
    // displacement images. Object paths are relative to the parent of the file's folder.
    static std::unique_ptr<LWScene> Load(LWModelManager* manager, const std::string& fileName);
    // The parse alone: header, blocks, item references (no files are loaded).
    std::unique_ptr<LWScene> Parse(const char* text, size_t size, const std::string& name);

    std::unique_ptr<LWBlock> ReadBlock();
    bool HandleBlock(const LWBlock& block);
    std::unique_ptr<LWTextureLayer> HandleTextureBlock(const LWBlock& block);

    // The blocks that follow a keyword: the rest of the file, or the rest of a block's
    // children.
    class BlockSource {
    public:
        explicit BlockSource(LWSceneReader& reader) : m_reader(&reader) {}
        explicit BlockSource(std::vector<const LWBlock*> lines) : m_lines(std::move(lines)) {}
        const LWBlock* Next();
        size_t Position() const { return m_next; }

    private:
        LWSceneReader* m_reader = nullptr;
        std::vector<const LWBlock*> m_lines;
        size_t m_next = 0;
        std::unique_ptr<LWBlock> m_held;
    };

    // Envelope block: key count, "Key" lines, "Behaviors" line.
    bool ReadEnvelope(const LWBlock& block, LWEnvelope& envelope);
    bool ReadScalar(const LWBlock& block, BlockSource& more, LWParameter& parameter);
    bool ReadVector(const LWBlock& block, BlockSource& more, LWVectorParameter& vector);

private:
    bool ReadLine(std::string& line);
    bool PeekLine(std::string& line) const;
    std::unique_ptr<LWBlock> ParseBlockLine(const std::string& line, int depth);
    // A block's children; with withParameters, its parameter line first, read as a line of
    // its own (held in paramLine).
    std::vector<const LWBlock*> LinesOf(const LWBlock& block, bool withParameters,
                                        std::unique_ptr<LWBlock>& paramLine);
    void Warn(const std::string& what);

    bool HandleSceneKeyword(const LWBlock& block, bool& handled);
    bool HandleItemKeyword(const LWBlock& block, bool& handled);
    bool HandleObjectKeyword(const LWBlock& block, bool& handled);
    bool HandleBoneKeyword(const LWBlock& block, bool& handled);
    bool HandleLightKeyword(const LWBlock& block, bool& handled);
    bool HandleCameraKeyword(const LWBlock& block, bool& handled);
    bool HandlePlugin(const LWBlock& block);
    bool HandleDisplacementMaps(const LWBlock& block);
    bool ReadMotion(LWMotion& motion);
    // The current item of a kind, or null after a warning that the keyword came too early.
    template <class T>
    T* Current(T* item, const LWBlock& block, const char* kind);
    template <class T>
    T* AddItem(std::vector<std::unique_ptr<T>>& list, uint32_t id);
    uint32_t DisplacementImage(const std::string& fileName);

    const char* m_text = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    uint32_t m_lineNumber = 0;
    uint32_t m_version = 0;
    LWScene* m_scene = nullptr;
    LWItem* m_item = nullptr;
    LWObjectItem* m_object = nullptr;
    LWLightItem* m_light = nullptr;
    LWCameraItem* m_camera = nullptr;
    LWBoneItem* m_bone = nullptr;
    std::unique_ptr<PluginHandler> m_plugin;
    bool m_inEmitterPlugin = false;
};
