// Tests of what a failing disk or a killed HotSync leaves behind: synchronisations run with one
// file-system call made to fail (PALMDESK_FILE_FAULT), or stopped at it and killed, must leave
// every database and picture as it was or as a clean synchronisation makes it, and must say so
// when they did not finish: a problem in the log and a non-zero status.
#include "core/qz_fileio/PalmDb.h"
#include "platform/bytes/ByteWriter.h"
#include "palmdesk/HandheldStore.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/DesktopRoot.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {
constexpr std::uint32_t kDrAw = 0x44724177, kBpmf = 0x62706D66;

// What a database holds, dates left out: type, creator, info block and records.
std::string contents(const qz_gen::CPalmDb& db) {
    std::string out = std::to_string(db.Header().type) + "/" + std::to_string(db.Header().creator) + "/";
    const auto info = db.AppInfo();
    out.append(info.begin(), info.end());
    for (std::uint32_t slot = 0; slot < db.UsedLength(); ++slot)
        if (const auto* r = db.RecordAt(slot)) {
            const auto bytes = r->Bytes();
            out += "|" + std::string(bytes.begin(), bytes.end());
        }
    return out;
}

// Everything a synchronisation may change: each database's contents by name (read and parsed
// whole), each picture file, each queued file.
struct State {
    std::map<std::string, std::string> databases, pictures, queue;
    bool operator==(const State&) const = default;
};

// A desktop root with one user, pictsync registered, pictures on both sides and a queued
// database that replaces one on the handheld.
class FaultDesktop {
public:
    FaultDesktop() {
        EXPECT_EQ(hotsync("init").exitCode, 0);
        EXPECT_EQ(hotsync("user add Ann").exitCode, 0);
        EXPECT_EQ(hotsync(std::string("register ") + PICTSYNC_MODULE).exitCode, 0);
        win::MakeFolders(syncFolder());
        const std::string ini = "[Pictaro]\r\nSyncDir=C:\\Pictaro\r\n";
        win::MakeFolders(root() + "/Windows");
        writeWholeFile(root() + "/Windows/Pictaro.ini", std::vector<std::uint8_t>(ini.begin(), ini.end()));
        putPicture("Sunset", 40, 'a');
        putPicture("Moon", 40, 'b');
        putBmp("Moon.bmp", 6, 4, 0x40);
        putBmp("Star.bmp", 8, 2, 0xC0);
        putDatabase("Queued", "old");
        qz_gen::CPalmDb queued;
        fill(queued, "Queued", "new");
        writeWholeFile(root() + "/Users/Ann/Install/Queued.pdb", queued.ToBytes());
    }

    ToolRun hotsync(const std::string& args, const std::string& fault = "") const {
        const std::string env = fault.empty() ? "" : "PALMDESK_FILE_FAULT=" + fault + " ";
        return runTool(env + HOTSYNC_BIN, args, dir.path());
    }
    std::string root() const { return dir.path() + "/palmdesk"; }
    std::string syncFolder() const { return root() + "/drive_c/Pictaro"; }
    std::string handheld() const { return root() + "/Users/Ann/Handheld/card0"; }

    State state() const {
        State s;
        palmdesk::HandheldStore store(handheld());
        for (const auto& db : store.List()) {
            const auto loaded = store.Load(db.name);
            s.databases[db.name] = loaded ? contents(*loaded) : "(does not read)";
        }
        for (const auto& [folder, into] : {std::pair{syncFolder(), &s.pictures}, std::pair{root() + "/Users/Ann/Install", &s.queue}})
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (win::IsStaleTemporary(entry.path().filename().string())) continue;  // see temporaries()
                const auto bytes = readWholeFile(entry.path().string());
                (*into)[entry.path().filename().string()] = std::string(bytes.begin(), bytes.end());
            }
        return s;
    }
    // Files whose names say they were being written when a process died.
    std::vector<std::string> temporaries() const {
        std::vector<std::string> out;
        for (const auto& folder : {handheld(), syncFolder(), root() + "/Users/Ann/Install", root() + "/Windows"})
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename().string().find(".tmp") != std::string::npos) out.push_back(entry.path().string());
        return out;
    }

    TempDir dir;

private:
    static void fill(qz_gen::CPalmDb& db, const std::string& name, const std::string& text) {
        db.SetName(name);
        db.Header().type = 0x44415441;
        db.Header().creator = 0x74657374;
        qz_gen::CDbRecord r;
        r.SetData(static_cast<std::uint32_t>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data()));
        r.SetUniqueID(1);
        db.AddRecord(r);
        db.SetLayoutFields();
    }
    void putDatabase(const std::string& name, const std::string& text) const {
        qz_gen::CPalmDb db;
        fill(db, name, text);
        ASSERT_TRUE(palmdesk::HandheldStore(handheld()).Store(db));
    }
    // A version-1 8-bit picture, one row of size - 10 pixels.
    void putPicture(const std::string& name, std::size_t size, std::uint8_t pixel) const {
        Bytes record;
        bytes::ByteWriter w(record);
        w.writeU8(10);
        w.writeU8(1);
        w.writeU16(static_cast<std::uint16_t>(size - 10));
        w.writeU16(1);
        w.writeU8(8);
        w.writeU8(2);
        w.writeU16(72);
        record.resize(size, pixel);
        Bytes info;
        bytes::ByteWriter i(info);
        i.writeU16(12);
        i.writeU32(static_cast<std::uint32_t>(record.size()));
        qz_gen::CPalmDb db;
        db.SetName(name);
        db.Header().type = kBpmf;
        db.Header().creator = kDrAw;
        db.SetAppInfo(static_cast<std::uint32_t>(info.size()), info.data());
        qz_gen::CDbRecord r;
        r.SetData(static_cast<std::uint32_t>(record.size()), record.data());
        r.SetUniqueID(1);
        db.AddRecord(r);
        db.SetLayoutFields();
        ASSERT_TRUE(palmdesk::HandheldStore(handheld()).Store(db));
    }
    void putBmp(const std::string& name, int width, int height, std::uint8_t grey) const {
        BmpLayout s;
        s.width = width;
        s.height = height;
        s.pixels.assign((std::size_t(width) * 3 + 3) / 4 * 4 * std::size_t(height), grey);
        writeWholeFile(syncFolder() + "/" + name, buildBmp(s));
    }
};

// Every name holds what it held before or what a clean synchronisation gives it (absent counts
// as a value too), never anything else: no database is half written, none lost.
void expectOldOrNew(const State& before, const State& after, const State& clean) {
    const auto check = [](const char* what, const auto& b, const auto& a, const auto& c) {
        std::set<std::string> names;
        for (const auto* m : {&b, &a, &c})
            for (const auto& entry : *m) names.insert(entry.first);
        for (const auto& name : names) {
            const auto valueIn = [&](const auto& m) -> std::optional<std::string> {
                const auto at = m.find(name);
                if (at == m.end()) return std::nullopt;
                return at->second;
            };
            const auto now = valueIn(a);
            EXPECT_TRUE(now == valueIn(b) || now == valueIn(c)) << what << " " << name << " is neither the old nor the new";
        }
    };
    check("database", before.databases, after.databases, clean.databases);
    check("picture", before.pictures, after.pictures, clean.pictures);
    // A queued file stays until its database is installed.
    if (!after.queue.contains("Queued.pdb")) {
        EXPECT_EQ(after.databases.at("Queued"), clean.databases.at("Queued"));
    }
}

// The status and the last line agree: 0 and "HotSync completed.", or 1 and the problems counted.
bool endedWithProblems(const ToolRun& run) {
    const bool problems = run.out.find("\nHotSync completed with ") != std::string::npos;
    EXPECT_EQ(run.exitCode, problems ? 1 : 0) << run.out << run.err;
    if (!problems) {
        EXPECT_TRUE(run.out.ends_with("\nHotSync completed.\n")) << run.out;
    }
    return problems;
}

constexpr const char* kSyncTypes[] = {"fast", "pc", "hh"};
constexpr const char* kCalls[] = {"write", "fsync", "rename", "unlink"};
constexpr int kMaxCall = 9;  // more calls of each kind than one of these synchronisations makes
}  // namespace

TEST(HotSyncFaults, AFailedCallIsReportedAndLosesNothing) {
    for (const char* type : kSyncTypes) {
        FaultDesktop clean;
        const State before = clean.state();
        ASSERT_FALSE(endedWithProblems(clean.hotsync(std::string("sync --user Ann --type ") + type)));
        const State reference = clean.state();
        ASSERT_NE(reference, before);
        for (const char* call : kCalls)
            for (int nth = 1; nth <= kMaxCall; ++nth) {
                const std::string fault = std::string(call) + ":" + std::to_string(nth);
                SCOPED_TRACE(std::string(type) + " sync, " + fault);
                FaultDesktop d;
                const ToolRun run = d.hotsync(std::string("sync --user Ann --type ") + type, fault);
                const State after = d.state();
                expectOldOrNew(before, after, reference);
                // A synchronisation that says all went well did all of it.
                if (!endedWithProblems(run)) {
                    EXPECT_EQ(after, reference) << run.out;
                }
                // And the next one, without faults, finishes the work.
                EXPECT_FALSE(endedWithProblems(d.hotsync(std::string("sync --user Ann --type ") + type)));
                EXPECT_EQ(d.state(), reference);
            }
    }
}

namespace {
// hotsync sync started with the fault plan "call:nth:stop": its pid once it stopped itself
// there, none when it ran to its end without reaching the call.
std::optional<pid_t> stoppedSync(const FaultDesktop& d, const std::string& args, const std::string& plan) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("PALMDESK_ROOT", d.root().c_str(), 1);
        ::setenv("PALMDESK_FILE_FAULT", plan.c_str(), 1);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execl(HOTSYNC_BIN, HOTSYNC_BIN, "sync", "--user", "Ann", "--type", args.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, WUNTRACED);
    if (WIFSTOPPED(status)) return pid;
    return std::nullopt;
}

void kill9(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}
}  // namespace

TEST(HotSyncFaults, KilledAtAnyCallTheNextSyncCleansUpAndConverges) {
    for (const char* type : kSyncTypes) {
        FaultDesktop clean;
        const State before = clean.state();
        ASSERT_FALSE(endedWithProblems(clean.hotsync(std::string("sync --user Ann --type ") + type)));
        const State reference = clean.state();
        for (const char* call : {"rename", "unlink", "write"})
            for (int nth = 1; nth <= kMaxCall; ++nth) {
                const std::string plan = std::string(call) + ":" + std::to_string(nth) + ":stop";
                SCOPED_TRACE(std::string(type) + " sync, killed at " + plan);
                FaultDesktop d;
                const auto pid = stoppedSync(d, type, plan);
                if (!pid) break;  // no such call: the next ones are not made either
                kill9(*pid);
                expectOldOrNew(before, d.state(), reference);
                EXPECT_FALSE(endedWithProblems(d.hotsync(std::string("sync --user Ann --type ") + type)));
                EXPECT_EQ(d.state(), reference);
                EXPECT_EQ(d.temporaries(), std::vector<std::string>{});
            }
    }
}

TEST(HotSyncFaults, TheNextActionSurvivesAKilledSync) {
    FaultDesktop d;
    ASSERT_EQ(d.hotsync("action DrAw --user Ann --permanent sync --next pc-overwrites").exitCode, 0);
    const auto pid = stoppedSync(d, "fast", "rename:1:stop");
    ASSERT_TRUE(pid);
    kill9(*pid);
    EXPECT_NE(d.hotsync("action DrAw --user Ann").out.find("next pc-overwrites"), std::string::npos);
    const ToolRun run = d.hotsync("sync --user Ann");
    EXPECT_FALSE(endedWithProblems(run));
    EXPECT_NE(run.out.find("Pictaro: database successfully created on handheld."), std::string::npos);  // Moon replaced
    EXPECT_NE(d.hotsync("action DrAw --user Ann").out.find("next (none)"), std::string::npos);
}

TEST(HotSyncFaults, ASecondCommandWaitsForTheSyncThenSaysWhoHoldsTheHandheld) {
    FaultDesktop d;
    const State before = d.state();
    const auto pid = stoppedSync(d, "pc", "rename:1:stop");
    ASSERT_TRUE(pid);
    qz_gen::CPalmDb db;
    db.SetName("Sunset");
    db.Header().type = 0x44415441;
    db.SetLayoutFields();
    writeWholeFile(d.dir.file("import.pdb"), db.ToBytes());
    const auto started = std::chrono::steady_clock::now();
    for (const std::string& command :
         std::vector<std::string>{"store --user Ann --import " + d.dir.file("import.pdb"), "queue --user Ann --remove Queued.pdb",
                                  "store --user Ann --export Sunset -o " + d.dir.file("out.pdb"),
                                  "action DrAw --user Ann --next sync"}) {
        SCOPED_TRACE(command);
        const ToolRun run = d.hotsync(command);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("the handheld of Ann is in use by pid " + std::to_string(*pid) + " (hotsync sync)"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    kill9(*pid);
    EXPECT_EQ(d.state().queue, before.queue);
    EXPECT_EQ(d.hotsync("store --user Ann --import " + d.dir.file("import.pdb")).exitCode, 0);
}
