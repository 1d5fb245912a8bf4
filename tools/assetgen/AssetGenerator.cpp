#include "AssetGenerator.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/Log.h"

void AssetGenerator::Register(const Product& product) {
    m_products.push_back(product);
}

const Product* AssetGenerator::Find(const std::string& name) const {
    for (const Product& p : m_products)
        if (p.name == name) return &p;
    return nullptr;
}

std::string AssetGenerator::OutputPath(const std::string& dataDir, const std::string& relative) {
    const std::filesystem::path full = std::filesystem::path(dataDir) / relative;
    std::error_code ec;
    std::filesystem::create_directories(full.parent_path(), ec);
    if (ec) {
        LogMessage(LOG_ERROR, "assetgen: Cannot create folder: ", full.parent_path().string());
        return std::string();
    }
    return full.string();
}

int AssetGenerator::Run(int argc, char** argv) {
    std::vector<std::string> only;
    std::string dataDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list") {
            for (const Product& p : m_products)
                std::printf("%-12s %s%s\n", p.name.c_str(), p.description.c_str(),
                            p.onRequest ? " (on request)" : "");
            return 0;
        }
        if (arg == "--only" && i + 1 < argc) {
            if (!Find(argv[i + 1])) {
                LogMessage(LOG_ERROR, "assetgen: Unknown product: ", argv[i + 1]);
                return 2;
            }
            only.push_back(argv[++i]);
        } else if (!arg.empty() && arg[0] != '-' && dataDir.empty()) {
            dataDir = arg;
        } else {
            dataDir.clear();
            break;
        }
    }
    if (dataDir.empty()) {
        std::fprintf(stderr, "usage: tatamix-assetgen [--list] [--only <product>]... <data dir>\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    for (const Product& p : m_products) {
        bool wanted = only.empty() && !p.onRequest;
        for (const std::string& o : only) wanted = wanted || o == p.name;
        if (!wanted) continue;
        const auto t0 = std::chrono::steady_clock::now();
        if (!p.make(dataDir)) {
            LogMessage(LOG_ERROR, "assetgen: Product failed: ", p.name);
            return 1;
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("assetgen: %s done (%.2f s)\n", p.name.c_str(), s);
    }
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("assetgen: all done in %.2f s\n", total);
    return 0;
}
