#pragma once

// How the program ends on a fatal script error or when the script has played to its end.
// The default handler calls exit(code), which runs the shut-down registered with atexit.
// Code that runs scripts inside a longer-lived process (the fuzz target, a validating or
// stepping tool) installs a handler that unwinds back to it instead; a handler never returns.
using ExitHandler = void (*)(int code);

// Returns the previous handler; null restores the default.
ExitHandler SetExitHandler(ExitHandler handler);

[[noreturn]] void ExitProgram(int code);
