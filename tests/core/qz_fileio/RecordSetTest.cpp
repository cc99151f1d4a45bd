// Tests of records and the record set: copying data out, comparing, slots and reordering.
#include "core/qz_fileio/RecordSet.h"

#include "core/qz_fileio/DbResult.h"

#include <gtest/gtest.h>

using namespace qz_gen;

namespace {
CDbRecord record(std::uint32_t id, std::uint8_t byte, std::uint32_t category = 0, std::uint32_t flags = 0) {
    CDbRecord r;
    r.SetData(1, &byte);
    r.SetUniqueID(id);
    r.SetCategory(category);
    r.SetFlags(flags);
    return r;
}

std::vector<std::uint32_t> idsInSlotOrder(const CRecordSet& set) {
    std::vector<std::uint32_t> ids;
    for (std::uint32_t s = 0; s < set.UsedLength(); ++s)
        if (const auto* r = set.RecordAt(s)) ids.push_back(r->GetUniqueID());
    return ids;
}
}  // namespace

TEST(CDbRecord, CopyDataReportsNullAndShortBuffers) {
    const CDbRecord r = record(1, 0x42);
    std::uint32_t length = 0;
    std::uint8_t out[2] = {};
    EXPECT_EQ(r.CopyData(nullptr, &length), kDbNullDestination);
    EXPECT_EQ(r.CopyData(out, &length), kDbBufferTooSmall);
    EXPECT_EQ(length, 1u);
    length = 2;
    EXPECT_EQ(r.CopyData(out, &length), kDbOk);
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(out[0], 0x42);
}

TEST(CDbRecord, CompareNamesTheFirstDifference) {
    CDbRecord a = record(1, 1);
    EXPECT_EQ(a.Compare(record(2, 1)), CDbRecord::kSame);  // IDs do not count
    EXPECT_EQ(a.Compare(CDbRecord()), CDbRecord::kLengthDiffers);
    EXPECT_EQ(a.Compare(record(1, 2)), CDbRecord::kBytesDiffer);
    EXPECT_EQ(a.Compare(record(1, 1, 4)), CDbRecord::kCategoryDiffers);
    CDbRecord secret = record(1, 1);
    secret.SetPrivate(true);
    EXPECT_EQ(a.Compare(secret), CDbRecord::kPrivateDiffers);
    a.Reset();
    EXPECT_EQ(a.GetUniqueID(), CDbRecord::kUnassigned);
    EXPECT_EQ(a.GetResourceID(), CDbRecord::kUnassigned);
    EXPECT_EQ(a.GetLength(), 0u);
}

TEST(CRecordSet, GrowsByTwoThousandSlots) {
    CRecordSet set;
    for (std::uint32_t i = 0; i < 2001; ++i) {
        CDbRecord r = record(i, 0);
        ASSERT_EQ(set.AddRecord(r), kDbOk);
        EXPECT_EQ(r.GetIndex(), i);
    }
    EXPECT_EQ(set.Capacity(), 4000u);
    EXPECT_EQ(set.LiveCount(), 2001u);
    EXPECT_EQ(set.UsedLength(), 2001u);
}

TEST(CRecordSet, LookupsSkipEmptySlots) {
    CRecordSet set;
    for (std::uint32_t id : {10u, 20u, 30u}) {
        CDbRecord r = record(id, static_cast<std::uint8_t>(id));
        set.AddRecord(r);
    }
    ASSERT_EQ(set.RemoveRecordAt(1), kDbOk);
    EXPECT_EQ(set.RemoveRecordAt(1), kDbRemoveNotFound);
    EXPECT_EQ(set.RemoveRecord(nullptr), kDbRemoveNotFound);
    CDbRecord stranger;
    EXPECT_EQ(set.RemoveRecord(&stranger), kDbRemoveNotFound);
    EXPECT_EQ(set.SlotOfUniqueID(30), 2);
    EXPECT_EQ(set.SlotOfUniqueID(20), -1);
    CDbRecord out;
    ASSERT_EQ(set.CopyNthRecord(1, out), kDbOk);
    EXPECT_EQ(out.GetUniqueID(), 30u);
    EXPECT_EQ(set.CopyNthRecord(2, out), kDbRecordNotFound);
    EXPECT_EQ(set.CopyRecordByUniqueID(20, out), kDbRecordNotFound);
    EXPECT_EQ(set.LiveCount(), 2u);
    EXPECT_EQ(set.UsedLength(), 3u);
}

TEST(CRecordSet, AddWithFlagsClearedKeepsTheCallersFlags) {
    CRecordSet set;
    CDbRecord r = record(1, 0, 0, CDbRecord::kFlagDirty | CDbRecord::kFlagNew);
    r.SetSecondaryFlags(3);
    ASSERT_EQ(set.AddRecordClearFlags(r), kDbOk);
    EXPECT_EQ(set.RecordAt(0)->GetFlags(), 0u);
    EXPECT_EQ(set.RecordAt(0)->GetSecondaryFlags(), 0u);
    EXPECT_EQ(r.GetFlags(), CDbRecord::kFlagDirty | CDbRecord::kFlagNew);
    EXPECT_EQ(r.GetIndex(), 0u);
}

TEST(CRecordSet, ReorderModesPackTheRecordsStably) {
    const auto fill = [](CRecordSet& set) {
        const std::pair<std::uint32_t, std::uint32_t> idCategory[] = {{3, 2}, {1, 1}, {2, 2}, {4, 0}};
        for (const auto& [id, category] : idCategory) {
            CDbRecord r = record(id, 0, category, id == 2 ? std::uint32_t{CDbRecord::kFlagDirty} : 0u);
            set.AddRecord(r);
        }
        set.RemoveRecordAt(3);
    };
    struct Case {
        int mode;
        std::vector<std::uint32_t> ids;
    };
    const Case cases[] = {
        {CRecordSet::kByUniqueID, {1, 2, 3}},
        {CRecordSet::kFlaggedFirst, {2, 3, 1}},
        {CRecordSet::kByCategory, {1, 3, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        CRecordSet set;
        fill(set);
        ASSERT_EQ(set.Reorder(c.mode), kDbOk);
        EXPECT_EQ(idsInSlotOrder(set), c.ids);
        EXPECT_EQ(set.UsedLength(), 3u);
        EXPECT_EQ(set.RecordAt(2)->GetIndex(), 2u);
    }
    CRecordSet set;
    EXPECT_EQ(set.Reorder(9), kDbUnknownIterationMode);
}

TEST(CRecordSet, ReorderByUniqueIDsChecksTheList) {
    CRecordSet set;
    for (std::uint32_t id : {5u, 6u, 7u}) {
        CDbRecord r = record(id, 0);
        set.AddRecord(r);
    }
    const std::uint32_t tooFew[] = {5, 6};
    const std::uint32_t unknown[] = {5, 6, 8};
    const std::uint32_t twice[] = {5, 5, 6};
    const std::uint32_t good[] = {7, 5, 6};
    EXPECT_EQ(set.ReorderByUniqueIDs(tooFew), kDbOrderWrongCount);
    EXPECT_EQ(set.ReorderByUniqueIDs(unknown), kDbOrderUnknownID);
    EXPECT_EQ(set.ReorderByUniqueIDs(twice), kDbOrderUnknownID);
    EXPECT_EQ(idsInSlotOrder(set), (std::vector<std::uint32_t>{5, 6, 7}));
    EXPECT_EQ(set.ReorderByUniqueIDs(good), kDbOk);
    EXPECT_EQ(idsInSlotOrder(set), (std::vector<std::uint32_t>{7, 5, 6}));
}
