#include <cstdio>

#include "AssetGenerator.h"
#include "base/Log.h"

int main(int argc, char** argv) {
    SetLogSinks(stderr, nullptr);
    AssetGenerator generator;
    RegisterTextureProducts(generator);
    RegisterMusicProducts(generator);
    RegisterKarateProducts(generator);
    RegisterKaratekaTextureProducts(generator);
    RegisterLightProducts(generator);
    RegisterScreenProducts(generator);
    RegisterLightWaveProducts(generator);
    RegisterHardwareProducts(generator);
    RegisterMatrixSceneProducts(generator);
    RegisterKarateStageProducts(generator);
    return generator.Run(argc, argv);
}
