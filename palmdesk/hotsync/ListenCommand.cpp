// ListenCommand.cpp: a HotSync for each handheld that connects: its system and user information,
// the desktop user it belongs to, the user's lock, the engine's synchronisation with the Sync API
// bound to the device, the device's own log, the last-sync date and the end status.
#include "ListenCommand.h"

#include "HotSyncCommands.h"
#include "palmdesk/HotSyncLog.h"
#include "palmdesk/SyncEngine.h"
#include "palmdesk/UserLock.h"
#include "palmdesk/UserStore.h"
#include "palmdesk/device/DeviceHandheld.h"
#include "palmdesk/dlp/DlpDevice.h"
#include "palmdesk/dlp/SessionDecoder.h"
#include "palmdesk/link/SessionTrace.h"
#include "palmdesk/link/local/LocalLink.h"
#include "platform/win/WholeFile.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace palmdesk {

namespace {

// Set by Ctrl+C: the HotSync in progress ends before its next request, the waiting ends.
std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted = true; }

void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND;  // a second Ctrl+C ends the program at once
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);  // a handheld that vanished is a failed write, not the end
}

void progress(const std::string& text) {
    std::fprintf(stderr, "hotsync: %s\n", text.c_str());
    std::fflush(stderr);
}

// The device's own log holds what its screen can show: the start of ours, whole lines.
constexpr std::size_t kDeviceLogLimit = 2000;

std::string deviceLogText(const std::string& log) {
    if (log.size() <= kDeviceLogLimit) return log;
    const std::size_t cut = log.rfind('\n', kDeviceLogLimit - 40);
    return log.substr(0, cut == std::string::npos ? 0 : cut + 1) + "(the rest is in HotSync.log on the desktop)\n";
}

// The desktop's ID as the handheld records the last PC it synchronised with.
std::uint32_t desktopId() { return static_cast<std::uint32_t>(::gethostid()); }

class DeviceSession {
public:
    DeviceSession(dlp::DlpDevice& device, std::string peer, const ListenOptions& options)
        : device_(device), peer_(std::move(peer)), options_(options) {}

    int run() {
        dlp::SysInfo system;
        if (const auto r = device_.readSysInfo(system); !r.ok()) return Fail("the handheld at " + peer_ + " stopped: " + r.message);
        dlp::UserInfo owner;
        if (const auto r = device_.readUserInfo(owner); !r.ok()) return Fail("the handheld at " + peer_ + " stopped: " + r.message);
        UserStore users;
        std::string user = owner.name;
        const bool firstSync = user.empty();
        if (firstSync) {
            if (options_.user.empty())
                return refuse("the handheld at " + peer_ + " has no user yet; say which desktop user it belongs to with "
                              "hotsync listen --user NAME");
            user = options_.user;
        }
        const auto account = users.Find(user);
        if (!account || account->profile)
            return refuse("the handheld's user \"" + user + "\" is not a user of this desktop (add it with hotsync user add \"" +
                          user + "\")");
        const UserLock lock(users, user, "hotsync listen");
        if (!lock.Held()) return refuse("a HotSync of " + user + " cannot start: " + lock.Refusal());
        if (firstSync) {
            // As on a handheld's first HotSync: it takes the desktop user's name and ID.
            dlp::WriteUserInfoRequest write;
            write.userId = account->id;
            write.name = user;
            write.modified = dlp::kUserModUserId | dlp::kUserModName;
            if (const auto r = device_.writeUserInfo(write); !r.ok())
                return Fail("the handheld at " + peer_ + " did not take the user " + user + ": " + r.message);
        }
        progress("HotSync of " + user + " with the handheld at " + peer_);
        return synchronise(user);
    }

private:
    // Tells the handheld and the terminal why no HotSync runs.
    int refuse(const std::string& why) {
        device_.addSyncLogEntry("HotSync refused: " + why + "\n");
        device_.endOfSync(dlp::kEndOther);
        return Fail(why);
    }

    int synchronise(const std::string& user) {
        DeviceHandheld handheld(device_, &interrupted);
        SyncTarget target;
        target.device = &handheld;
        target.beforeConduit = [&](const std::string& label) {
            if (!handheld.Trouble().empty()) return false;
            progress("HotSync of " + user + ": " + label);
            const auto r = device_.openConduit();
            if (r.status == dlp::DlpStatus::kCancelled) cancelledOnHandheld_ = true;
            return r.ok();
        };
        target.trouble = [&] {
            if (cancelledOnHandheld_) return std::string("the HotSync was cancelled on the handheld");
            return handheld.Trouble();
        };
        const SyncOutcome outcome = RunSynchronisation(user, options_.type, target);
        const auto logText = win::ReadWholeFile(outcome.logPath);
        const bool linkUp = device_.linkFailure().empty();
        if (linkUp) {
            if (logText) device_.addSyncLogEntry(deviceLogText(std::string(logText->begin(), logText->end())));
            if (outcome.completed) {
                dlp::WriteUserInfoRequest write;
                write.lastSync = dlp::DlpDateTime::fromTime(std::time(nullptr));
                write.lastSyncPc = desktopId();
                write.modified = dlp::kUserModSyncDate | dlp::kUserModSyncPc;
                device_.writeUserInfo(write);
            }
            const std::uint16_t status = interrupted || cancelledOnHandheld_ ? dlp::kEndUserCancelled
                                         : outcome.problems == 0             ? dlp::kEndNormal
                                                                             : dlp::kEndOther;
            device_.endOfSync(status);
        }
        if (logText) std::fwrite(logText->data(), 1, logText->size(), stdout);
        std::fflush(stdout);
        if (linkUp && !device_.linkFailure().empty())
            return Fail("the handheld at " + peer_ + " did not hear the end of the HotSync: " + device_.linkFailure());
        return outcome.problems == 0 && linkUp ? 0 : 1;
    }

    dlp::DlpDevice& device_;
    std::string peer_;
    const ListenOptions& options_;
    bool cancelledOnHandheld_ = false;
};

// A cable's link, opened already: its session, and its trace when one was asked for.
int syncOpened(DeviceConnection& connection, const ListenOptions& options) {
    link::OwningLink& messages = *connection.opened;
    int result = 0;
    try {
        dlp::DlpDevice device(messages);
        result = DeviceSession(device, connection.peer, options).run();
    } catch (const link::LinkError& e) {
        result = Fail("the handheld on " + connection.peer + " broke the link: " + e.what());
    }
    messages.close();
    if (!options.trace.empty() && messages.trace()) {
        std::string why;
        if (!link::writeTraceFile(options.trace, *messages.trace(), why)) result = Fail(why);
    }
    return result;
}

int syncConnection(DeviceConnection& connection, const ListenOptions& options) {
    if (connection.opened) return syncOpened(connection, options);
    link::TracingPipe traced(*connection.pipe, link::Role::kDesktop);
    link::BytePipe& pipe = options.trace.empty() ? *connection.pipe : static_cast<link::BytePipe&>(traced);
    const auto messages = FrameLink(connection.framing, pipe);
    int result = 0;
    try {
        messages->open();
        dlp::DlpDevice device(*messages);
        result = DeviceSession(device, connection.peer, options).run();
    } catch (const link::LinkError& e) {
        result = Fail("the handheld at " + connection.peer + " did not open the link: " + e.what());
    }
    messages->close();
    if (!options.trace.empty()) {
        std::string why;
        if (!link::writeTraceFile(options.trace, traced.trace(), why)) result = Fail(why);
    }
    return result;
}

}  // namespace

int Listen(LinkSource& source, const ListenOptions& options) {
    catchInterrupt();
    progress("waiting for handhelds: " + source.Describe() + " (Ctrl+C ends)");
    int failures = 0;
    while (!interrupted) {
        std::optional<DeviceConnection> connection;
        try {
            connection = source.Next(link::Millis{250});
        } catch (const link::LinkError& e) {
            return Fail(e.what());
        }
        if (!connection) continue;
        progress("a handheld connected from " + connection->peer);
        if (syncConnection(*connection, options) != 0) ++failures;
        if (options.once) break;
    }
    if (interrupted) progress("stopped");
    return failures == 0 ? 0 : 1;
}

std::unique_ptr<LinkSource> ListenCable(link::CableLinkRequest request) {
    request.cancelled = [] { return interrupted.load(); };
    std::string description = request.kind == link::CableLinkRequest::kUsb ? "a handheld on USB" : "a handheld on " + request.path;
    return SourceOfOpenedLinks(std::move(description), [request](link::Millis timeout) mutable {
        // A serial port or USB bus is watched a few seconds at a time, so that a HotSync starting
        // between two looks is not missed; Ctrl+C ends the wait through the request.
        request.wait = std::max(timeout, link::Millis{3000});
        return link::openCableLink(request);
    });
}

int DecodeSession(const std::string& path) {
    link::SessionTrace trace;
    std::string why;
    if (!link::readTraceFile(path, trace, why)) return Fail(why);
    for (const auto& line : dlp::describeSession(trace)) std::printf("%s\n", line.c_str());
    const auto split = dlp::splitSession(trace);
    return split.desktopProblem.empty() && split.handheldProblem.empty() ? 0 : 1;
}

}  // namespace palmdesk
