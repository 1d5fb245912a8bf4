#pragma once

#include "script/IUpdateable.h"

// Something the framework renders every frame, in registration order; always also updated.
class IRenderable : public IUpdateable {
public:
    virtual ~IRenderable() = default;
    virtual void Render() = 0;
    virtual void PreRender() = 0;
    virtual void PostRender() = 0;
};
