#pragma once

#include <string>

// Every test program that opens windows gets an X server of its own (Xvfb on the first free
// display number), so test programs running in parallel never share windows, focus or keys,
// and plain `ctest` needs no display. ":N", or "" when Xvfb could not be started. The server
// is stopped when the program that started it exits.
const std::string& PrivateDisplay();

// Points DISPLAY at the private display for GL tests that open their window in-process.
// False (with the reason in *why) when none could be started.
bool UsePrivateDisplay(std::string* why);
