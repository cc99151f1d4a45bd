// Tests of the HotSync log with a sink bound in place of the user's file.
#include "palmdesk/HotSyncLog.h"

#include "support/FakeHotSyncLog.h"

#include <gtest/gtest.h>

#include <cctype>

TEST(HotSyncLog, ABoundSinkTakesEveryEntryAndProblemsAreCounted) {
    const std::int32_t problemsBefore = LogProblemCount();
    {
        FakeHotSyncLog log;
        EXPECT_EQ(LogAddEntry("plain", slText, false), 0);
        EXPECT_EQ(LogAddFormattedEntry(slWarning, false, "record %d of %s", 3, "Sunset"), 0);
        EXPECT_EQ(LogAddEntry(nullptr, slText, false), 0);
        EXPECT_EQ(LogAddEntry("stamped", slText, true), 0);
        ASSERT_EQ(log.lines.size(), 4u);
        EXPECT_EQ(log.lines[0], "plain");
        EXPECT_EQ(log.lines[1], "record 3 of Sunset");
        EXPECT_EQ(log.lines[2], "");
        // "HH:MM:SS " before the text.
        const std::string& stamped = log.lines[3];
        ASSERT_EQ(stamped.size(), 16u);
        for (const std::size_t digit : {0u, 1u, 3u, 4u, 6u, 7u}) EXPECT_TRUE(std::isdigit(stamped[digit])) << stamped;
        EXPECT_EQ(stamped.substr(2, 1) + stamped.substr(5, 1) + stamped.substr(8), ":: stamped");

        log.failAppends = true;
        EXPECT_EQ(LogAddEntry("refused", slWarning, false), -1);  // still a problem of the synchronisation
    }
    EXPECT_EQ(LogProblemCount() - problemsBefore, 2);
}
