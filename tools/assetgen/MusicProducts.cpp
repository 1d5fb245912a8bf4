#include "AssetGenerator.h"
void RegisterMusicProducts(AssetGenerator&) {}
