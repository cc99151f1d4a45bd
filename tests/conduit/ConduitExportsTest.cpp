// Tests of pictsync's exports as HotSync calls them: loaded with dlopen from the HotSync folder.
#include "support/DesktopSandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

namespace {
struct Conduit {
    Conduit() : handle(dlopen(PICTSYNC_MODULE, RTLD_NOW | RTLD_LOCAL)) {}
    ~Conduit() {
        if (handle) dlclose(handle);
    }
    template <typename F>
    F get(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
    void* handle;
};

#pragma pack(push, 1)
struct Request {
    std::uint32_t version, size, creator, userId;
    char userName[64];
};
struct Config {
    std::uint32_t version, size, creator, userId;
    char userName[64];
    char pathName[256];
    std::int32_t permanent, temporary, next, preference;
};
#pragma pack(pop)
}  // namespace

TEST(PictsyncExports, GetConduitInfoChecksInOrder) {
    Conduit c;
    ASSERT_TRUE(c.handle) << dlerror();
    const auto info = c.get<std::int32_t (*)(std::int32_t, const void*, void*, std::uint32_t*)>("GetConduitInfo");
    ASSERT_TRUE(info);
    Request good{1, 80, 0x44724177, 7, "Ann"};
    Request badVersion{2, 80, 0, 0, {}};
    char out[64];
    std::uint32_t size64 = 64, size4 = 4, size8 = 8, size5 = 5;
    struct Case {
        const char* what;
        std::int32_t type;
        const void* input;
        void* output;
        std::uint32_t* size;
        std::int32_t result;
    };
    const Case cases[] = {
        {"no buffer, no size", 0, &good, nullptr, nullptr, 0x1071},
        {"no size", 0, &good, out, nullptr, 0x1077},
        {"no input", 0, nullptr, out, &size64, 0x1074},
        {"bad version", 0, &badVersion, out, &size64, 0x1075},
        {"name does not fit", 0, &good, out, &size5, 0x1076},
        {"name", 0, &good, out, &size64, 0},
        {"type 1, size 8", 1, nullptr, out, &size8, 0x1073},
        {"type 1", 1, nullptr, out, &size4, 0},
        {"type 2", 2, nullptr, out, &size4, 0},
        {"type 3", 3, nullptr, out, &size4, 0x1070},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        EXPECT_EQ(info(k.type, k.input, k.output, k.size), k.result);
    }
    EXPECT_EQ(info(0, &good, out, &size64), 0);
    EXPECT_STREQ(out, "Generic DrAw Conduit");
    std::uint32_t value = 0;
    info(1, nullptr, &value, &size4);
    EXPECT_EQ(value, 0x10000000u);

    const auto name = c.get<std::int32_t (*)(char*, std::uint16_t)>("GetConduitName");
    EXPECT_EQ(name(out, 5), -1);
    EXPECT_EQ(name(out, 64), 0);
    EXPECT_EQ(c.get<std::int32_t (*)()>("GetConduitVersion")(), 0x0102);
    EXPECT_EQ(c.get<std::int32_t (*)(void*)>("ConfigureConduit")(nullptr), -1);
}

TEST(PictsyncExports, CfgConduitChecksInOrder) {
    Conduit c;
    const auto cfg = c.get<std::int32_t (*)(std::int32_t, void*, std::uint32_t*)>("CfgConduit");
    ASSERT_TRUE(cfg);
    Config good{};
    good.version = 1;
    good.size = 352;
    Config badVersion = good;
    badVersion.version = 2;
    std::uint32_t size = 352, wrong = 351;
    EXPECT_EQ(cfg(0, nullptr, nullptr), 0x1074);
    EXPECT_EQ(cfg(0, &good, nullptr), 0x1078);
    EXPECT_EQ(cfg(0, &good, &wrong), 0x107A);
    EXPECT_EQ(cfg(1, &badVersion, &size), 0x1079);
    EXPECT_EQ(cfg(0, &badVersion, &size), 0x107B);
    // A good record opens the dialog: CfgConduitDialogTest.cpp.
}

TEST(PictsyncExports, RegistrationReplacesAnOldOneAndUnregisterForgivesErrors) {
    DesktopSandbox sandbox;
    Conduit c;
    const auto reg = c.get<std::int32_t (*)()>("DllRegisterServer");
    const auto unreg = c.get<std::int32_t (*)()>("DllUnregisterServer");
    EXPECT_EQ(unreg(), 1);  // nothing registered: the manager's error still counts as done
    EXPECT_EQ(reg(), 1);
    EXPECT_EQ(reg(), 1);    // -1005: removed and registered again
    EXPECT_EQ(unreg(), 1);
    EXPECT_EQ(c.get<std::int32_t (*)()>("PictsyncAttachCount")(), 1);
    EXPECT_NE(std::string(c.get<const char* (*)()>("PictsyncModulePath")()).find("pictsync.so"), std::string::npos);
}
