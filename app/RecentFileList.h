// RecentFileList.h: the main window's recent files. The registry holds the truth, under the
// application key's subkey "Recent Document List":
//   "DocumentCount"  REG_DWORD  the most entries the list keeps (2..16 when read; 4 by default)
//   "Document%i"     REG_SZ     the paths, i = 1 the newest
// In memory the list runs oldest first.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class RegistryStore;

class RecentFileList {
public:
    static constexpr std::size_t kDefaultCount = 4;
    static constexpr std::size_t kMinCount = 2;
    static constexpr std::size_t kMaxCount = 16;
    static constexpr std::size_t kMaxPathBytes = 260;
    // Values "Document(n+1)" .. this one are deleted when n entries are written.
    static constexpr std::size_t kLastDeleted = 15;

    explicit RecentFileList(RegistryStore& store) : store_(store) {}

    // Replaces the list by the stored one: the count clamped to 2..16, then each stored path from
    // the oldest to the newest; missing values and paths over 260 bytes are skipped.
    void Read();
    // Stores the count and every entry, then deletes the values past them up to "Document15".
    void Write() const;

    // Moves path to the newest place (an equal path without regard to case is dropped first),
    // dropping the oldest entry when the list is full.
    void Add(const std::string& path);
    void Remove(const std::string& path);

    // The path shown at position i of the menu (0 the newest); empty when there is none.
    std::string NewestAt(std::size_t index) const;
    std::vector<std::string> NewestFirst() const;
    std::size_t Size() const { return paths_.size(); }
    std::size_t MaxSize() const { return maxSize_; }

private:
    RegistryStore& store_;
    std::vector<std::string> paths_;  // oldest first
    std::size_t maxSize_ = kDefaultCount;
};
