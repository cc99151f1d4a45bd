// DeviceLinks.cpp: the TCP sources of handhelds and the framings.
#include "palmdesk/device/DeviceLinks.h"

#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"
#include "palmdesk/link/TcpPipe.h"

namespace palmdesk {

namespace {

class TcpSource final : public LinkSource {
public:
    TcpSource(Framing framing, std::uint16_t port, bool loopbackOnly)
        : framing_(framing),
          listener_(port != 0 ? port : framing == Framing::kNetSync ? link::kNetSyncPort : link::kSerialOverTcpPort, loopbackOnly) {}

    std::string Describe() const override {
        return (framing_ == Framing::kNetSync ? "network HotSync on port " : "the serial stack over TCP on port ") +
               std::to_string(listener_.port());
    }

    std::optional<DeviceConnection> Next(link::Millis timeout) override {
        auto pipe = listener_.accept(timeout);
        if (!pipe) return std::nullopt;
        std::string peer = pipe->peer();
        return DeviceConnection{std::move(pipe), std::move(peer), framing_, nullptr};
    }

private:
    Framing framing_;
    link::TcpListener listener_;
};

class PipeSource final : public LinkSource {
public:
    PipeSource(std::string description, Framing framing, std::function<std::unique_ptr<link::BytePipe>(link::Millis)> next)
        : description_(std::move(description)), framing_(framing), next_(std::move(next)) {}

    std::string Describe() const override { return description_; }

    std::optional<DeviceConnection> Next(link::Millis timeout) override {
        auto pipe = next_(timeout);
        if (!pipe) return std::nullopt;
        return DeviceConnection{std::move(pipe), description_, framing_, nullptr};
    }

private:
    std::string description_;
    Framing framing_;
    std::function<std::unique_ptr<link::BytePipe>(link::Millis)> next_;
};

class OpenedLinkSource final : public LinkSource {
public:
    OpenedLinkSource(std::string description, std::function<std::unique_ptr<link::OwningLink>(link::Millis)> next)
        : description_(std::move(description)), next_(std::move(next)) {}

    std::string Describe() const override { return description_; }

    std::optional<DeviceConnection> Next(link::Millis timeout) override {
        auto opened = next_(timeout);
        if (!opened) return std::nullopt;
        DeviceConnection connection;
        connection.peer = opened->description();
        connection.opened = std::move(opened);
        return connection;
    }

private:
    std::string description_;
    std::function<std::unique_ptr<link::OwningLink>(link::Millis)> next_;
};

}  // namespace

std::unique_ptr<LinkSource> SourceOfOpenedLinks(std::string description,
                                                std::function<std::unique_ptr<link::OwningLink>(link::Millis timeout)> next) {
    return std::make_unique<OpenedLinkSource>(std::move(description), std::move(next));
}

std::unique_ptr<LinkSource> SourceOf(std::string description, Framing framing,
                                     std::function<std::unique_ptr<link::BytePipe>(link::Millis timeout)> next) {
    return std::make_unique<PipeSource>(std::move(description), framing, std::move(next));
}

std::unique_ptr<LinkSource> ListenTcp(Framing framing, std::uint16_t port, bool loopbackOnly) {
    return std::make_unique<TcpSource>(framing, port, loopbackOnly);
}

std::unique_ptr<link::MessageLink> FrameLink(Framing framing, link::BytePipe& pipe, link::LinkTimeouts timeouts) {
    if (framing == Framing::kSerial) return std::make_unique<link::SerialLink>(pipe, link::Role::kDesktop, timeouts);
    return std::make_unique<link::NetSyncLink>(pipe, link::Role::kDesktop, timeouts);
}

}  // namespace palmdesk
