// StrikeCache.cpp: strikes kept by their font description while a later build expects them.
#include "StrikeCache.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

// Descriptions are compared by their bytes, which needs a description without padding.
static_assert(std::has_unique_object_representations_v<gdi::LOGFONT>);

struct StrikeCache::Strike {
    GlyphCells cells;
    gdi::TEXTMETRIC metrics;
    std::size_t bytes = 0;
};

namespace {
std::size_t cellBytes(const GlyphCells& cells) {
    std::size_t bytes = sizeof(GlyphCells);
    for (const auto& cell : cells) bytes += cell.bits.size();
    return bytes;
}
}  // namespace

StrikeCache::StrikeCache(const std::vector<FontRequest>& requests, bool highDensity, std::size_t byteLimit)
    : highDensity_(highDensity), byteLimit_(byteLimit) {
    for (const auto& request : requests)
        for (const auto& key : keysOf(request)) ++expected_[key];
}

StrikeCache::~StrikeCache() = default;

std::vector<StrikeCache::Key> StrikeCache::keysOf(const FontRequest& request) const {
    std::vector<Key> keys;
    for (const int pixels : {request.pointSize, 2 * request.pointSize}) {
        const gdi::LOGFONT description = request.DescriptionAt(pixels);
        Key key;
        std::memcpy(key.data(), &description, sizeof description);
        keys.push_back(key);
        if (!highDensity_) break;
    }
    return keys;
}

void StrikeCache::Begin(const FontRequest& request) {
    const auto keys = keysOf(request);
    std::lock_guard lock(mutex_);
    for (const auto& key : keys) {
        const auto it = expected_.find(key);
        if (it != expected_.end() && it->second > 0) --it->second;
    }
}

void StrikeCache::End(const FontRequest& request) {
    const auto keys = keysOf(request);
    std::shared_ptr<const Strike> unused;  // let go outside the lock
    std::lock_guard lock(mutex_);
    for (const auto& key : keys) {
        const auto it = expected_.find(key);
        if (it == expected_.end() || it->second > 0) continue;
        expected_.erase(it);
        const auto strike = kept_.find(key);
        if (strike == kept_.end()) continue;
        keptBytes_ -= strike->second->bytes;
        unused = std::move(strike->second);
        kept_.erase(strike);
    }
}

bool StrikeCache::worthKeeping(const Key& key, std::size_t bytes) const {
    const auto it = expected_.find(key);
    return it != expected_.end() && it->second > 0 && bytes <= byteLimit_ - std::min(keptBytes_, byteLimit_);
}

bool StrikeCache::Render(const gdi::LOGFONT& description, gdi::Font& font, GlyphCells& cells,
                         gdi::TEXTMETRIC& metrics) {
    Key key;
    std::memcpy(key.data(), &description, sizeof description);
    std::shared_ptr<const Strike> kept;
    {
        std::lock_guard lock(mutex_);
        if (const auto it = kept_.find(key); it != kept_.end()) kept = it->second;
    }
    if (kept) {
        cells = kept->cells;
        metrics = kept->metrics;
        return true;
    }
    const bool drawn = RenderStrike(font, cells, metrics);
    {
        std::lock_guard lock(mutex_);
        ++drawn_;
    }
    // A strike that could not be drawn is not kept: it may draw another time.
    if (!drawn) return false;
    const std::size_t bytes = cellBytes(cells);
    {
        std::lock_guard lock(mutex_);
        if (!worthKeeping(key, bytes)) return true;
    }
    try {
        auto strike = std::make_shared<const Strike>(Strike{cells, metrics, bytes});
        // Asked again: another build may have begun or kept strikes while the copy was made.
        std::lock_guard lock(mutex_);
        if (worthKeeping(key, bytes) && kept_.emplace(key, std::move(strike)).second) keptBytes_ += bytes;
    } catch (const std::bad_alloc&) {
        // Not kept; a later build draws it again.
    }
    return true;
}

std::size_t StrikeCache::Drawn() const {
    std::lock_guard lock(mutex_);
    return drawn_;
}

std::size_t StrikeCache::KeptStrikes() const {
    std::lock_guard lock(mutex_);
    return kept_.size();
}

std::size_t StrikeCache::KeptBytes() const {
    std::lock_guard lock(mutex_);
    return keptBytes_;
}
