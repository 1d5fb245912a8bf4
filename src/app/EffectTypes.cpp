#include "app/Application.h"
#include "script/DemoFramework.h"

void RegisterEffectTypes(DemoFramework* framework) {
    (void)framework;
}
