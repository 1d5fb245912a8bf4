#pragma once

// Receives the window's keyboard and mouse events (main thread).
class IInputListener {
public:
    virtual ~IInputListener() = default;
    virtual void KeyReleased(unsigned char key, int x, int y) = 0;
    virtual void KeyPressed(unsigned char key, int x, int y) = 0;
    // button 0 left, 1 middle, 2 right; state 0 pressed, 1 released.
    virtual void MouseButton(int button, int state, int x, int y) = 0;
    virtual void MouseDragged(int x, int y) = 0;
    virtual void MouseMoved(int x, int y) = 0;
};
