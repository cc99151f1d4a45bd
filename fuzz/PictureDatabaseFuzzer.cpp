// Fuzz target: the picture a picture database holds. Whatever the bytes, the database reader and
// the picture's assembly end, read nothing outside them, and a picture handed back is exactly as
// long as the database's info block says; it then goes through the decoder.
#include "core/qz_fileio/Exception.h"
#include "core/qz_fileio/PalmDb.h"
#include "picture/PictureExporter.h"
#include "platform/bytes/ByteOrder.h"
#include "tools/pictconv/PictureDatabase.h"

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qz_gen::CPalmDb db;
    try {
        if (db.ReadFromBytes({data, size}) != 0) return 0;
    } catch (qz_gen::CException* caught) {
        std::unique_ptr<qz_gen::CException> e(caught);
        return 0;
    }
    std::string why;
    const auto picture = pictureRecordOf(db, why);
    if (!picture) {
        if (why.empty()) std::abort();
        return 0;
    }
    const auto info = db.AppInfo();
    const std::uint32_t length = bytes::loadU32BE(info.data() + 2);
    if (picture->size() != length) std::abort();
    PictureExporter exporter;
    exporter.decodePicture(*picture);
    return 0;
}
