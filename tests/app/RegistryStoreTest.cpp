// Tests of the registry store: one script of calls run against the store over the registry file
// and against the store in memory that other tests use, which must answer alike.
#include "app/RegistryStore.h"

#include "support/DesktopSandbox.h"
#include "support/FakeRegistryStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// What each call of the script answered, one line a call.
std::vector<std::string> runScript(RegistryStore& store) {
    std::vector<std::string> out;
    const auto say = [&](const std::string& what, bool ok) { out.push_back(what + (ok ? " ok" : " failed")); };
    // got is read only after the call has run.
    const auto sayGot = [&](const std::string& what, bool ok, auto got) {
        out.push_back(what + (ok ? " ok " + got() : " failed"));
    };
    std::uint32_t word = 0;
    std::string text;
    std::uint8_t buffer[8] = {};
    std::uint32_t length = 0;
    say("dword without a section", store.GetDword("Script", word));
    say("set without a section", store.SetDword("Script", 1));
    say("open", store.OpenSection("Preferences"));
    say("set dword", store.SetDword("Script", 0x01020304));
    sayGot("get dword in another case", store.GetDword("SCRIPT", word), [&] { return std::to_string(word); });
    say("missing dword", store.GetDword("Nothing", word));
    const std::uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    say("set binary", store.SetBinary("Styles", eight, 8));
    say("dword of an 8-byte value", store.GetDword("Styles", word));
    say("binary too small", store.GetBinary("Styles", buffer, 7, &length));
    sayGot("binary", store.GetBinary("Styles", buffer, 8, &length),
           [&] { return std::to_string(length) + "/" + std::to_string(buffer[7]); });
    sayGot("binary of the dword", store.GetBinary("Script", buffer, 8, &length), [&] { return std::to_string(length); });
    say("set string", store.SetSectionString("Name", "abc"));
    sayGot("string", store.GetSectionString("name", text, 4), [&] { return text; });
    say("string too long for capacity", store.GetSectionString("Name", text, 3));
    say("string of a dword", store.GetSectionString("Script", text, 64));
    sayGot("dword of a string", store.GetDword("Name", word), [&] { return std::to_string(word); });
    say("delete", store.DeleteSectionValue("Name"));
    say("delete again", store.DeleteSectionValue("Name"));
    store.CloseSection();
    say("dword after close", store.GetDword("Script", word));
    say("open again", store.OpenSection("preferences"));
    sayGot("dword kept", store.GetDword("Script", word), [&] { return std::to_string(word); });
    say("app string", store.SetString("App Window", "1,2,3"));
    sayGot("app string back", store.GetString("app window", text), [&] { return text; });
    say("app string missing", store.GetString("Other", text));
    say("section value is not on the app key", store.GetString("Script", text));
    return out;
}
}  // namespace

TEST(RegistryStore, TheStoreInMemoryAnswersAsTheRegistryDoes) {
    DesktopSandbox sandbox;
    RegistryStore real("Corvane", "Typehold");
    FakeRegistryStore fake;
    const auto expected = runScript(real);
    EXPECT_EQ(runScript(fake), expected);
    EXPECT_EQ(expected[4], "get dword in another case ok 16909060");  // the script reached the store
}

TEST(RegistryStore, RefusedWritesAndSections) {
    FakeRegistryStore fake;
    fake.failOpen = true;
    EXPECT_FALSE(fake.OpenSection("Preferences"));
    fake.failOpen = false;
    fake.failWrites = true;
    ASSERT_TRUE(fake.OpenSection("Preferences"));
    EXPECT_FALSE(fake.SetDword("Script", 1));
    EXPECT_FALSE(fake.SetString("App Window", "x"));
    std::uint32_t word = 0;
    EXPECT_FALSE(fake.GetDword("Script", word));
}
