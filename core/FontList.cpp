// FontList.cpp: loading, saving and editing the fonts of a Typehold file.
#include "FontList.h"

#include "FontRecord.h"
#include "MultibyteCompare.h"
#include "PathNames.h"
#include "core/qz_fileio/AllocationFaults.h"
#include "core/qz_fileio/AtomicWrite.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/File.h"
#include "core/qz_fileio/PalmDb.h"
#include "core/qz_fileio/PalmTime.h"
#include "platform/gdi/CodePages.h"
#include "platform/win/MappedFile.h"
#include "resources/converter/ConverterStrings.h"

#include <algorithm>
#include <future>
#include <iterator>
#include <new>
#include <optional>
#include <unordered_set>
#include <utility>

using qz_gen::CDbRecord;
using qz_gen::CPalmDb;

namespace {
std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// The database name: the file's title without carriage returns, in the code page the handheld
// reads it in, at most 31 bytes cut where a character ends. A title with a character the code
// page lacks keeps its UTF-8 bytes.
std::string databaseNameFor(const std::string& path, std::uint32_t codePage) {
    const std::string title = withoutCarriageReturns(fileTitle(path));
    const auto encoded = gdi::CodePageFromUtf8(title, codePage);
    std::string name = encoded.ok ? encoded.bytes : title;
    if (name.size() < 32) return name;
    std::size_t cut = 31;
    if (!encoded.ok) {
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    } else {
        // Double-byte characters: cut before the one that would cross the end.
        std::size_t whole = 0;
        for (std::size_t i = 0; i < name.size() && i < 31;) {
            const std::size_t length = isLeadByte(static_cast<std::uint8_t>(name[i]), codePage) ? 2 : 1;
            if (i + length > 31) break;
            i += length;
            whole = i;
        }
        cut = whole;
    }
    name.resize(cut);
    return name;
}

bool hasUniqueID(const CPalmDb& db, std::uint32_t id) { return db.SlotOfUniqueID(id) >= 0; }

// The file keeps the low 24 bits of a unique ID.
constexpr std::uint32_t kFileIDMask = 0xFFFFFF;

// "Fonts.pdb was not saved: out of memory."
Outcome failure(const std::string& path, const char* what, const char* cause) {
    return Outcome::Refused(fileNameOf(path) + " was not " + what + ": " + cause + ".", path, cause);
}

constexpr const char* kTextListFull = "A Typehold file holds at most 65,535 records; no more fonts can be added.";

// Runs a file operation on path: a qz_gen exception refuses with its text (its explanation as
// details) and running out of memory says so ("... was not <what>: out of memory."); any other
// exception stops without a message.
template <typename Operation>
Outcome reportingFileErrors(const std::string& path, const char* what, Operation operation) {
    try {
        return operation();
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        OutcomeMessage message = TextMessage(e->MessageToShow(), path);
        message.details = qz_gen::ExplainException(*e);
        return Outcome::Refused(std::move(message));
    } catch (const std::bad_alloc&) {
        return failure(path, what, qz_gen::DbResultText(qz_gen::kDbOutOfMemory));
    } catch (...) {
    }
    return Outcome::Stopped();
}
}  // namespace

CFontList::CFontList() = default;
CFontList::~CFontList() = default;

void CFontList::Clear() {
    entries_.clear();
    db_.reset();
    path_.clear();
}

bool CFontList::New() {
    Clear();
    try {
        db_ = std::make_unique<CPalmDb>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    db_->Reset();
    return true;
}

namespace {
using Entries = std::vector<std::unique_ptr<FontEntry>>;

// The entries of the records in slots [from, to) that hold a font or a font's header, in order.
// A mapped file's records are read through a buffer, in their order in the file.
Entries entriesOf(CPalmDb& db, std::uint32_t from, std::uint32_t to, bool mapped) {
    Entries entries;
    entries.reserve(to - from);
    std::optional<win::MappedFile::Reader> reader;
    if (mapped) reader.emplace();
    for (std::uint32_t slot = from; slot < to; ++slot) {
        CDbRecord* record = db.RecordAt(slot);
        if (record == nullptr || record->HasFlag(CDbRecord::kFlagDeleted)) continue;
        const auto bytes = reader ? reader->Read(record->Bytes()) : record->Bytes();
        auto font = ParseFontHeader(bytes);
        if (!font) continue;  // kept in the database, not listed
        auto entry = std::make_unique<FontEntry>();
        entry->record = record;
        if (font->header.headerOnly != 0) entry->headerOnly = 1;
        else entry->highDensity = font->font.fontType & CFontRecord::kHighDensityBit;
        entry->size = static_cast<std::uint8_t>(font->header.pointSize & 0xFF);
        entry->name = std::move(font->name);
        entry->style = std::move(font->style);
        entries.push_back(std::move(entry));
    }
    return entries;
}

// The file's 24 bits of each assigned unique ID with its record, by ID and, for one ID, in slot
// order: the first record of an ID keeps it at a save, a later one needs a new ID as much as a
// record without one.
std::vector<std::pair<std::uint32_t, CDbRecord*>> heldIDs(CPalmDb& db) {
    qz_gen::AllocationPoint();
    std::vector<std::pair<std::uint32_t, CDbRecord*>> held;
    held.reserve(db.LiveCount());
    for (std::uint32_t slot = 0; slot < db.UsedLength(); ++slot) {
        CDbRecord* r = db.RecordAt(slot);
        if (r != nullptr && r->GetUniqueID() != CDbRecord::kUnassigned)
            held.emplace_back(r->GetUniqueID() & kFileIDMask, r);
    }
    // IDs that ascend already (a file whose fonts were added in their order) are not sorted again.
    const auto byID = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(held.begin(), held.end(), byID)) std::stable_sort(held.begin(), held.end(), byID);
    return held;
}

// Whether the next save gives a present record a new unique ID (see AssignUniqueIDs).
bool needsNewID(CPalmDb& db) {
    const auto held = heldIDs(db);
    const auto sameID = [](const auto& a, const auto& b) { return a.first == b.first; };
    return held.size() < db.LiveCount() || std::adjacent_find(held.begin(), held.end(), sameID) != held.end();
}
}  // namespace

Outcome CFontList::Load(const std::string& path) {
    Clear();
    try {
        db_ = std::make_unique<CPalmDb>();
    } catch (const std::bad_alloc&) {
        return Outcome::Stopped();
    }
    path_ = path;
    Outcome loaded = reportingFileErrors(path, "opened", [&] {
        std::int32_t rc;
        {
            qz_gen::CFile file;
            file.Open(path, qz_gen::CFile::modeRead);
            rc = db_->Read(file, mapFiles_ ? CPalmDb::Hold::Map : CPalmDb::Hold::Copy);
        }
        // A database read only in part must never be listed: its next save would drop every record
        // that was not read. An empty file is left to the type test.
        if (rc != qz_gen::kDbOk && rc != qz_gen::kDbFileEmpty)
            return failure(path, "opened", qz_gen::DbResultText(rc));
        if (!IsFontDatabase()) {
            OutcomeMessage message = ConverterMessage(converter::kStrNotTypeholdDatabase);
            message.file = path;
            return Outcome::Refused(std::move(message));
        }
        if (!listOnLoad_ && !needsNewID(*db_)) return Outcome::Done();
        // A long list is read on two threads, each through half of the records.
        constexpr std::uint32_t kSplitFrom = 4096;
        const std::uint32_t used = db_->UsedLength();
        const std::uint32_t half = used >= kSplitFrom ? used / 2 : used;
        std::future<Entries> second;
        if (half < used)
            second = std::async(std::launch::async | std::launch::deferred,
                                [&] { return entriesOf(*db_, half, used, mapFiles_); });
        entries_ = entriesOf(*db_, 0, half, mapFiles_);
        if (second.valid()) {
            Entries rest = second.get();
            entries_.insert(entries_.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));
        }
        return Outcome::Done();
    });
    // Nothing half-read stays behind to be saved by mistake.
    if (!loaded) Clear();
    return loaded;
}

bool CFontList::IsFontDatabase() const {
    return db_ && db_->Header().creator == kCreatorFmgr && db_->Header().type == kTypeXFnt;
}

std::uint32_t CFontList::MaxUniqueID() const {
    std::uint32_t highest = 0;
    if (!db_) return highest;
    for (std::uint32_t slot = 0; slot < db_->UsedLength(); ++slot) {
        const CDbRecord* r = db_->RecordAt(slot);
        if (r == nullptr || r->GetUniqueID() == CDbRecord::kUnassigned) continue;
        highest = std::max(highest, r->GetUniqueID());
    }
    return highest;
}

void CFontList::AssignUniqueIDs() {
    const auto held = heldIDs(*db_);
    std::vector<std::uint32_t> used;
    used.reserve(held.size());
    for (const auto& [id, record] : held) {
        if (!used.empty() && used.back() == id) record->SetUniqueID(CDbRecord::kUnassigned);
        else used.push_back(id);
    }

    // Above the highest ID while the 24 bits last, then the lowest free ones from 1 (everything
    // above the highest held ID has been given out by then).
    const std::uint32_t highest = used.empty() ? 0 : used.back();
    std::uint32_t next = highest + 1;
    bool wrapped = false;
    auto usedAbove = used.begin();
    const auto nextFree = [&]() -> std::optional<std::uint32_t> {
        if (!wrapped && next <= kFileIDMask) return next++;
        if (!wrapped) {
            wrapped = true;
            next = 1;
        }
        for (; next < highest; ++next) {
            usedAbove = std::lower_bound(usedAbove, used.end(), next);
            if (*usedAbove != next) return next++;
        }
        return std::nullopt;  // only with more records than a file can hold, which Write refuses
    };
    const auto give = [&](CDbRecord* r) {
        if (r == nullptr || r->GetUniqueID() != CDbRecord::kUnassigned) return;
        const auto id = nextFree();
        if (!id) return;
        r->SetUniqueID(*id);
        r->SetFlag(CDbRecord::kFlagNew, true);
    };
    // Listed fonts first, in list order, so that a new document's first font gets ID 1.
    for (const auto& entry : entries_) give(entry->record);
    for (std::uint32_t slot = 0; slot < db_->UsedLength(); ++slot) give(db_->RecordAt(slot));
}

Outcome CFontList::Save(const std::string& path) {
    if (!db_) return Outcome::Stopped();
    return reportingFileErrors(path, "saved", [&] {
        AssignUniqueIDs();
        auto& header = db_->Header();
        header = qz_gen::PalmDbHeader();
        db_->SetName(databaseNameFor(path, codePage_));
        header.creationDate = header.modificationDate = qz_gen::PalmNow();
        header.type = kTypeXFnt;
        header.creator = kCreatorFmgr;
        // Record count, and the places of an info block kept from another program's file.
        db_->SetLayoutFields();
        qz_gen::WriteDatabaseFile(path, *db_);
        return Outcome::Done();
    });
}

int CFontList::AppendEntry(std::unique_ptr<FontEntry> entry) {
    try {
        entries_.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<int>(entries_.size() - 1);
}

bool CFontList::RefuseWhenFull(Outcome* refusal) const {
    if (db_->LiveCount() < CPalmDb::kMaxRecords) return false;
    if (refusal) *refusal = Outcome::Refused(kTextListFull, path_, "the file holds 65,535 records");
    return true;
}

int CFontList::AddConverted(const CFontRecord& font, Outcome* refusal) {
    if (!db_ || RefuseWhenFull(refusal)) return -1;
    auto bytes = Serialise(font);
    if (!bytes) return -1;
    // The record takes the bytes over: a batch of large fonts is not copied again on its way in.
    std::unique_ptr<CDbRecord> record;
    try {
        record = std::make_unique<CDbRecord>();
    } catch (const std::bad_alloc&) {
        return -1;
    }
    // Held as shared bytes, so that copies of the record (into the document, after a batch)
    // share them rather than copy them.
    try {
        auto owner = std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes));
        record->ShareData(owner, std::span<const std::uint8_t>(*owner));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    CDbRecord* stored = record.get();
    if (db_->AdoptRecord(std::move(record)) != qz_gen::kDbOk) return -1;
    auto entry = std::make_unique<FontEntry>();
    entry->record = stored;
    entry->highDensity = font.font.fontType & CFontRecord::kHighDensityBit;
    entry->size = static_cast<std::uint8_t>(font.header.pointSize & 0xFF);
    entry->name = font.name;
    entry->style = font.style;
    return AppendEntry(std::move(entry));
}

int CFontList::AddCopy(const FontEntry& source, Outcome* refusal) {
    if (!db_ || source.record == nullptr) return -1;
    const std::uint32_t id = source.record->GetUniqueID();
    return addCopy(source, id != CDbRecord::kUnassigned && hasUniqueID(*db_, id), refusal);
}

std::size_t CFontList::AddCopies(const CFontList& source, Outcome* refusal) {
    if (!db_) return 0;
    std::size_t added = 0;
    try {
        // Only copies that carry an ID need the table: a converted font has none until it is saved.
        const bool withIDs = std::any_of(source.entries_.begin(), source.entries_.end(), [](const auto& e) {
            return e->record != nullptr && e->record->GetUniqueID() != CDbRecord::kUnassigned;
        });
        std::unordered_set<std::uint32_t> held;
        if (withIDs) {
            qz_gen::AllocationPoint();
            held.reserve(db_->LiveCount() + source.Count());
            for (std::uint32_t slot = 0; slot < db_->UsedLength(); ++slot)
                if (const CDbRecord* r = db_->RecordAt(slot)) held.insert(r->GetUniqueID());
        }
        for (; added < source.Count(); ++added) {
            const FontEntry& entry = *source.At(added);
            if (entry.record == nullptr) break;
            const std::uint32_t id = entry.record->GetUniqueID();
            const bool taken = id != CDbRecord::kUnassigned && held.contains(id);
            if (addCopy(entry, taken, refusal) < 0) break;
            if (!taken && withIDs) held.insert(id);
        }
    } catch (const std::bad_alloc&) {
        // The copies made so far stay, as after a failed AddCopy.
    }
    return added;
}

int CFontList::addCopy(const FontEntry& source, bool idTaken, Outcome* refusal) {
    if (RefuseWhenFull(refusal)) return -1;
    // The copy is made where the database keeps it, so that its bytes are not copied again on
    // their way in (they are shared with the source's where the source shares them).
    std::unique_ptr<CDbRecord> copy;
    try {
        qz_gen::AllocationPoint();
        copy = std::make_unique<CDbRecord>();
    } catch (const std::bad_alloc&) {
        return -1;
    }
    if (copy->SetDataOf(*source.record) != qz_gen::kDbOk) return -1;
    // Two records of one database must not share an ID; a copy whose ID is taken gets a new
    // one at the next save.
    copy->SetUniqueID(idTaken ? CDbRecord::kUnassigned : source.record->GetUniqueID());
    copy->SetCategory(source.record->GetCategory());
    copy->SetPrivate(source.record->IsPrivate());
    copy->SetFlags(0);
    copy->SetSecondaryFlags(0);
    CDbRecord* stored = copy.get();
    if (db_->AdoptRecord(std::move(copy)) != qz_gen::kDbOk) return -1;
    std::unique_ptr<FontEntry> entry;
    try {
        entry = std::make_unique<FontEntry>(source);
    } catch (const std::bad_alloc&) {
        db_->RemoveRecord(stored);
        return -1;
    }
    entry->record = stored;
    const int index = AppendEntry(std::move(entry));
    if (index < 0) db_->RemoveRecord(stored);
    return index;
}

bool CFontList::Delete(FontEntry* entry) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [entry](const auto& e) { return e.get() == entry; });
    if (it == entries_.end() || !db_) return false;
    if (db_->RemoveRecord(entry->record) != qz_gen::kDbOk) return false;
    entries_.erase(it);
    return true;
}

bool CFontList::Rename(FontEntry* entry, const std::string& name, const std::string& style) {
    if (entry == nullptr || entry->record == nullptr) return false;
    entry->name = name;
    entry->style = style;
    const auto renamed =
        RenameFontRecord(entry->record->Bytes(), withoutCarriageReturns(name), withoutCarriageReturns(style));
    if (!renamed) return false;
    entry->record->AdoptData(*renamed);
    return true;
}

void CFontList::Sort() {
    const auto before = [this](const auto& a, const auto& b) {
        if (const int c = compareNoCase(a->name, b->name, codePage_); c != 0) return c < 0;
        if (const int c = compareNoCase(a->style, b->style, codePage_); c != 0) return c < 0;
        return a->size < b->size;
    };
    // A list read from a file is sorted already and fonts added go at its end: only those are
    // sorted, then merged in. Merging two stably sorted runs, the first's equal entries first,
    // gives what one stable sort of the whole list gives.
    const auto sortedEnd = std::is_sorted_until(entries_.begin(), entries_.end(), before);
    std::stable_sort(sortedEnd, entries_.end(), before);
    std::inplace_merge(entries_.begin(), sortedEnd, entries_.end(), before);
}
