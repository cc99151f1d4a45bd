// FontList.cpp: loading, saving and editing the fonts of a Typehold file.
#include "FontList.h"

#include "DocumentUi.h"
#include "FontRecord.h"
#include "MultibyteCompare.h"
#include "PathNames.h"
#include "core/qz_fileio/AtomicWrite.h"
#include "core/qz_fileio/DbResult.h"
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/File.h"
#include "core/qz_fileio/PalmDb.h"
#include "core/qz_fileio/PalmTime.h"
#include "platform/win/MessageBoxTypes.h"
#include "resources/converter/ConverterStrings.h"

#include <algorithm>
#include <new>

using qz_gen::CDbRecord;
using qz_gen::CPalmDb;

namespace {
std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// The database name: the file's title without carriage returns, at most 31 characters.
std::string databaseNameFor(const std::string& path) {
    std::string name = withoutCarriageReturns(fileTitle(path));
    if (name.size() >= 32) name.resize(31);
    return name;
}

bool hasUniqueID(const CPalmDb& db, std::uint32_t id) { return db.SlotOfUniqueID(id) >= 0; }
}  // namespace

// Runs a file operation: a qz_gen exception shows its text and gives false, any other gives false.
template <typename Operation>
bool CFontList::ReportingFileErrors(Operation operation) {
    try {
        return operation();
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        ShowException(e->GetMessage());
    } catch (...) {
    }
    return false;
}

CFontList::CFontList(DocumentUi& ui) : ui_(ui) {}
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

void CFontList::ShowException(const char* text) {
    ui_.MessageBox(text ? text : "Unknown exception", win::MB_OK);
}

bool CFontList::Load(const std::string& path) {
    Clear();
    try {
        db_ = std::make_unique<CPalmDb>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    path_ = path;
    return ReportingFileErrors([&] {
        {
            qz_gen::CFile file;
            file.Open(path, qz_gen::CFile::modeRead);
            // The result code is not consulted: the type test below decides.
            db_->Read(file);
        }
        if (!IsFontDatabase()) {
            ui_.MessageBox(converter::LoadConverterString(converter::kStrNotTypeholdDatabase), win::MB_OK);
            return false;
        }
        for (std::uint32_t slot = 0; slot < db_->UsedLength(); ++slot) {
            CDbRecord* record = db_->RecordAt(slot);
            if (record == nullptr || record->HasFlag(CDbRecord::kFlagDeleted)) continue;
            auto entry = std::make_unique<FontEntry>();
            entry->record = record;
            const auto summary = ParseHeaderOnly(record->Bytes());
            if (!summary) continue;
            if (summary->header.headerOnly != 0) {
                entry->headerOnly = 1;
            } else {
                const auto font = Parse(record->Bytes());
                if (!font) continue;  // kept in the database, not listed
                entry->highDensity = font->font.fontType & CFontRecord::kHighDensityBit;
            }
            entry->size = static_cast<std::uint8_t>(summary->header.pointSize & 0xFF);
            entry->name = summary->name;
            entry->style = summary->style;
            entries_.push_back(std::move(entry));
        }
        return true;
    });
}

bool CFontList::IsFontDatabase() const {
    return db_ && db_->Header().creator == kCreatorFmgr && db_->Header().type == kTypeXFnt;
}

std::uint32_t CFontList::MaxUniqueID() const {
    std::uint32_t highest = 0;
    if (!db_) return highest;
    for (std::uint32_t slot = 0; slot < db_->UsedLength(); ++slot) {
        const CDbRecord* r = db_->RecordAt(slot);
        if (r == nullptr || r->HasFlag(CDbRecord::kFlagDeleted) || r->GetUniqueID() == CDbRecord::kUnassigned)
            continue;
        highest = std::max(highest, r->GetUniqueID());
    }
    return highest;
}

bool CFontList::Save(const std::string& path) {
    if (!db_) return false;
    return ReportingFileErrors([&] {
        std::uint32_t id = MaxUniqueID();
        for (const auto& entry : entries_) {
            if (entry->record->GetUniqueID() != CDbRecord::kUnassigned) continue;
            entry->record->SetUniqueID(++id);
            entry->record->SetFlag(CDbRecord::kFlagNew, true);
        }
        auto& header = db_->Header();
        header = qz_gen::PalmDbHeader();
        db_->SetName(databaseNameFor(path));
        header.creationDate = header.modificationDate = qz_gen::PalmNow();
        header.type = kTypeXFnt;
        header.creator = kCreatorFmgr;
        // Record count, and the places of an info block kept from another program's file.
        db_->SetLayoutFields();
        qz_gen::WriteFileAtomically(path, [&](qz_gen::CFile& file) { db_->Write(file); });
        return true;
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

int CFontList::AddConverted(const CFontRecord& font) {
    if (!db_) return -1;
    const auto bytes = Serialise(font);
    if (!bytes) return -1;
    CDbRecord record;
    if (record.SetData(static_cast<std::uint32_t>(bytes->size()), bytes->data()) != qz_gen::kDbOk) return -1;
    if (db_->AddRecordClearFlags(record) != qz_gen::kDbOk) return -1;
    auto entry = std::make_unique<FontEntry>();
    entry->record = db_->RecordAt(record.GetIndex());
    entry->highDensity = font.font.fontType & CFontRecord::kHighDensityBit;
    entry->size = static_cast<std::uint8_t>(font.header.pointSize & 0xFF);
    entry->name = font.name;
    entry->style = font.style;
    return AppendEntry(std::move(entry));
}

int CFontList::AddCopy(const FontEntry& source) {
    if (!db_ || source.record == nullptr) return -1;
    CDbRecord copy;
    if (copy.SetData(source.record->GetLength(), source.record->GetData()) != qz_gen::kDbOk) return -1;
    // Two records of one database must not share an ID; a copy whose ID is taken gets a new
    // one at the next save.
    const std::uint32_t id = source.record->GetUniqueID();
    copy.SetUniqueID(id != CDbRecord::kUnassigned && hasUniqueID(*db_, id) ? CDbRecord::kUnassigned : id);
    copy.SetCategory(source.record->GetCategory());
    copy.SetPrivate(source.record->IsPrivate());
    if (db_->AddRecordClearFlags(copy) != qz_gen::kDbOk) return -1;
    CDbRecord* stored = db_->RecordAt(copy.GetIndex());
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
    std::stable_sort(entries_.begin(), entries_.end(), [this](const auto& a, const auto& b) {
        if (const int c = compareNoCase(a->name, b->name, codePage_); c != 0) return c < 0;
        if (const int c = compareNoCase(a->style, b->style, codePage_); c != 0) return c < 0;
        return a->size < b->size;
    });
}
