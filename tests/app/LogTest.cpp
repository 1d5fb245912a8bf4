#include <gtest/gtest.h>

#include "base/Log.h"
#include "base/Random.h"
#include "support/LogCapture.h"

namespace {

TEST(Log, PrefixesAndSinkLevels) {
    LogCapture log(LogCapture::kConsoleAndDebug);
    LogMessage(LOG_TRACE, "trace only");
    LogMessage(LOG_INFO, "info");
    LogMessage(LOG_WARNING, "careful");
    LogMessage(LOG_ERROR, "broken");
    EXPECT_EQ(log.Console(), "info\nWARNING: careful\nERROR: broken\n");
    EXPECT_EQ(log.Debug(), "trace only\ninfo\nWARNING: careful\nERROR: broken\n");
}

TEST(Log, SameStreamWrittenOnce) {
    FILE* both = std::tmpfile();
    SetLogSinks(both, both);
    LogMessage(LOG_INFO, "once");
    LogMessage(LOG_TRACE, "never");
    std::rewind(both);
    char buffer[64] = {};
    size_t n = std::fread(buffer, 1, sizeof(buffer) - 1, both);
    SetLogSinks(stdout, nullptr);
    std::fclose(both);
    EXPECT_EQ(std::string(buffer, n), "once\n");
}

TEST(Log, ValueVariantsAndFloatFormatting) {
    LogCapture log;
    LogMessage(LOG_INFO, "id=", 42);
    LogMessage(LOG_INFO, "neg=", -7);
    LogMessage(LOG_INFO, "name: ", std::string("file.png"));
    LogMessage(LOG_INFO, "version ", 3.75f);
    LogMessage(LOG_INFO, "third ", 1.0f / 3.0f);
    LogMessage(LOG_INFO, "big ", 1234567.0f);
    LogMessage(LOG_INFO, "small ", 0.00001f);
    LogMessage(LOG_INFO, "whole ", 2.0f);
    EXPECT_EQ(log.Console(),
              "id=42\nneg=-7\nname: file.png\nversion 3.75\nthird 0.333333\nbig 1.23457e+06\nsmall 1e-05\nwhole 2\n");
}

TEST(Random, ExactSequenceFromKnownSeed) {
    // state = state * 214013 + 2531011; draws are bits 16..30.
    RandomSeed(0);
    EXPECT_EQ(RandomNext(), 38);
    EXPECT_EQ(RandomNext(), 7719);
    EXPECT_EQ(RandomNext(), 21238);
    RandomSeed(1);
    EXPECT_EQ(RandomNext(), 41);
    EXPECT_EQ(RandomNext(), 18467);
    EXPECT_EQ(RandomNext(), 6334);
    for (int i = 0; i < 10000; ++i) {
        int r = RandomNext();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

}  // namespace
