// FontRequest.cpp: the engine's description of a requested font.
#include "FontRequest.h"

std::string FontRequest::FaceName() const {
    std::string name = face.substr(0, gdi::LF_FACESIZE - 1);
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    return name;
}

gdi::LOGFONT FontRequest::DescriptionAt(int pixels) const {
    // A negative height asks for the character height, without the internal leading.
    return gdi::makeLogFont(face, -pixels, weight, italic, charSet, pitchAndFamily);
}
