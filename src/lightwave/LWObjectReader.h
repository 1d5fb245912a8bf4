#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lightwave/LWByteCursor.h"

class Loader;
class LWObject;
class LWLayer;
class LWSurface;
class LWTextureLayer;

// Reads an LWO2 file into an LWObject. Every size, count and index in the file is checked
// against what is really there: damaged parts are skipped with a warning naming the file,
// and a chunk that does not fit its parent refuses the whole file.
class LWObjectReader {
public:
    // Fetches the file through the loader and reads it; images are looked up relative to
    // the file's directory.
    static std::unique_ptr<LWObject> Load(Loader* loader, const std::string& fileName);

    void SetDirectory(const std::string& directory) { m_directory = directory; }
    std::unique_ptr<LWObject> Read(const uint8_t* data, uint64_t size, const std::string& name);

    // The directory in which an object file's images are looked up.
    static std::string ImageDirectory(const std::string& objectDirectory);

private:
    void Warn(const std::string& what);
    void Fail(const std::string& what);
    void CheckComplete(const LWChunk& chunk, const char* what);
    LWLayer* RequireLayer(const LWChunk& chunk);

    void ReadChunk(LWChunk& chunk);
    void ReadTags(LWChunk& chunk);
    void ReadLayer(LWChunk& chunk);
    void ReadPoints(LWChunk& chunk);
    void ReadVertexMap(LWChunk& chunk, bool perPolygon);
    void ReadPolygons(LWChunk& chunk);
    void ReadPolygonTags(LWChunk& chunk);
    void ReadSurface(LWChunk& chunk);
    void ReadClip(LWChunk& chunk);
    void ReadEnvelope(LWChunk& chunk);
    void ReadBlock(LWChunk& block, LWSurface& surface);
    bool ReadImageMap(LWChunk& header, LWByteCursor& rest, LWTextureLayer& layer);
    void ReadTextureMap(LWChunk& tmap, LWTextureLayer& layer);
    void ReadShader(LWChunk& header, LWByteCursor& rest, LWSurface& surface);
    void ReadNormalMapShader(LWByteCursor& data, LWSurface& surface);
    bool WalkFailed(LWChunkWalker& walker, const char* parent);

    std::string m_directory;
    std::string m_name;
    LWObject* m_object = nullptr;
    LWLayer* m_layer = nullptr;
    uint32_t m_polygonBase = 0;  // first polygon of the current layer's latest POLS
    bool m_failed = false;
    int m_blockDepth = 0;
};
