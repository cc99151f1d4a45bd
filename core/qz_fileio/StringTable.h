// StringTable.h: the program's string resources by number. The file library carries its own table
// (ids 1 to 24); a program adds its own texts once at start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qz_gen {

struct StringResource {
    std::uint32_t id;
    std::string_view text;
};

// Ids of the library's texts that its own code raises.
inline constexpr std::uint32_t kStrReadError = 8;    // "File IO read error"
inline constexpr std::uint32_t kStrWriteError = 9;   // "File IO write error"
inline constexpr std::uint32_t kStrFileIo = 10;      // "File IO"

// Codes of the exceptions raised with those texts.
inline constexpr std::int32_t kCodeReadError = 7;
inline constexpr std::int32_t kCodeWriteError = 8;
inline constexpr std::int32_t kCodeSeekError = 9;

// The text of string resource id, looked up in the tables the program registered and then in the
// library's own; none when no table has it.
std::optional<std::string_view> LoadProgramString(std::uint32_t id);

// Adds a program's table. The table must outlive every lookup (a static array); later tables win
// over earlier ones for the same id.
void RegisterProgramStrings(std::span<const StringResource> table);

// The library's own table, for tests and for programs that list it.
std::span<const StringResource> LibraryStrings();

}  // namespace qz_gen
