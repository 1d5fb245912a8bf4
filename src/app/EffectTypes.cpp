#include "app/Application.h"
#include "script/DemoFramework.h"
#include "script/EffectNull.h"
#include "show/EffectKarate.h"
#include "show/EffectScene.h"
#include "show/EffectSprite.h"

void RegisterEffectTypes(DemoFramework* framework) {
    framework->RegisterObjectType("effect_null", EffectNull::Create);
    framework->RegisterObjectType("sprite", EffectSprite::Create);
    framework->RegisterObjectType("effect_scene", EffectScene::Create);
    framework->RegisterObjectType("effect_karate", EffectKarate::Create);
}
