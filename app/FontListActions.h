// FontListActions.h: what the font list view's buttons do to the document, without windows:
// adding one font, deleting the selected fonts, choosing the font to edit, the details dialog's
// checks, and installing the saved document.
#pragma once

#include "PalmUser.h"
#include "core/FontRequest.h"
#include "platform/gdi/FontEngine.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CFontDoc;
struct FontEntry;

// What the details dialog shows and hands back. Name and style are UTF-8 text here; the record
// holds them in codePage, the desktop's code page the handheld reads them in.
struct FontDetails {
    bool canChange = true;   // false: the High-density box is disabled
    int highDensity = 1;     // 0 or 1; a value outside 0..2 shows unchecked
    std::string size;        // the point size as "%d"
    std::string name;
    std::string style;
    std::uint32_t codePage = 1252;
};

// The details a new font is proposed with: the face name, "B" for a weight above 400 and "I"
// for italic, the size, High-density checked and changeable.
FontDetails ProposedDetails(const FontRequest& font);

// The details dialog's OK: the name is checked first, then the style. Each must be text the code
// page has every character of, and fit 63 (name) or 31 (style) bytes in it.
enum class DetailsProblem { None, NameTooLong, StyleTooLong, NameCharacter, StyleCharacter };
struct DetailsCheck {
    DetailsProblem problem = DetailsProblem::None;
    std::uint32_t character = 0;  // the character the code page lacks
    std::string name, style;      // in the code page, when there is no problem
};
DetailsCheck CheckDetails(const std::string& name, const std::string& style, std::uint32_t codePage);
// The message for a name or style holding a character the code page lacks.
std::string MissingCharacterText(const DetailsCheck& check, std::uint32_t codePage);

// A font's details as the dialog shows them: name and style turned into UTF-8 from the list's
// code page, without losing a byte.
FontDetails DetailsOf(const CFontDoc& doc, const FontEntry& entry);
// Edit's OK: gives entry the dialog's name and style in the list's code page (checked with
// CheckDetails first). A name that was not changed keeps its bytes.
bool RenameFont(CFontDoc& doc, FontEntry& entry, const FontDetails& details);

// The point size of the font dialog's size in tenths of a point (made positive).
int PointSizeFromTenths(int tenths);

// Add Font: builds the record (two densities when highDensity), names it from details and adds
// it as ConvertOne does. The new entry, or null with ConvertOne's refusal in refusal (a record
// too large for a handheld names the font and its size; anything else is "Unknown font
// error"); the document is unchanged then.
FontEntry* AddSingleFont(gdi::FontEngine& engine, CFontDoc& doc, const FontRequest& font, const FontDetails& details,
                         Outcome& refusal);

// Asks a question with Yes and No; true for Yes.
using YesNoQuestion = std::function<bool(const std::string& question)>;

// Delete: refuses with message 146 when nothing is selected and asks message 147; then deletes
// every selected entry the document lets go of. The positions in selected of the entries
// deleted, or none when nothing was selected (refusal set) or the answer was not Yes.
std::optional<std::vector<std::size_t>> DeleteFonts(CFontDoc& doc, const std::vector<FontEntry*>& selected,
                                                    const YesNoQuestion& ask, Outcome& refusal);

// Edit: the first selected entry that the document holds; null, with message 146 in refusal,
// when nothing is selected.
FontEntry* FontToEdit(CFontDoc& doc, const std::vector<FontEntry*>& selected, Outcome& refusal);

// Install: runs the Save command first; a cancelled or failed save (its outcome returned)
// installs nothing.
Outcome InstallDocument(const std::function<Outcome()>& saveCommand, CFontDoc& doc, PalmUserList& users,
                        win::HMODULE aide, UserChooser& chooser);
