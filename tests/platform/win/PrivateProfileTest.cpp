// Tests of the private-profile functions: lookups, defaults, buffers, lists, and rewrites that keep
// the rest of the file.
#include "platform/win/PrivateProfile.h"

#include "platform/win/DesktopRoot.h"
#include "platform/win/IniFile.h"

#include "support/DesktopSandbox.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace win;

namespace {
std::string get(const char* section, const char* key, const char* fallback, const char* file, std::uint32_t size = 256) {
    std::vector<char> buffer(size + 1, 'X');
    const auto n = GetPrivateProfileString(section, key, fallback, buffer.data(), size, file);
    EXPECT_EQ(buffer[n], '\0');
    return std::string(buffer.data(), n);
}

void write(const std::string& path, const std::string& text) {
    writeWholeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}
}  // namespace

TEST(PrivateProfile, LooksUpSectionsAndKeysWithoutRegardToCase) {
    DesktopSandbox sandbox;
    MakeFolders(sandbox.root() + "/Windows");
    write(sandbox.root() + "/Windows/Pictaro.ini",
          "; settings\r\n[Pictaro]\r\nSyncFolder = C:\\Pictaro  \r\nQuoted=\"  spaced  \"\r\nCount=42x\r\n[Other]\r\nA=1\r\n");
    EXPECT_EQ(get("pictaro", "SYNCFOLDER", "", "Pictaro.ini"), "C:\\Pictaro");
    EXPECT_EQ(get("Pictaro", "Quoted", "", "Pictaro.ini"), "  spaced  ");
    EXPECT_EQ(get("Pictaro", "Missing", "fallback   ", "Pictaro.ini"), "fallback");
    EXPECT_EQ(get("Pictaro", "SyncFolder", "", "Pictaro.ini", 5), "C:\\P");
    EXPECT_EQ(GetPrivateProfileInt("Pictaro", "Count", 7, "Pictaro.ini"), 42u);
    EXPECT_EQ(GetPrivateProfileInt("Pictaro", "Missing", 7, "Pictaro.ini"), 7u);
    EXPECT_EQ(GetPrivateProfileInt("Pictaro", "SyncFolder", 7, "Pictaro.ini"), 0u);
    EXPECT_EQ(get("Nowhere", "A", "d", "Absent.ini"), "d");  // a missing file gives the default
}

TEST(PrivateProfile, ListsKeysAndSections) {
    DesktopSandbox sandbox;
    const std::string path = sandbox.file("list.ini");
    write(path, "[One]\na=1\nbb=2\n[Two]\n");
    char buffer[64];
    const auto n = GetPrivateProfileString("one", nullptr, "", buffer, sizeof buffer, path.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), std::string("a\0bb\0\0", 6));  // the list ends in a second zero
    const auto m = GetPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer, path.c_str());
    EXPECT_EQ(std::string(buffer, m + 1), std::string("One\0Two\0\0", 9));
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, 6, path.c_str()), 4u);  // cut short
}

TEST(PrivateProfile, WritesKeepOtherLinesAndComments) {
    DesktopSandbox sandbox;
    const std::string path = sandbox.file("keep.ini");
    write(path, "; top comment\r\n[Pictaro]\r\nSyncFolder=C:\\Pictaro\r\n; inner\r\n\r\n[Other]\r\nZ=9\r\n");
    ASSERT_TRUE(WritePrivateProfileString("PICTARO", "syncfolder", "D:\\Pics", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("Pictaro", "Compress", "1", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("New", "K", "v", path.c_str()));
    const auto text = readWholeFile(path);
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "; top comment\r\n[Pictaro]\r\nSyncFolder=D:\\Pics\r\n; inner\r\nCompress=1\r\n\r\n[Other]\r\nZ=9\r\n[New]\r\nK=v\r\n");
    ASSERT_TRUE(WritePrivateProfileString("Pictaro", "Compress", nullptr, path.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("Other", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(get("Pictaro", "Compress", "gone", path.c_str()), "gone");
    EXPECT_EQ(get("Other", "Z", "gone", path.c_str()), "gone");
}

TEST(PrivateProfile, FileNamesResolveToTheWindowsFolderOrDrives) {
    DesktopSandbox sandbox;
    EXPECT_EQ(ProfilePath("Pictaro.ini"), sandbox.root() + "/Windows/Pictaro.ini");
    EXPECT_EQ(ProfilePath("C:\\Palm\\x.ini"), sandbox.root() + "/drive_c/Palm/x.ini");
    EXPECT_EQ(ProfilePath("/etc/x.ini"), "/etc/x.ini");
    ASSERT_TRUE(WritePrivateProfileString("S", "K", "V", "C:\\Palm\\x.ini"));
    EXPECT_EQ(get("S", "K", "", (sandbox.root() + "/drive_c/Palm/x.ini").c_str()), "V");
}

// Every buffer size around the lengths of a two-name list: nothing is written past size, a list
// that does not fit is cut, ends in two zeros and returns size - 2, and one that fits is whole.
TEST(PrivateProfile, ListModeStaysInsideEveryBufferSize) {
    DesktopSandbox sandbox;
    const std::string path = sandbox.file("cut.ini");
    write(path, "[Alpha]\nkey=1\nlonger=2\n[Bravo]\n");
    struct Case {
        const char* section;  // null lists the sections
        std::string whole;    // the list when it fits
    };
    for (const Case& c : {Case{nullptr, std::string("Alpha\0Bravo\0", 12)}, Case{"alpha", std::string("key\0longer\0", 11)}}) {
        for (std::uint32_t size = 1; size <= c.whole.size() + 3; ++size) {
            SCOPED_TRACE(testing::Message() << (c.section ? c.section : "(sections)") << " size " << size);
            std::vector<char> buffer(size + 8, 'X');
            const auto n = GetPrivateProfileString(c.section, nullptr, "", buffer.data(), size, path.c_str());
            EXPECT_EQ(std::string(buffer.data() + size, 8), "XXXXXXXX");
            if (size == 1) {
                EXPECT_EQ(n, 0u);
                EXPECT_EQ(buffer[0], '\0');
            } else if (c.whole.size() + 1 <= size) {
                EXPECT_EQ(std::string(buffer.data(), n + 1), c.whole + '\0');
            } else {
                EXPECT_EQ(n, size - 2);
                EXPECT_EQ(buffer[size - 2], '\0');
                EXPECT_EQ(buffer[size - 1], '\0');
                EXPECT_EQ(std::string(buffer.data(), size - 2), c.whole.substr(0, size - 2));
            }
        }
    }
}

// A lookup walks the file once: a hundred lookups in a 60,000-key section take a moment, not the
// hours a walk per line would.
TEST(PrivateProfile, LookupsInALargeSectionAreLinear) {
    DesktopSandbox sandbox;
    std::string text = "[Big]\n";
    constexpr int kKeys = 60000;
    for (int i = 0; i < kKeys; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    const auto ini = IniFile::Parse(text);
    const auto started = std::chrono::steady_clock::now();
    for (int i = kKeys - 100; i < kKeys; ++i) ASSERT_EQ(ini.Get("big", "k" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(ini.Keys("Big").size(), std::size_t(kKeys));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}
