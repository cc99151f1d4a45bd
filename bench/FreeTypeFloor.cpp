// FreeTypeFloor.cpp: the least work a font conversion can do, as a program of its own for
// side-by-side timing: FreeType loads each face once and renders the characters a Western
// (code page 1252) font holds, bytes 0x1E to 0xFF, in black and white at each size and at twice
// each size, in one thread, and keeps nothing. As in a conversion, a byte the code page leaves
// undefined or the face lacks is not rendered, except 0x1F, the default character, which is
// drawn as the face's .notdef glyph.
//
//   freetype_floor FIRST_SIZE LAST_SIZE FONT_FILE...
#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/gdi/CodePages.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: freetype_floor FIRST_SIZE LAST_SIZE FONT_FILE...\n");
        return 2;
    }
    const int first = std::atoi(argv[1]), last = std::atoi(argv[2]);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return 1;
    std::vector<FT_Face> faces;
    for (int i = 3; i < argc; ++i) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, argv[i], 0, &face) != 0) {
            std::fprintf(stderr, "freetype_floor: cannot open %s\n", argv[i]);
            return 1;
        }
        faces.push_back(face);
    }
    const auto& unicode = gdi::ByteToUnicode(1252);
    unsigned long inked = 0;  // so that nothing can be left out as unused
    for (int size = first; size <= last; ++size)
        for (FT_Face face : faces)
            for (const int ppem : {size, 2 * size}) {
                FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
                for (unsigned ch = 0x1E; ch <= 0xFF; ++ch) {
                    const FT_UInt gid = unicode[ch] == gdi::kNoCharacter ? 0 : FT_Get_Char_Index(face, unicode[ch]);
                    if (gid == 0 && ch != 0x1F) continue;
                    if (FT_Load_Glyph(face, gid, FT_LOAD_TARGET_MONO) != 0) continue;
                    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) continue;
                    inked += face->glyph->bitmap.rows * static_cast<unsigned>(face->glyph->bitmap.pitch);
                }
            }
    for (FT_Face face : faces) FT_Done_Face(face);
    FT_Done_FreeType(library);
    std::printf("%lu\n", inked);
    return 0;
}
