// PreviewCommand.cpp: draws a font record the way the handheld would lay out its characters.
#include "PreviewCommand.h"

#include "CommandError.h"
#include "CommandLineUi.h"
#include "InputFiles.h"
#include "PngWriter.h"
#include "app/FontPreview.h"
#include "core/FontDoc.h"
#include "core/FontRecord.h"
#include "core/qz_fileio/DbRecord.h"

#include <cstdio>

int runPreview(const std::string& file, unsigned entry, const std::string& out, bool overwrite) {
    return runReportingErrors(file, [&] {
        requireInput(file, Expected::TypeholdFile);
        requireNewOutput(out, overwrite, true);
        CommandLineUi ui(file);
        CFontDoc doc(ui);
        if (!doc.OnOpenDocument(file)) return 1;
        doc.Fonts().Sort();
        if (entry >= doc.Fonts().Count())
            throw CommandError("no font at index " + std::to_string(entry) + " (the file lists " +
                               std::to_string(doc.Fonts().Count()) + ")");
        const auto font = Parse(doc.Fonts().At(entry)->record->Bytes());
        if (!font || font->header.headerOnly != 0) throw CommandError("the record holds no font to draw");
        if (const auto fault = HandheldLimitFault(*font)) throw CommandError(*fault);

        const GreyImage image = DrawFontPreview(*font);
        std::string why;
        if (!writePng(out, image, why)) throw CommandError(out + ": " + why);
        std::printf("wrote %s (%d x %d)\n", out.c_str(), image.width, image.height);
        return 0;
    });
}
