#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include "base/Log.h"

// For test binaries whose death tests look for fatal messages on stderr: the console log
// goes there before the first test (one registration per binary, however many files include it).
class LogToStderr : public ::testing::Environment {
public:
    void SetUp() override { SetLogSinks(stderr, nullptr); }
};
inline ::testing::Environment* const g_logToStderr = ::testing::AddGlobalTestEnvironment(new LogToStderr);
