// InstalledFaces.h: the installed TrueType faces as the font engine reads them once: fontconfig's
// list of outline font files, each face's names, style, character sets and pitch and family, and
// which character set a face realises for a request.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gdi {

// One installed face, as the engine read it when it was made.
struct InstalledFace {
    std::string file;
    int index = 0;
    std::string family;    // name ID 1, as GDI shows it
    std::string fullName;  // name ID 4
    std::string style;     // name ID 2
    bool bold = false;
    bool italic = false;
    bool trueType = false;  // glyf outlines
    bool symbol = false;    // a (3,0) symbol cmap
    std::uint32_t codePageRange1 = 0;
    std::uint8_t tmPitchAndFamily = 0;
};

// fontconfig's outline font files (TrueType and CFF) with their face indexes, named instances of
// variable fonts left out, in file order.
std::vector<std::pair<std::string, int>> FontconfigFiles();
// The files of files whose face may belong to one of families (ignoring case): those whose
// 'name' table gives one of them (NameTableFamily), and those whose table does not settle it.
// ScanFaces of the files left out would give no face of those families.
std::vector<std::pair<std::string, int>> FilesOfFamilies(const std::vector<std::pair<std::string, int>>& files,
                                                         const std::vector<std::string>& families);
// The faces of files that carry OS/2, hhea and head tables and a family name.
std::vector<InstalledFace> ScanFaces(const std::vector<std::pair<std::string, int>>& files);

// Whether bit of OS/2 ulCodePageRange1 is set (a bit of -1 never is).
bool HasCodePageBit(std::uint32_t codePageRange1, int bit);
bool Supports(const InstalledFace& face, std::uint8_t charSet);
// The character set a face realises for a request: the request itself, or for DEFAULT the ANSI
// one when the face has it, else its first supported set.
std::uint8_t RealisedCharset(const InstalledFace& face, std::uint8_t requested);

}  // namespace gdi
