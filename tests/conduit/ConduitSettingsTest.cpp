// Tests of the conduit's settings: the five keys read with their defaults, and the real file.
#include "conduit/ConduitSettings.h"
#include "platform/win/PrivateProfile.h"
#include "support/DesktopSandbox.h"
#include "support/FakeSettingsFile.h"

#include <gtest/gtest.h>

TEST(LoadSettings, MissingKeysTakeTheirDefaults) {
    const PictaroSettings s = LoadSettings(FakeSettingsFile());
    const PictaroSettings defaults;
    EXPECT_EQ(s.syncDir, defaults.syncDir);
    EXPECT_EQ(s.fontDir, defaults.fontDir);
    EXPECT_EQ(s.acceptedDensity, 144);
    EXPECT_EQ(s.acceptedDepth, 16);
    EXPECT_EQ(s.acceptedCompression, 1);
}

TEST(LoadSettings, NumbersAreReadAsTheProfileReadsThem) {
    const struct {
        const char* stored;
        std::uint16_t density;  // AcceptedDensity, 16 bits
        std::uint8_t depth;     // AcceptedDepth, 8 bits
    } cases[] = {
        {"72", 72, 72},
        {" \t+144x", 144, 144},
        {"", 0, 0},
        {"many", 0, 0},
        {"65608", 72, 72},  // 0x10048: the low bits stay
        {"-1", 0xFFFF, 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        FakeSettingsFile file;
        file.values = {{"AcceptedDensity", c.stored}, {"AcceptedDepth", c.stored}, {"SyncDir", "/p"}, {"TTFontDirectory", "C:\\F"}};
        const PictaroSettings s = LoadSettings(file);
        EXPECT_EQ(s.acceptedDensity, c.density);
        EXPECT_EQ(s.acceptedDepth, c.depth);
        EXPECT_EQ(s.acceptedCompression, 1);
        EXPECT_EQ(s.syncDir, "/p");
        EXPECT_EQ(s.fontDir, "C:\\F");
    }
}

TEST(PictaroIni, WritesTheSectionAndKeepsOtherLines) {
    DesktopSandbox sandbox;
    ASSERT_TRUE(win::WritePrivateProfileString("Other", "Kept", "yes", kSettingsFile));
    PictaroIni ini;
    EXPECT_EQ(ini.read("SyncDir", "fallback"), "fallback");
    EXPECT_TRUE(ini.write("SyncDir", "/p"));
    EXPECT_EQ(ini.read("syncdir", "fallback"), "/p");
    char kept[8];
    win::GetPrivateProfileString("Other", "Kept", "", kept, sizeof kept, kSettingsFile);
    EXPECT_STREQ(kept, "yes");
}
