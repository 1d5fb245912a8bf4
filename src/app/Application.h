#pragma once

class DemoFramework;

// The whole program: start-up in its fixed order, then the front end's main loop.
// Returns the process exit code for the paths that return instead of calling exit().
int RunApplication(int argc, char** argv);

// Shut-down, registered with atexit: runs on every end of the program after start-up.
void onexitCallback();

// Registers the production's effect types with the framework's type registry.
void RegisterEffectTypes(DemoFramework* framework);
