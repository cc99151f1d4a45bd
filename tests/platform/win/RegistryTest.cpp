// Tests of the registry stand-in: value types, buffer sizes, case-insensitive keys, the text
// file's reader on bad input, and two processes writing at once.
#include "platform/win/Registry.h"

#include "support/DesktopSandbox.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace win;
using Bytes = std::vector<std::uint8_t>;

namespace {
HKEY createKey(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    return key;
}

Bytes query(HKEY key, const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    if (RegQueryValueEx(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return {};
    Bytes data(size);
    EXPECT_EQ(RegQueryValueEx(key, name, nullptr, type, data.data(), &size), ERROR_SUCCESS);
    return data;
}
}  // namespace

TEST(Registry, EveryValueTypeRoundTripsThroughTheFile) {
    DesktopSandbox sandbox;
    struct Case {
        const char* name;
        DWORD type;
        Bytes data;
    };
    const Case cases[] = {
        {"Text", REG_SZ, {'C', ':', '\\', 'x', ' ', '"', 'q', '"', 0xE9, 0}},
        {"Empty text", REG_SZ, {0}},
        {"Text without its zero", REG_SZ, {'a', 'b'}},
        {"Number", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {"Short number", REG_DWORD, {1, 2}},
        {"Bytes", REG_BINARY, {0, 1, 0xFF, 0x80}},
        {"No bytes", REG_BINARY, {}},
        {"Multi", 7, {'a', 0, 'b', 0, 0}},
    };
    HKEY key = createKey("Software\\Test\\Values");
    for (const auto& c : cases)
        ASSERT_EQ(RegSetValueEx(key, c.name, 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\test\\VALUES", 0, KEY_READ, &again), ERROR_SUCCESS);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD type = 0;
        EXPECT_EQ(query(again, c.name, &type), c.data);
        EXPECT_EQ(type, c.type);
    }
    RegCloseKey(again);
}

TEST(Registry, ShortBufferIsMoreDataAndMissingIsNotFound) {
    DesktopSandbox sandbox;
    HKEY key = createKey("Software\\Test");
    const Bytes big(168, 7);
    RegSetValueEx(key, "L-R Sizes", 0, REG_BINARY, big.data(), 168);
    Bytes buffer(16, 0);
    DWORD size = 16;
    EXPECT_EQ(RegQueryValueEx(key, "l-r sizes", nullptr, nullptr, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 168u);
    EXPECT_EQ(buffer, Bytes(16, 0));  // nothing written
    EXPECT_EQ(RegQueryValueEx(key, "Absent", nullptr, nullptr, buffer.data(), &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(key, "L-R SIZES"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "L-R Sizes"), ERROR_FILE_NOT_FOUND);
    HKEY none = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software", 0, KEY_READ, &none), ERROR_SUCCESS);  // always there
    RegCloseKey(none);
    RegCloseKey(key);
}

TEST(Registry, TwoProcessesWritingAtOnceKeepEveryValue) {
    DesktopSandbox sandbox;
    RegCloseKey(createKey("Software\\Race"));
    constexpr int kValues = 25;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        if (children[child] == 0) {
            HKEY key = nullptr;
            RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Race", 0, KEY_ALL_ACCESS, &key);
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "p" + std::to_string(child) + "-" + std::to_string(i);
                const DWORD value = static_cast<DWORD>(i);
                if (RegSetValueEx(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) != ERROR_SUCCESS)
                    ::_exit(1);
            }
            ::_exit(0);
        }
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Race", 0, KEY_READ, &key), ERROR_SUCCESS);
    for (int child = 0; child < 2; ++child)
        for (int i = 0; i < kValues; ++i) {
            const std::string name = "p" + std::to_string(child) + "-" + std::to_string(i);
            EXPECT_EQ(query(key, name.c_str()).size(), 4u) << name;
        }
    RegCloseKey(key);
}

TEST(RegistryText, RefusesTextsThatAreNotARegistry) {
    const char* bad[] = {
        "[Software]\n\"A\"=dword:00000001\n",                    // no header line
        "PALMDESK REGISTRY 1\n\"A\"=dword:00000001\n",          // a value before any key
        "PALMDESK REGISTRY 1\n[Software\n",                     // no closing bracket
        "PALMDESK REGISTRY 1\n[]\n",                            // an empty key
        "PALMDESK REGISTRY 1\n[K]\n\"A\"=dword:1\n",            // a short dword
        "PALMDESK REGISTRY 1\n[K]\n\"A\"=hex:0\n",              // an odd hex digit
        "PALMDESK REGISTRY 1\n[K]\n\"A\"=hex:zz\n",
        "PALMDESK REGISTRY 1\n[K]\n\"A=\"x\"\n",
        "PALMDESK REGISTRY 1\n[K]\n\"A\"=\"unterminated\n",
        "PALMDESK REGISTRY 1\n[K]\n\"A\"=\"bad \\q escape\"\n",
        "PALMDESK REGISTRY 1\n[K]\n\"A\"=hex(123456789):00\n",
        "PALMDESK REGISTRY 1\n[K]\n\"A\"=word:0\n",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        std::string why;
        EXPECT_FALSE(RegistryTree::Parse(text, &why));
        EXPECT_FALSE(why.empty());
    }
    const auto tree = RegistryTree::Parse("PALMDESK REGISTRY 1\r\n; comment\r\n[A\\B]\r\n\"x\"=\"1\"\r\n");
    ASSERT_TRUE(tree);
    ASSERT_TRUE(tree->FindKey("a\\b"));
    EXPECT_TRUE(tree->FindKey("A"));  // parents exist with their children
    EXPECT_EQ(RegistryTree::Parse(tree->Serialise())->Serialise(), tree->Serialise());
}
