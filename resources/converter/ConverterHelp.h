// ConverterHelp.h: the converter's help page (HTML), built into the program so that it is there
// wherever the program is installed.
#pragma once

namespace converter {

const char* ConverterHelpHtml();

}  // namespace converter
