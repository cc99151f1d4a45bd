// CommandLine.h: what typehold, pictconv and hotsync share on the command line: one line and exit
// code 2 for a usage error, and the checks of a file to read and of a new file to write, whose
// causes name the problem in the user's words.
#pragma once

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cli {

// Exit codes shared by the tools: 0 done, 1 failed, 2 the command line was wrong.
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// A four-character code as text for a message, '?' standing for a byte that is not printable.
inline std::string fourCharCode(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>(code >> shift);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

// "program sub sub" of the deepest subcommand the command line chose.
inline std::string commandPath(const CLI::App& app) {
    std::string path = app.get_name();
    const CLI::App* at = &app;
    for (;;) {
        const auto chosen = at->get_subcommands();
        if (chosen.empty()) break;
        at = chosen.front();
        path += " " + at->get_name();
    }
    return path;
}

// "program: text (see program sub --help)" on stderr; returns kUsage.
inline int usageError(const CLI::App& app, const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::fprintf(stderr, "%s: %s (see %s --help)\n", app.get_name().c_str(), line.c_str(), commandPath(app).c_str());
    return kUsage;
}

// Parses the command line; none when the command is to run, else the exit code (0 after --help).
inline std::optional<int> parse(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::Success& e) {  // --help, --help-all, --version: the parser prints them
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usageError(app, e.what());
    }
}

// Why path cannot be read as a file; none when it can.
inline std::optional<std::string> cannotRead(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (!fs::exists(status)) return std::string("no such file");
    if (fs::is_directory(status)) return std::string("is a folder, not a file");
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return std::nullopt;
    }
    return std::string("cannot be read: ") + std::strerror(errno);
}

// Why a new file cannot be written at path; none when it can. An existing file is replaced only
// with overwrite.
inline std::optional<std::string> cannotCreate(const std::string& path, bool overwrite) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (fs::is_directory(status)) return std::string("is a folder, not a file");
    if (fs::exists(status) && !overwrite) return std::string("the file exists (use --overwrite to replace it)");
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) folder = ".";
    const auto folderStatus = fs::status(folder, ec);
    if (!fs::exists(folderStatus)) return "there is no folder " + folder.string();
    if (!fs::is_directory(folderStatus)) return folder.string() + " is not a folder";
    return std::nullopt;
}

// What a file of the wrong kind seems to be, for a message ("it is a PNG picture"); "" when it
// looks like nothing in particular.
inline std::string describeContent(std::span<const std::uint8_t> bytes) {
    const auto startsWith = [&](std::string_view magic) {
        return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin(),
                                                          [](char m, std::uint8_t b) { return std::uint8_t(m) == b; });
    };
    if (bytes.empty()) return "it is empty";
    if (startsWith("\x89PNG")) return "it is a PNG picture";
    if (startsWith("BM")) return "it is a .bmp picture";
    if (startsWith("\xFF\xD8\xFF")) return "it is a JPEG picture";
    if (startsWith("GIF8")) return "it is a GIF picture";
    if (startsWith("%PDF")) return "it is a PDF document";
    const std::size_t probe = std::min<std::size_t>(bytes.size(), 512);
    const bool text = std::all_of(bytes.begin(), bytes.begin() + std::ptrdiff_t(probe), [](std::uint8_t b) {
        return b == '\n' || b == '\r' || b == '\t' || b >= 0x20;
    });
    return text ? "it looks like a text file" : "";
}

}  // namespace cli
