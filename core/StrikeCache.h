// StrikeCache.h: the strikes a batch of conversions draws, kept for a later conversion of the
// batch that draws the same one. A double-density font draws its second strike at about twice
// its size, which is the single strike of the font twice as large: a batch of 6 to 24 points at
// double density draws 7 of its 38 strikes per style twice without the cache.
#pragma once

#include "FontRequest.h"
#include "GlyphRasteriser.h"

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class StrikeCache {
public:
    static constexpr std::size_t kDefaultByteLimit = std::size_t(64) << 20;

    // A cache for the builds of requests, each expected to draw its strike at its size and, at
    // double density, another at twice its size. It keeps at most byteLimit bytes of cells.
    StrikeCache(const std::vector<FontRequest>& requests, bool highDensity,
                std::size_t byteLimit = kDefaultByteLimit);
    ~StrikeCache();
    StrikeCache(const StrikeCache&) = delete;
    StrikeCache& operator=(const StrikeCache&) = delete;

    // The build of request begins: it is no longer expected. Each build of the requests begins
    // once and ends once, on any thread.
    void Begin(const FontRequest& request);
    // The build of request ended: strikes that no build still to begin expects are let go.
    void End(const FontRequest& request);

    // RenderStrike(font, cells, metrics) for font, the engine's font of description, or a copy of
    // what it gave when it drew the same description before. A strike drawn here is kept while a
    // build not yet begun is expected to draw it and the limit allows; running out of memory
    // while keeping one only means it is drawn again.
    bool Render(const gdi::LOGFONT& description, gdi::Font& font, GlyphCells& cells, gdi::TEXTMETRIC& metrics);

    std::size_t Drawn() const;         // strikes drawn by Render
    std::size_t KeptStrikes() const;   // strikes kept now
    std::size_t KeptBytes() const;

private:
    using Key = std::array<char, sizeof(gdi::LOGFONT)>;
    struct Strike;

    std::vector<Key> keysOf(const FontRequest& request) const;
    // Whether a strike of bytes drawn for key is expected by a build not yet begun and fits the
    // limit; called with mutex_ held.
    bool worthKeeping(const Key& key, std::size_t bytes) const;

    const bool highDensity_;
    const std::size_t byteLimit_;
    mutable std::mutex mutex_;
    std::map<Key, int> expected_;  // by description: builds not yet begun that draw it
    std::map<Key, std::shared_ptr<const Strike>> kept_;
    std::size_t keptBytes_ = 0;
    std::size_t drawn_ = 0;
};
