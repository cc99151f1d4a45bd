// Tests of the Palm database container: exact file bytes, reading back, and refusing bad files.
#include "core/qz_fileio/PalmDb.h"

#include "core/qz_fileio/AllocationFaults.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/File.h"
#include "core/qz_fileio/StringTable.h"
#include "platform/bytes/ByteOrder.h"
#include "support/ExceptionCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace qz_gen;
using bytes::loadU32BE;
using bytes::storeU16BE;
using bytes::storeU32BE;
using Bytes = std::vector<std::uint8_t>;

namespace {
CDbRecord makeRecord(Bytes data, std::uint32_t id, std::uint32_t category = 0, std::uint32_t flags = 0,
                     bool secret = false) {
    CDbRecord r;
    r.SetData(static_cast<std::uint32_t>(data.size()), data.data());
    r.SetUniqueID(id);
    r.SetCategory(category);
    r.SetFlags(flags);
    r.SetPrivate(secret);
    return r;
}

void add(CPalmDb& db, CDbRecord r) { ASSERT_EQ(db.AddRecord(r), kDbOk); }

Bytes header(const char* name, std::uint16_t attributes, std::uint32_t type, std::uint32_t creator,
             std::uint16_t n, std::uint32_t appInfoID = 0, std::uint32_t sortInfoID = 0) {
    Bytes h(78, 0);
    for (std::size_t i = 0; name[i]; ++i) h[i] = static_cast<std::uint8_t>(name[i]);
    storeU16BE(&h[32], attributes);
    storeU32BE(&h[52], appInfoID);
    storeU32BE(&h[56], sortInfoID);
    storeU32BE(&h[60], type);
    storeU32BE(&h[64], creator);
    storeU16BE(&h[76], n);
    return h;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

constexpr std::uint32_t kXFnt = 0x78466E74;
constexpr std::uint32_t kFmgr = 0x464D4752;

std::int32_t readBytes(CPalmDb& db, const Bytes& bytes) { return db.ReadFromBytes(bytes); }
}  // namespace

TEST(PalmDbWrite, EmptyDatabaseIsEightyBytes) {
    CPalmDb db;
    db.SetName("Empty");
    db.Header().type = kXFnt;
    db.Header().creator = kFmgr;
    db.SetLayoutFields();
    EXPECT_EQ(db.ToBytes(), concat({header("Empty", 0, kXFnt, kFmgr, 0), {0, 0}}));
}

TEST(PalmDbWrite, RecordListGivesOffsetsAttributesAndLow24BitIDs) {
    CPalmDb db;
    db.SetName("Fonts");
    add(db, makeRecord({0xAA, 0xBB}, 1));
    add(db, makeRecord({}, 2));                                       // zero length
    add(db, makeRecord({0xCC}, 0x01234567, 3, CDbRecord::kFlagDirty, true));
    add(db, makeRecord({0xDD}, 4, 0, CDbRecord::kFlagArchived));
    db.SetLayoutFields();
    const Bytes expected = concat({
        header("Fonts", 0, 0, 0, 4),
        {0, 0, 0, 112, 0x00, 0, 0, 1},     // 80 + 8 * 4
        {0, 0, 0, 114, 0x00, 0, 0, 2},     // empty record: same offset as the next
        {0, 0, 0, 114, 0x53, 0x23, 0x45, 0x67},  // category 3, dirty, secret; ID cut to 24 bits
        {0, 0, 0, 115, 0x80, 0, 0, 4},     // archived
        {0, 0},
        {0xAA, 0xBB, 0xCC, 0xDD},
    });
    EXPECT_EQ(db.ToBytes(), expected);
}

TEST(PalmDbWrite, SlotFreedByRemovalIsReusedAndWrittenFirst) {
    CPalmDb db;
    add(db, makeRecord({1}, 1));
    add(db, makeRecord({2}, 2));
    add(db, makeRecord({3}, 3));
    ASSERT_EQ(db.RemoveRecordAt(0), kDbOk);
    EXPECT_TRUE(db.IsChanged());
    CDbRecord fresh = makeRecord({4}, 4);
    ASSERT_EQ(db.AddRecord(fresh), kDbOk);
    EXPECT_EQ(fresh.GetIndex(), 0u);
    db.SetLayoutFields();
    const Bytes bytes = db.ToBytes();
    ASSERT_EQ(bytes.size(), 80u + 24 + 3);
    EXPECT_EQ(Bytes(bytes.end() - 3, bytes.end()), (Bytes{4, 2, 3}));
}

TEST(PalmDbWrite, ResourceDatabaseUsesTenByteEntriesAndNoInfoBlocks) {
    CPalmDb db;
    db.SetName("Res");
    db.Header().attributes = CPalmDb::kAttrResource;
    CDbRecord a = makeRecord({0x41, 0x42}, 0x74535452);  // 'tSTR'
    a.SetResourceID(1000);
    CDbRecord b = makeRecord({}, 0x4D424152);            // 'MBAR'
    b.SetResourceID(2);
    add(db, a);
    add(db, b);
    const Bytes info{1, 2, 3};
    ASSERT_EQ(db.SetAppInfo(3, info.data()), kDbOk);
    db.SetLayoutFields();
    const Bytes expected = concat({
        header("Res", 1, 0, 0, 2),
        {0x74, 0x53, 0x54, 0x52, 0x03, 0xE8, 0, 0, 0, 100},
        {0x4D, 0x42, 0x41, 0x52, 0x00, 0x02, 0, 0, 0, 102},
        {0, 0},
        {0x41, 0x42},
    });
    EXPECT_EQ(db.ToBytes(), expected);

    CPalmDb back;
    ASSERT_EQ(readBytes(back, expected), kDbOk);
    ASSERT_EQ(back.LiveCount(), 2u);
    EXPECT_EQ(back.RecordAt(0)->GetUniqueID(), 0x74535452u);
    EXPECT_EQ(back.RecordAt(0)->GetResourceID(), 1000u);
    EXPECT_EQ(back.RecordAt(1)->GetLength(), 0u);
    CDbRecord found;
    EXPECT_EQ(back.CopyRecordByResourceID(0x74535452, 1000, found), kDbOk);
    EXPECT_EQ(back.CopyRecordByResourceID(0x74535452, 1001, found), kDbRecordNotFound);
}

TEST(PalmDbRead, TakesFlagsFromTheAttributeByte) {
    const Bytes file = concat({
        header("Flags", 0, kXFnt, kFmgr, 4),
        {0, 0, 0, 112, 0x80, 0, 0, 1},      // delete bit, no data: deleted
        {0, 0, 0, 112, 0x80, 0, 0, 2},      // delete bit with data: archived
        {0, 0, 0, 113, 0x5A, 0, 1, 0},      // dirty, secret, category 10
        {0, 0, 0, 114, 0x20, 0xFF, 0xFF, 0xFF},  // 0x20 ignored
        {0, 0},
        {7, 8, 9},
    });
    CPalmDb db;
    ASSERT_EQ(readBytes(db, file), kDbOk);
    ASSERT_EQ(db.LiveCount(), 4u);
    EXPECT_EQ(db.RecordAt(0)->GetFlags(), CDbRecord::kFlagDeleted);
    EXPECT_EQ(db.RecordAt(1)->GetFlags(), CDbRecord::kFlagArchived);
    EXPECT_EQ(db.RecordAt(2)->GetFlags(), CDbRecord::kFlagDirty);
    EXPECT_TRUE(db.RecordAt(2)->IsPrivate());
    EXPECT_EQ(db.RecordAt(2)->GetCategory(), 10u);
    EXPECT_EQ(db.RecordAt(2)->GetUniqueID(), 0x100u);
    EXPECT_EQ(db.RecordAt(3)->GetFlags(), 0u);
    EXPECT_EQ(db.RecordAt(3)->GetUniqueID(), 0xFFFFFFu);
    EXPECT_EQ(db.GetName(), "Flags");

    // Written back, the busy bit 0x20 is 0 and everything else is as read.
    db.SetLayoutFields();
    Bytes expected = file;
    expected[78 + 3 * 8 + 4] = 0x00;
    EXPECT_EQ(db.ToBytes(), expected);
}

TEST(PalmDbRead, LastRecordTakesTheTrailingBytes) {
    const Bytes file = concat({header("T", 0, 0, 0, 1), {0, 0, 0, 88, 0, 0, 0, 1}, {0, 0}, {1, 2, 3, 4, 5}});
    CPalmDb db;
    ASSERT_EQ(readBytes(db, file), kDbOk);
    EXPECT_EQ(db.RecordAt(0)->GetLength(), 5u);
}

TEST(PalmDbRead, RecordsLongerThanTheInfoBufferAreReadWhole) {
    Bytes file = concat({header("Big", 0, 0, 0, 1), {0, 0, 0, 88, 0, 0, 0, 1}, {0, 0}});
    file.resize(file.size() + 100000, 0x5A);
    CPalmDb db;
    ASSERT_EQ(readBytes(db, file), kDbOk);
    EXPECT_EQ(db.RecordAt(0)->GetLength(), 100000u);
    EXPECT_EQ(db.ToBytes(), file);
}

TEST(PalmDbRead, InfoBlocksSurviveAndRecordOffsetsAdvancePastThem) {
    CPalmDb db;
    db.SetName("Foreign");
    add(db, makeRecord({1, 2}, 5, 2));
    add(db, makeRecord({3}, 9));
    const Bytes app{10, 11, 12, 13, 14, 15};
    const Bytes sort{20, 21, 22};
    ASSERT_EQ(db.SetAppInfo(6, app.data()), kDbOk);
    ASSERT_EQ(db.SetSortInfo(3, sort.data()), kDbOk);
    db.SetLayoutFields();
    EXPECT_EQ(db.Header().appInfoID, 96u);
    EXPECT_EQ(db.Header().sortInfoID, 102u);
    const Bytes bytes = db.ToBytes();
    EXPECT_EQ(loadU32BE(&bytes[78]), 105u);

    CPalmDb back;
    ASSERT_EQ(readBytes(back, bytes), kDbOk);
    EXPECT_EQ(Bytes(back.AppInfo().begin(), back.AppInfo().end()), app);
    EXPECT_EQ(Bytes(back.SortInfo().begin(), back.SortInfo().end()), sort);
    EXPECT_EQ(back.RecordAt(0)->GetLength(), 2u);
    EXPECT_EQ(back.RecordAt(0)->GetCategory(), 2u);
    EXPECT_EQ(back.ToBytes(), bytes);
}

TEST(PalmDbRead, RefusesListsThatDoNotDescribeTheFile) {
    const auto withList = [](std::uint16_t n, Bytes list, std::uint32_t app = 0, std::uint32_t sort = 0) {
        return concat({header("Bad", 0, 0, 0, n, app, sort), list, {0, 0}, {1, 2, 3, 4}});
    };
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"offsets go backwards", withList(2, {0, 0, 0, 97, 0, 0, 0, 1, 0, 0, 0, 96, 0, 0, 0, 2})},
        {"offset past the end", withList(1, {0, 0, 0, 200, 0, 0, 0, 1})},
        {"offset inside the list", withList(1, {0, 0, 0, 50, 0, 0, 0, 1})},
        {"offset at 2^32 - 1", withList(1, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1})},
        {"app info past the end", withList(0, {}, 500)},
        {"sort info before app info", withList(0, {}, 83, 81)},
        {"app info after the first record", withList(1, {0, 0, 0, 88, 0, 0, 0, 1}, 90)},
        {"list longer than the file", concat({header("Bad", 0, 0, 0, 300), {1, 2, 3}})},
        {"header cut short", Bytes(40, 0)},
        {"no gap after the list", header("Bad", 0, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPalmDb db;
        auto e = catchException([&] { readBytes(db, c.file); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->GetCode(), kCodeReadError);
        EXPECT_STREQ(e->GetMessage(), "File IO read error");
        // Telling the layout from the header and list alone refuses the same files.
        auto layout = catchException([&] { db.ReadLayout(c.file, c.file.size()); });
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->GetCode(), kCodeReadError);
    }
}

TEST(PalmDbRead, EveryPrefixOfAValidFileIsReadOrRefusedCleanly) {
    CPalmDb db;
    add(db, makeRecord({1, 2, 3}, 1));
    add(db, makeRecord({4, 5}, 2));
    const Bytes app{9, 9};
    db.SetAppInfo(2, app.data());
    db.SetLayoutFields();
    const Bytes full = db.ToBytes();
    for (std::size_t n = 1; n < full.size(); ++n) {
        SCOPED_TRACE(n);
        CPalmDb back;
        const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        std::int32_t rc = -1;
        auto e = catchException([&] { rc = readBytes(back, prefix); });
        // A cut inside the last record still reads: that record is simply shorter.
        if (e) {
            EXPECT_EQ(e->GetCode(), kCodeReadError);
        } else {
            EXPECT_EQ(rc, kDbOk);
        }
        // The layout alone, from no more than the header, list and gap, gives the same answer.
        const std::size_t listEnd = std::min<std::size_t>(n, CPalmDb::kHeaderSize + 2 * 8 + CPalmDb::kGapSize);
        CPalmDb layout;
        const Bytes start(prefix.begin(), prefix.begin() + static_cast<std::ptrdiff_t>(listEnd));
        std::int32_t layoutRc = -1;
        EXPECT_EQ(bool(catchException([&] { layoutRc = layout.ReadLayout(start, n); })), bool(e));
        if (!e) {
            EXPECT_EQ(layoutRc, kDbOk);
            EXPECT_EQ(layout.Header().numRecords, 2u);
            EXPECT_EQ(layout.LiveCount(), 0u);
        }
    }
}

TEST(PalmDbRead, RecordsShareTheFileBytesUntilOneIsChanged) {
    CPalmDb db;
    add(db, makeRecord({1, 2, 3}, 1));
    add(db, makeRecord({4, 5}, 2));
    db.SetLayoutFields();
    auto file = std::make_shared<const Bytes>(db.ToBytes());
    const std::uint8_t* first = file->data();
    const std::size_t size = file->size();

    CPalmDb back;
    ASSERT_EQ(back.ReadFromBytes(file, *file), kDbOk);
    file.reset();  // the records keep the bytes alive
    CDbRecord* one = back.RecordAt(0);
    CDbRecord* two = back.RecordAt(1);
    EXPECT_EQ(one->GetData(), first + size - 5);
    EXPECT_EQ(two->GetData(), first + size - 2);

    CDbRecord copy;
    ASSERT_EQ(copy.SetDataOf(*one), kDbOk);
    EXPECT_EQ(copy.GetData(), one->GetData());
    ASSERT_EQ(one->SetData(2, one->GetData() + 1), kDbOk);  // from its own shared bytes
    EXPECT_EQ(Bytes(one->Bytes().begin(), one->Bytes().end()), (Bytes{2, 3}));
    EXPECT_EQ(Bytes(copy.Bytes().begin(), copy.Bytes().end()), (Bytes{1, 2, 3}));
    EXPECT_EQ(copy.Compare(makeRecord({1, 2, 3}, 9)), CDbRecord::kSame);
    back.Reset();
    EXPECT_EQ(Bytes(copy.Bytes().begin(), copy.Bytes().end()), (Bytes{1, 2, 3}));
}

TEST(PalmDbRead, InfoBlockOverItsBufferIsKeptWholeAndWrittenBack) {
    // 65,521 bytes of app info, one past the buffer SetAppInfo accepts, then one record.
    const std::uint32_t recordAt = 88 + CPalmDb::kInfoCapacity + 1;
    Bytes file = concat({header("App", 0, kXFnt, kFmgr, 1, 88), {0, 0, 0, 0, 0, 0, 0, 5}, {0, 0}});
    storeU32BE(&file[78], recordAt);
    file.resize(recordAt, 1);
    file.insert(file.end(), {7, 7, 7});
    CPalmDb db;
    ASSERT_EQ(readBytes(db, file), kDbOk);
    EXPECT_EQ(db.AppInfoLength(), CPalmDb::kInfoCapacity + 1);
    ASSERT_EQ(db.LiveCount(), 1u);
    EXPECT_EQ(db.RecordAt(0)->GetLength(), 3u);
    db.SetLayoutFields();
    EXPECT_EQ(db.ToBytes(), file);
}

TEST(PalmDbRead, FromAFileAndAnEmptyFile) {
    TempDir dir;
    CPalmDb db;
    add(db, makeRecord({1}, 1));
    db.SetLayoutFields();
    {
        CFile out;
        out.Open(dir.file("a.pdb"), 0x1002);
        EXPECT_EQ(db.Write(out), kDbOk);
    }
    CFile in;
    in.Open(dir.file("a.pdb"), CFile::modeRead);
    CPalmDb back;
    EXPECT_EQ(back.Read(in), kDbOk);
    EXPECT_EQ(back.ToBytes(), db.ToBytes());
    EXPECT_EQ(back.FileLength(), 89u);

    writeWholeFile(dir.file("empty.pdb"), {});
    CFile empty;
    empty.Open(dir.file("empty.pdb"), CFile::modeRead);
    EXPECT_EQ(back.Read(empty), kDbFileEmpty);
    EXPECT_EQ(back.LiveCount(), 0u);
}

// A database kept inside one of the database's own records is read from there: the bytes must be
// copied before reading frees the record they lie in.
TEST(PalmDbRead, FromBytesInOneOfItsOwnRecords) {
    CPalmDb inner;
    inner.SetName("Inner");
    CDbRecord record;
    const Bytes payload = {1, 2, 3, 4, 5};
    record.SetData(static_cast<std::uint32_t>(payload.size()), payload.data());
    inner.AddRecordClearFlags(record);
    inner.SetLayoutFields();
    const Bytes innerBytes = inner.ToBytes();

    CPalmDb outer;
    CDbRecord holder;
    holder.SetData(static_cast<std::uint32_t>(innerBytes.size()), innerBytes.data());
    outer.AddRecordClearFlags(holder);
    ASSERT_EQ(outer.ReadFromBytes(outer.RecordAt(0)->Bytes()), kDbOk);
    EXPECT_EQ(outer.GetName(), "Inner");
    ASSERT_EQ(outer.LiveCount(), 1u);
    EXPECT_EQ(Bytes(outer.RecordAt(0)->Bytes().begin(), outer.RecordAt(0)->Bytes().end()), payload);
}

TEST(PalmDbInfoBlocks, ResultCodes) {
    CPalmDb db;
    std::uint8_t buffer[4];
    std::uint32_t length = sizeof buffer;
    EXPECT_EQ(db.GetAppInfo(buffer, &length), kDbNoInfoBlock);
    EXPECT_EQ(db.SetAppInfo(4, nullptr), kDbNullArgument);
    const Bytes big(CPalmDb::kInfoCapacity + 1, 0);
    EXPECT_EQ(db.SetAppInfo(static_cast<std::uint32_t>(big.size()), big.data()), kDbAppInfoTooLarge);
    EXPECT_EQ(db.SetAppInfo(6, big.data()), kDbOk);
    EXPECT_EQ(db.GetAppInfo(buffer, &length), kDbBufferTooSmall);
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(db.GetAppInfo(nullptr, &length), kDbNullArgument);
    std::uint8_t enough[6];
    EXPECT_EQ(db.GetAppInfo(enough, &length), kDbOk);
}

TEST(PalmDbName, KeepsAtMostThirtyOneBytes) {
    CPalmDb db;
    db.SetName("0123456789012345678901234567890123456789");
    EXPECT_EQ(db.GetName(), "0123456789012345678901234567890");
    EXPECT_EQ(db.Header().name[31], 0);
}

TEST(PalmDbWrite, MoreRecordsThanTheCountHoldsAreRefusedBeforeAnyByte) {
    TempDir dir;
    CPalmDb db;
    CDbRecord r = makeRecord({}, 1);
    for (std::uint32_t i = 0; i < CPalmDb::kMaxRecords; ++i) ASSERT_EQ(db.AddRecord(r), kDbOk);
    Bytes image;
    ASSERT_EQ(db.BuildImage(image), kDbOk);
    EXPECT_EQ(image.size(), 80u + 8u * CPalmDb::kMaxRecords);
    ASSERT_EQ(db.AddRecord(r), kDbOk);
    EXPECT_EQ(db.BuildImage(image), kDbTooManyRecords);
    writeWholeFile(dir.file("a.pdb"), {1, 2, 3});
    CFile out;
    out.Open(dir.file("a.pdb"), CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate);
    EXPECT_EQ(db.Write(out), kDbTooManyRecords);
    out.Close();
    EXPECT_EQ(readWholeFile(dir.file("a.pdb")), (Bytes{1, 2, 3}));
}

TEST(PalmDbMemory, EveryFailedAllocationIsOutOfMemory) {
    CPalmDb db;
    for (auto r : {makeRecord({1, 2, 3}, 1), makeRecord({4}, 2)}) add(db, r);
    const Bytes app{9, 9};
    db.SetAppInfo(2, app.data());
    db.SetLayoutFields();
    const Bytes file = db.ToBytes();
    CDbRecord one = makeRecord({1}, 1);
    const std::function<std::int32_t()> operations[] = {
        [&] { CPalmDb back; return back.ReadFromBytes(file); },
        [&] {
            TempDir dir;
            writeWholeFile(dir.file("f.pdb"), file);
            CFile in;
            in.Open(dir.file("f.pdb"), CFile::modeRead);
            CPalmDb back;
            return back.Read(in);
        },
        [&] { Bytes image; return db.BuildImage(image); },
        [&] { CDbRecord r; return r.SetData(4, nullptr); },
        [&] { CPalmDb other; return other.AddRecord(one); },
        [&] { CPalmDb other; return other.SetSortInfo(2, app.data()); },
    };
    for (std::size_t i = 0; i < std::size(operations); ++i) {
        for (std::uint64_t n = 1;; ++n) {
            SCOPED_TRACE(testing::Message() << "operation " << i << ", allocation " << n);
            FailAllocationAt(n);
            const auto rc = operations[i]();
            const bool failed = AllocationFailed();
            FailAllocationAt(0);
            if (!failed) {
                EXPECT_EQ(rc, kDbOk);
                EXPECT_GT(n, 1u);
                break;
            }
            EXPECT_EQ(rc, kDbOutOfMemory);
        }
    }
}
