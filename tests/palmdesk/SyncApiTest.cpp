// Tests of the Sync API: its calls over a handheld in memory, over a real handheld store in a
// temporary folder where the store is part of what is tested, and the store of the user the
// environment names when none is bound.
#include "palmdesk/SyncApi.h"

#include "core/qz_fileio/PalmDb.h"
#include "palmdesk/HandheldStore.h"
#include "palmdesk/UserStore.h"
#include "support/DesktopSandbox.h"
#include "support/FakeHandheld.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {
constexpr std::uint32_t kDrAw = 0x44724177, kBpmf = 0x62706D66, kBpmc = 0x62706D63;

// A real handheld store in a folder of its own, bound for the object's lifetime.
struct BoundStore {
    BoundStore() : store(dir.path()) { PalmdeskBindHandheld(&store); }
    ~BoundStore() { PalmdeskBindHandheld(nullptr); }
    BoundStore(const BoundStore&) = delete;
    BoundStore& operator=(const BoundStore&) = delete;
    TempDir dir;
    palmdesk::HandheldStore store;
};

// The user's store of a desktop in a temporary root, as a synchronisation names it.
struct SyncSandbox {
    SyncSandbox() {
        EXPECT_TRUE(palmdesk::UserStore().Add("Ann", false));
        ::setenv(kSyncUserVariable, "Ann", 1);
    }
    ~SyncSandbox() { ::unsetenv(kSyncUserVariable); }
    palmdesk::HandheldStore store() const { return palmdesk::HandheldStore(palmdesk::UserStore().HandheldFolder("Ann")); }
    DesktopSandbox desktop;
};

std::int32_t create(const char* name, std::uint32_t type, std::uint8_t& handle) {
    SyncCreateDbParams params{};
    params.creator = kDrAw;
    params.attributes = 0x0008;
    params.type = type;
    std::strncpy(params.name, name, sizeof params.name - 1);
    return SyncCreateDB(&params, &handle);
}

void makeDatabase(const char* name, std::uint32_t type) {
    std::uint8_t h = 0;
    ASSERT_EQ(create(name, type, h), SYNCERR_NONE);
    ASSERT_EQ(SyncCloseDB(h), SYNCERR_NONE);
}

std::int32_t find(std::uint32_t type, bool fresh, std::string& name) {
    SyncFindDbParams search{0xE0, static_cast<std::uint8_t>(fresh ? eSearchNew : 0), type, kDrAw};
    SyncDatabaseInfo info{};
    const auto rc = SyncFindDbByTypeCreator(&search, &info);
    name = info.name;
    return rc;
}
}  // namespace

TEST(SyncApi, SearchesOfTwoTypesInterleavedWithCreation) {
    FakeHandheld handheld;
    makeDatabase("a", kBpmf);
    makeDatabase("b", kBpmc);
    makeDatabase("c", kBpmf);
    std::string name;
    ASSERT_EQ(find(kBpmf, true, name), SYNCERR_NONE);
    EXPECT_EQ(name, "a");
    ASSERT_EQ(find(kBpmc, true, name), SYNCERR_NONE);
    EXPECT_EQ(name, "b");
    makeDatabase("d", kBpmf);  // made during the search: not part of it
    ASSERT_EQ(find(kBpmf, false, name), SYNCERR_NONE);
    EXPECT_EQ(name, "c");
    EXPECT_EQ(find(kBpmf, false, name), SYNCERR_NOT_FOUND);
    EXPECT_EQ(find(kBpmc, false, name), SYNCERR_NOT_FOUND);
    ASSERT_EQ(find(kBpmf, true, name), SYNCERR_NONE);  // a new search sees it
}

TEST(SyncApi, CreateDeleteAndInfoBlocks) {
    FakeHandheld handheld;
    std::uint8_t h = 0;
    ASSERT_EQ(create("Picture", kBpmc, h), SYNCERR_NONE);
    std::uint8_t info[6] = {0, 12, 0, 0, 0x12, 0x34};
    SyncBlockParams write{info, 6, 0};
    ASSERT_EQ(SyncWriteDBAppInfoBlock(h, &write), SYNCERR_NONE);
    ASSERT_EQ(SyncCloseDB(h), SYNCERR_NONE);
    std::uint8_t again = 0;
    EXPECT_EQ(create("Picture", kBpmc, again), SYNCERR_FILE_ALREADY_EXISTS);
    ASSERT_EQ(SyncOpenDB("Picture", 0, &h, eDbRead | eDbShowSecret), SYNCERR_NONE);
    std::uint8_t back[6] = {};
    SyncBlockParams read{back, 6, 0};
    ASSERT_EQ(SyncReadDBAppInfoBlock(h, &read), SYNCERR_NONE);
    EXPECT_EQ(std::uint32_t{read.bytesRead}, 6u);
    EXPECT_EQ(std::memcmp(back, info, 6), 0);
    EXPECT_EQ(SyncWriteDBAppInfoBlock(h, &write), SYNCERR_READ_ONLY);
    SyncCloseDB(h);
    EXPECT_EQ(SyncDeleteDB("Picture", 0), SYNCERR_NONE);
    EXPECT_EQ(SyncDeleteDB("Picture", 0), SYNCERR_NONE);  // a missing database is no error
    EXPECT_EQ(SyncOpenDB("Picture", 0, &h, eDbRead), SYNCERR_NOT_FOUND);
    EXPECT_EQ(SyncCloseDB(77), SYNCERR_BAD_HANDLE);
}

TEST(SyncApi, RecordsTooLargeForTheBufferAreRefused) {
    FakeHandheld handheld;
    std::uint8_t h = 0;
    ASSERT_EQ(create("Big", kBpmf, h), SYNCERR_NONE);
    std::vector<std::uint8_t> data(4096, 0x5A);
    SyncRecordParams record{};
    record.handle = h;
    record.buffer = data.data();
    record.dataLength = 4096;
    ASSERT_EQ(SyncWriteRec(&record), SYNCERR_NONE);
    EXPECT_EQ(std::uint32_t{record.recordId}, 1u);
    SyncCloseDB(h);
    ASSERT_EQ(SyncOpenDB("Big", 0, &h, eDbRead), SYNCERR_NONE);
    std::vector<std::uint8_t> small(100, 0);
    SyncRecordParams read{};
    read.handle = h;
    read.buffer = small.data();
    read.bufferSize = 100;
    EXPECT_EQ(SyncReadRecordByIndex(&read), SYNCERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(std::uint32_t{read.dataLength}, 4096u);
    EXPECT_EQ(small, std::vector<std::uint8_t>(100, 0));
    std::vector<std::uint8_t> enough(4096);
    read.buffer = enough.data();
    read.bufferSize = 4096;
    EXPECT_EQ(SyncReadRecordByIndex(&read), SYNCERR_NONE);
    EXPECT_EQ(enough, data);
    read.recordIndex = 1;
    EXPECT_EQ(SyncReadRecordByIndex(&read), SYNCERR_NOT_FOUND);
    SyncCloseDB(h);
}

TEST(SyncApi, ADatabaseNeverClosedLeavesTheStoreAsItWas) {
    BoundStore s;
    makeDatabase("Kept", kBpmf);
    const std::string file = s.store.FileFor("Kept");
    const auto before = readWholeFile(file);
    std::uint8_t h = 0;
    ASSERT_EQ(SyncOpenDB("Kept", 0, &h, eDbRead | eDbWrite), SYNCERR_NONE);
    std::uint8_t bytes[] = {9, 9};
    SyncRecordParams record{};
    record.handle = h;
    record.buffer = bytes;
    record.dataLength = 2;
    ASSERT_EQ(SyncWriteRec(&record), SYNCERR_NONE);
    // The conduit "crashes" here: the database is never closed.
    EXPECT_EQ(readWholeFile(file), before);
    std::uint8_t h2 = 0;
    ASSERT_EQ(create("Never closed", kBpmf, h2), SYNCERR_NONE);
    EXPECT_FALSE(s.store.Find("Never closed"));
}

TEST(SyncApi, ByteOrderAndHostileNames) {
    EXPECT_EQ(SyncHHToHostWord(0x1234), 0x3412);
    EXPECT_EQ(SyncHostToHHWord(0x00FF), 0xFF00);
    EXPECT_EQ(SyncHostToHHDWord(0x12345678u), 0x78563412u);
    BoundStore s;
    makeDatabase("../escape", kBpmf);
    makeDatabase("a/b\nc", kBpmf);
    for (const auto& entry : std::filesystem::directory_iterator(s.store.Folder()))
        EXPECT_EQ(entry.path().parent_path().string(), s.store.Folder());
    EXPECT_TRUE(s.store.Find("../escape"));
    EXPECT_TRUE(s.store.Find("a/b\nc"));
}

namespace {
// A handheld bound in place of the folder store that holds one database, "Here", and fails
// every write with the errno it is given: a device's failures as they reach the Sync API.
class FailingHandheld final : public palmdesk::Handheld {
public:
    explicit FailingHandheld(int error) : error_(error) {}
    std::vector<palmdesk::StoredDatabase> List() const override { return {here()}; }
    std::optional<palmdesk::StoredDatabase> Find(const std::string& name) const override {
        if (name == "Here") return here();
        errno = ENOENT;
        return std::nullopt;
    }
    std::unique_ptr<qz_gen::CPalmDb> Load(const std::string& name) const override {
        errno = name == "Here" ? error_ : ENOENT;
        return nullptr;
    }
    bool Store(qz_gen::CPalmDb&) const override {
        errno = error_;
        return false;
    }
    bool Remove(const std::string&) const override { return false; }
    std::vector<std::string> FinishRemovals() const override { return {}; }

private:
    static palmdesk::StoredDatabase here() { return {"Here", {}, kBpmf, kDrAw, 0, 1, 0}; }
    int error_;
};
}  // namespace

TEST(SyncApi, ABoundHandheldsFailuresBecomeTheSyncApisResults) {
    struct Case {
        int error;
        std::int32_t open;   // SyncOpenDB of the database it holds
        std::int32_t close;  // SyncCloseDB of a database created
    };
    for (const Case c : {Case{ENOSPC, SYNCERR_NOT_FOUND, SYNCERR_NO_SPACE}, Case{EEXIST, SYNCERR_NOT_FOUND, SYNCERR_FILE_ALREADY_EXISTS},
                         Case{EROFS, SYNCERR_NOT_FOUND, SYNCERR_READ_ONLY}, Case{ENOTCONN, SYNCERR_UNKNOWN, SYNCERR_UNKNOWN},
                         Case{ECANCELED, SYNCERR_UNKNOWN, SYNCERR_UNKNOWN}}) {
        SCOPED_TRACE(c.error);
        SyncSandbox s;
        FailingHandheld handheld(c.error);
        PalmdeskBindHandheld(&handheld);
        std::uint8_t h = 0;
        // A lost link is no missing database: the conduit must not take it for one.
        EXPECT_EQ(SyncOpenDB("Here", 0, &h, eDbRead), c.open);
        EXPECT_EQ(SyncOpenDB("Missing", 0, &h, eDbRead), SYNCERR_NOT_FOUND);
        EXPECT_EQ(create("Here", kBpmf, h), SYNCERR_FILE_ALREADY_EXISTS);
        ASSERT_EQ(create("New", kBpmf, h), SYNCERR_NONE);
        EXPECT_EQ(SyncCloseDB(h), c.close);
        std::string name;
        EXPECT_EQ(find(kBpmf, true, name), SYNCERR_NONE);
        EXPECT_EQ(name, "Here");
        PalmdeskBindHandheld(nullptr);
        // Unbound, the folder store is back.
        EXPECT_EQ(SyncOpenDB("Here", 0, &h, eDbRead), SYNCERR_NOT_FOUND);
        EXPECT_TRUE(s.store().List().empty());
    }
}
