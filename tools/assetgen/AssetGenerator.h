#pragma once

#include <string>
#include <vector>

// One generated product: a named function that writes its file(s) below the data directory.
struct Product {
    std::string name;
    std::string description;
    bool (*make)(const std::string& dataDir);
    bool onRequest = false;  // a diagnostic, made only when named with --only
};

// The registry of products and the command line around it. Products run in registration
// order; each is deterministic, so the same source always yields the same bytes.
class AssetGenerator {
public:
    void Register(const Product& product);
    const std::vector<Product>& Products() const { return m_products; }

    // Returns the process exit code: 0 success, 1 a product failed, 2 bad usage.
    int Run(int argc, char** argv);

    // "<dataDir>/<relative>", creating the parent folders; empty after logging on failure.
    static std::string OutputPath(const std::string& dataDir, const std::string& relative);

private:
    const Product* Find(const std::string& name) const;
    std::vector<Product> m_products;
};

// Registration hooks, one per product family.
void RegisterTextureProducts(AssetGenerator& generator);
void RegisterMusicProducts(AssetGenerator& generator);
void RegisterKarateProducts(AssetGenerator& generator);
void RegisterKaratekaTextureProducts(AssetGenerator& generator);
void RegisterLightProducts(AssetGenerator& generator);
void RegisterScreenProducts(AssetGenerator& generator);
void RegisterLightWaveProducts(AssetGenerator& generator);
void RegisterHardwareProducts(AssetGenerator& generator);
void RegisterMatrixSceneProducts(AssetGenerator& generator);
void RegisterKarateStageProducts(AssetGenerator& generator);
