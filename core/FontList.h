// FontList.h: CFontList, the fonts of a Typehold file: the database that holds their records and
// one entry per listed font, in display order.
#pragma once

#include "FontEntry.h"
#include "Outcome.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CFontRecord;

namespace qz_gen {
class CPalmDb;
}

class CFontList {
public:
    static constexpr std::uint32_t kCreatorFmgr = 0x464D4752;  // 'FMGR'
    static constexpr std::uint32_t kTypeXFnt = 0x78466E74;     // 'xFnt'
    static constexpr std::size_t kMaxNameLength = 63;
    static constexpr std::size_t kMaxStyleLength = 31;

    CFontList();
    ~CFontList();
    CFontList(const CFontList&) = delete;
    CFontList& operator=(const CFontList&) = delete;

    // An empty list with an empty database.
    bool New();
    void Clear();
    // Reads the Typehold file at path. Refuses with "The file is not a valid Typehold database!"
    // for another kind of database, the exception's text (its explanation as details) for a file
    // error, and what happened when the file cannot be read whole (out of memory); the list is
    // left empty then.
    Outcome Load(const std::string& path);
    // Writes every record of the database to path, records without a unique ID (or sharing the
    // file's 24 bits of one with another record) getting new ones. The file at path is replaced
    // only once the whole database is written (see AtomicWrite.h); a failure leaves the file as
    // it was and refuses with the error's text.
    Outcome Save(const std::string& path);
    bool IsFontDatabase() const;

    // Adds the serialised record of font; the new entry's index, or -1. A database that already
    // holds 65,535 records (the most a file can) refuses; refusal, when given, then gets the
    // message that says so.
    int AddConverted(const CFontRecord& font, Outcome* refusal = nullptr);
    // Adds a copy of another list's entry and its record; the new entry's index, or -1. Refuses
    // past 65,535 records as AddConverted does.
    int AddCopy(const FontEntry& entry, Outcome* refusal = nullptr);
    // Adds copies of every entry of source, in order, as AddCopy would one by one, looking the
    // IDs up in a table made once rather than in the whole database for each copy. The number
    // added: short of source.Count() only when a copy could not be added (memory, a full file).
    std::size_t AddCopies(const CFontList& source, Outcome* refusal = nullptr);
    bool Delete(FontEntry* entry);
    // Replaces name and style in the entry and its record (carriage returns are dropped there).
    bool Rename(FontEntry* entry, const std::string& name, const std::string& style);
    // By name, then style (both without regard to case), then size.
    void Sort();
    // The largest assigned unique ID of any record, deleted ones included (they stay in the file
    // and keep their IDs); 0 when there is none.
    std::uint32_t MaxUniqueID() const;

    std::size_t Count() const { return entries_.size(); }
    FontEntry* At(std::size_t index) { return entries_[index].get(); }
    const FontEntry* At(std::size_t index) const { return entries_[index].get(); }
    qz_gen::CPalmDb* Database() { return db_.get(); }
    const qz_gen::CPalmDb* Database() const { return db_.get(); }
    const std::string& Path() const { return path_; }

    // The code page names and styles are held in (the bytes the records carry); Sort compares
    // its double-byte characters as units.
    void SetCodePage(std::uint32_t codePage) { codePage_ = codePage; }
    std::uint32_t CodePage() const { return codePage_; }
    // Whether Load maps the file rather than copying it into memory (CPalmDb::Hold::Map): for a
    // command that writes the fonts elsewhere before it ends, never for a document a window keeps.
    void SetMapFiles(bool map) { mapFiles_ = map; }
    // Whether Load lists the file's fonts (it does unless told otherwise). A command that only
    // adds fonts to a file and saves it can do without: Load then lists none of them, and Count,
    // At and Sort cover the fonts added since. The file saved is the same: the records stay as
    // read, and the fonts added get the IDs they would get in the whole list. Where a record of
    // the file itself needs a new ID at the save (those are given in list order), Load lists the
    // fonts as usual.
    void SetListOnLoad(bool list) { listOnLoad_ = list; }

private:
    int AppendEntry(std::unique_ptr<FontEntry> entry);
    // AddCopy, told whether another record of the database holds the source's unique ID.
    int addCopy(const FontEntry& entry, bool idTaken, Outcome* refusal);
    void AssignUniqueIDs();
    // True, with the message in refusal when given, when the database cannot take another record.
    bool RefuseWhenFull(Outcome* refusal) const;

    std::vector<std::unique_ptr<FontEntry>> entries_;
    std::unique_ptr<qz_gen::CPalmDb> db_;
    std::string path_;
    std::uint32_t codePage_ = 1252;
    bool mapFiles_ = false;
    bool listOnLoad_ = true;
};
