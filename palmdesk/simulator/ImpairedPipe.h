// ImpairedPipe.h: a link made worse on purpose, for trying a desktop against delays and a handheld
// that vanishes: every packet written waits `latency` first, and the link drops (closes) instead
// of writing packet number dropAt (counted from 1; 0 never).
#pragma once

#include "palmdesk/link/BytePipe.h"

namespace palmdesk::sim {

class ImpairedPipe final : public link::BytePipe {
public:
    ImpairedPipe(link::BytePipe& inner, link::Millis latency, int dropAt) : inner_(inner), latency_(latency), dropAt_(dropAt) {}
    std::size_t readSome(std::span<std::uint8_t> buffer, link::Millis timeout) override { return inner_.readSome(buffer, timeout); }
    void writeAll(std::span<const std::uint8_t> data, link::Millis timeout) override;
    void close() override { inner_.close(); }
    int packetsWritten() const { return written_; }

private:
    link::BytePipe& inner_;
    link::Millis latency_;
    int dropAt_;
    int written_ = 0;
};

}  // namespace palmdesk::sim
