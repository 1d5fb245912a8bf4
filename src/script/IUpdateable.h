#pragma once

// Something the framework updates every frame after the script tree has been stepped.
class IUpdateable {
public:
    virtual void Update(float time, float dt) = 0;

protected:
    ~IUpdateable() = default;
};
