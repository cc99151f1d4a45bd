// RecentFileList.cpp: reading, changing and storing the recent-file list.
#include "RecentFileList.h"

#include "RegistryStore.h"
#include "core/PathNames.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr const char* kSection = "Recent Document List";
constexpr const char* kCountValue = "DocumentCount";

std::string entryName(std::size_t i) {
    char name[32];
    std::snprintf(name, sizeof name, "Document%zu", i);
    return name;
}
}  // namespace

void RecentFileList::Read() {
    paths_.clear();
    if (!store_.OpenSection(kSection)) return;
    std::uint32_t count = 0;
    if (store_.GetDword(kCountValue, count))
        maxSize_ = std::clamp<std::size_t>(count, kMinCount, kMaxCount);
    for (std::size_t i = maxSize_; i >= 1; --i) {
        std::string path;
        if (store_.GetSectionString(entryName(i), path, kMaxPathBytes) && !path.empty()) paths_.push_back(path);
    }
    store_.CloseSection();
}

void RecentFileList::Write() const {
    if (!store_.OpenSection(kSection)) return;
    store_.SetDword(kCountValue, static_cast<std::uint32_t>(maxSize_));
    const std::size_t count = paths_.size();
    for (std::size_t i = 1; i <= count; ++i) store_.SetSectionString(entryName(i), paths_[count - i]);
    for (std::size_t i = count + 1; i <= kLastDeleted; ++i) store_.DeleteSectionValue(entryName(i));
    store_.CloseSection();
}

void RecentFileList::Add(const std::string& path) {
    Remove(path);
    while (paths_.size() >= maxSize_) paths_.erase(paths_.begin());
    paths_.push_back(path);
}

void RecentFileList::Remove(const std::string& path) {
    std::erase_if(paths_, [&](const std::string& p) { return SameFilePath(p, path); });
}

std::string RecentFileList::NewestAt(std::size_t index) const {
    return index < paths_.size() ? paths_[paths_.size() - 1 - index] : std::string();
}

std::vector<std::string> RecentFileList::NewestFirst() const { return {paths_.rbegin(), paths_.rend()}; }
