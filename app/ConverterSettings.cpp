// ConverterSettings.cpp: the add-font choices the converter remembers per user (point sizes and
// which are converted, script, styles, double density), kept in the registry under "Preferences":
// "Script" REG_DWORD character set of the chosen script.
#include "ConverterSettings.h"

#include "RegistryStore.h"
#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"
#include "resources/converter/ConverterStrings.h"

namespace {
constexpr const char* kSection = "Preferences";
constexpr std::uint32_t kSizesBytes = 168;
constexpr std::uint32_t kStylesBytes = 16;
}  // namespace

ConverterSettings::ConverterSettings() {
    for (std::size_t i = 0; i < kSizeCount; ++i) {
        sizes[i].size = static_cast<std::uint32_t>(kFirstSize + i);
        sizes[i].checked = (sizes[i].size == 9 || sizes[i].size == 12 || sizes[i].size == 14) ? 1 : 0;
    }
}

void ConverterSettings::Load(RegistryStore& store) {
    if (!store.OpenSection(kSection)) return;
    store.GetDword("Script", script);
    store.GetDword("Create HiRes", createHiRes);
    std::uint8_t sizeBytes[kSizesBytes];
    std::uint32_t length = 0;
    // A value of another length is not this program's: it is ignored as a whole. Within the
    // value, a pair whose size is not one the list offers (0, 3000, ...) is ignored the same way,
    // so that the list keeps its 21 sizes in ascending order, each once.
    if (store.GetBinary("L-R Sizes", sizeBytes, kSizesBytes, &length) && length == kSizesBytes) {
        bytes::ByteReader words(sizeBytes, std::endian::little);
        for (std::size_t i = 0; i < kSizeCount; ++i) {
            const std::uint32_t size = *words.readU32();
            const std::uint32_t checked = *words.readU32();
            if (size < kFirstSize || size >= kFirstSize + kSizeCount) continue;
            sizes[size - kFirstSize].checked = checked != 0 ? 1 : 0;
        }
    }
    std::uint8_t styleBytes[kStylesBytes];
    if (store.GetBinary("Styles", styleBytes, kStylesBytes, &length) && length == kStylesBytes) {
        bytes::ByteReader words(styleBytes, std::endian::little);
        for (auto& style : styles) style = *words.readU32();
    }
    store.CloseSection();
}

void ConverterSettings::Save(RegistryStore& store) const {
    if (!store.OpenSection(kSection)) return;
    store.SetDword("Script", script);
    store.SetDword("Create HiRes", createHiRes);
    std::uint8_t sizeBytes[kSizesBytes];
    bytes::ByteWriter sizeWords(sizeBytes, std::endian::little);
    for (const auto& size : sizes) {
        sizeWords.writeU32(size.size);
        sizeWords.writeU32(size.checked);
    }
    store.SetBinary("L-R Sizes", sizeBytes, kSizesBytes);
    std::uint8_t styleBytes[kStylesBytes];
    bytes::ByteWriter styleWords(styleBytes, std::endian::little);
    for (const auto style : styles) styleWords.writeU32(style);
    store.SetBinary("Styles", styleBytes, kStylesBytes);
    store.CloseSection();
}

Outcome ConverterSettings::ValidateForExport() const { return ValidateChoices(CheckedStyleCount(), CheckedSizeCount()); }

Outcome ConverterSettings::ValidateChoices(int styleCount, int sizeCount) {
    if (styleCount == 0) return Outcome::Refused(converter::kStrNoDefaultStyles);
    if (sizeCount == 0) return Outcome::Refused(converter::kStrNoDefaultSizes);
    return Outcome::Done();
}

int ConverterSettings::CheckedSizeCount() const {
    int n = 0;
    for (const auto& s : sizes) n += s.checked != 0;
    return n;
}

std::vector<int> ConverterSettings::CheckedSizes() const {
    std::vector<int> out;
    for (const auto& s : sizes)
        if (s.checked) out.push_back(static_cast<int>(s.size));
    return out;
}

int ConverterSettings::CheckedStyleCount() const {
    int n = 0;
    for (const auto s : styles) n += s != 0;
    return n;
}
