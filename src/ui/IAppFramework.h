#pragma once

#include "ui/IInputListener.h"

// What the window front end drives once per frame.
class IAppFramework : public IInputListener {
public:
    virtual bool Init() = 0;
    virtual void Destroy() = 0;
    virtual void Update(float time, float dt) = 0;
    virtual void Render() = 0;
    virtual void UpdateUpdateables() = 0;
};
