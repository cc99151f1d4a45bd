// FontList.h: CFontList, the fonts of a Typehold file: the database that holds their records and
// one entry per listed font, in display order.
#pragma once

#include "FontEntry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CFontRecord;
class DocumentUi;

namespace qz_gen {
class CPalmDb;
}

class CFontList {
public:
    static constexpr std::uint32_t kCreatorFmgr = 0x464D4752;  // 'FMGR'
    static constexpr std::uint32_t kTypeXFnt = 0x78466E74;     // 'xFnt'
    static constexpr std::size_t kMaxNameLength = 63;
    static constexpr std::size_t kMaxStyleLength = 31;

    explicit CFontList(DocumentUi& ui);
    ~CFontList();
    CFontList(const CFontList&) = delete;
    CFontList& operator=(const CFontList&) = delete;

    // An empty list with an empty database.
    bool New();
    void Clear();
    // Reads the Typehold file at path. Shows "The file is not a valid Typehold database!" for
    // another kind of database and the exception's text for a file error; false then.
    bool Load(const std::string& path);
    // Writes every record of the database to path, new records getting the next unique IDs.
    // The file at path is replaced only once the whole database is written; a failure shows the
    // error's text and returns false.
    bool Save(const std::string& path);
    bool IsFontDatabase() const;

    // Adds the serialised record of font; the new entry's index, or -1.
    int AddConverted(const CFontRecord& font);
    // Adds a copy of another list's entry and its record; the new entry's index, or -1.
    int AddCopy(const FontEntry& entry);
    bool Delete(FontEntry* entry);
    // Replaces name and style in the entry and its record (carriage returns are dropped there).
    bool Rename(FontEntry* entry, const std::string& name, const std::string& style);
    // By name, then style (both without regard to case), then size.
    void Sort();
    // The largest assigned unique ID of a record not flagged deleted; 0 when there is none.
    std::uint32_t MaxUniqueID() const;

    std::size_t Count() const { return entries_.size(); }
    FontEntry* At(std::size_t index) { return entries_[index].get(); }
    const FontEntry* At(std::size_t index) const { return entries_[index].get(); }
    qz_gen::CPalmDb* Database() { return db_.get(); }
    const qz_gen::CPalmDb* Database() const { return db_.get(); }
    const std::string& Path() const { return path_; }

    // The code page whose double-byte characters Sort compares as units.
    void SetCodePage(std::uint32_t codePage) { codePage_ = codePage; }

private:
    int AppendEntry(std::unique_ptr<FontEntry> entry);
    void ShowException(const char* text);
    template <typename Operation>
    bool ReportingFileErrors(Operation operation);

    DocumentUi& ui_;
    std::vector<std::unique_ptr<FontEntry>> entries_;
    std::unique_ptr<qz_gen::CPalmDb> db_;
    std::string path_;
    std::uint32_t codePage_ = 1252;
};
