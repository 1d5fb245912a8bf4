#include "base/Exit.h"

#include <cstdlib>

namespace {
ExitHandler g_exitHandler = nullptr;
}  // namespace

ExitHandler SetExitHandler(ExitHandler handler) {
    ExitHandler previous = g_exitHandler;
    g_exitHandler = handler;
    return previous;
}

void ExitProgram(int code) {
    if (g_exitHandler) g_exitHandler(code);
    // A handler that returns would let the caller run on past its fatal error.
    std::exit(code);
}
