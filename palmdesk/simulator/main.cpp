// main.cpp: handheld-sim, a handheld of our own for trying a desktop without one. `serve` connects
// to a desktop that listens for handhelds (or plays the handheld's end of a serial cable, or of a
// pseudo-terminal of its own) and syncs a folder of .pdb files with it; `decode` tells a recorded
// session as named DLP requests and responses.
#include "palmdesk/dlp/SessionDecoder.h"
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SerialLink.h"
#include "palmdesk/link/SerialPortPipe.h"
#include "palmdesk/link/SessionTrace.h"
#include "palmdesk/link/TcpPipe.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "palmdesk/simulator/ImpairedPipe.h"
#include "palmdesk/simulator/PseudoTerminal.h"
#include "tools/common/CommandLine.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using namespace palmdesk;

struct ServeOptions {
    std::string folder;
    bool serial = false;
    std::string serialPort;  // a serial port to play the handheld's end of a cable on
    bool pty = false;        // a pseudo-terminal of our own instead
    std::string host = "127.0.0.1";
    int port = 0;
    std::string user;
    unsigned userId = 0;
    int latency = 0;
    int dropAt = 0;
    int sessions = 1;
    std::string trace;
    bool quiet = false;
};

int fail(const std::string& text) {
    std::fprintf(stderr, "handheld-sim: %s\n", text.c_str());
    return cli::kFailed;
}

int serve(const ServeOptions& o) {
    std::error_code ec;
    if (!std::filesystem::is_directory(o.folder, ec)) return fail(o.folder + ": no such folder");
    sim::HandheldState state;
    state.user.name = o.user;
    state.user.userId = o.userId;
    sim::HandheldSimulator handheld(o.folder, state);
    const bool cable = !o.serialPort.empty() || o.pty;
    const auto port = static_cast<std::uint16_t>(o.port != 0 ? o.port : o.serial ? link::kSerialOverTcpPort : link::kNetSyncPort);
    // A cable stays plugged in from one HotSync to the next; a TCP connection is made for each.
    std::unique_ptr<sim::PseudoTerminal> pty;
    std::unique_ptr<link::SerialPortPipe> serialPort;
    try {
        if (o.pty) {
            pty = std::make_unique<sim::PseudoTerminal>();
            serialPort = pty->takeHandheldEnd();
            std::printf("%s\n", pty->path().c_str());
            std::fflush(stdout);
            if (!o.quiet) std::fprintf(stderr, "handheld-sim: on %s; sync with: hotsync listen --serial %s\n", pty->path().c_str(), pty->path().c_str());
        } else if (!o.serialPort.empty()) {
            serialPort = std::make_unique<link::SerialPortPipe>(o.serialPort);
        }
    } catch (const link::LinkError& e) {
        return fail(e.what());
    }
    int failures = 0;
    for (int i = 0; i < o.sessions; ++i) {
        std::unique_ptr<link::TcpPipe> tcp;
        if (!cable) {
            try {
                tcp = link::connectTcp(o.host, port, link::Millis{10000});
            } catch (const link::LinkError& e) {
                return fail(e.what());
            }
            if (!o.quiet) std::fprintf(stderr, "handheld-sim: connected to %s\n", tcp->peer().c_str());
        }
        link::BytePipe& wire = cable ? static_cast<link::BytePipe&>(*serialPort) : *tcp;
        link::TracingPipe traced(wire, link::Role::kHandheld);
        sim::ImpairedPipe impaired(traced, link::Millis{o.latency}, o.dropAt);
        std::unique_ptr<link::MessageLink> session;
        if (cable) {
            // A handheld in its cradle keeps calling for a desktop for a while: time enough to
            // start one on the path printed above.
            link::LinkTimeouts patient;
            patient.attempts = 60;
            session = std::make_unique<link::SerialPortLink>(*serialPort, impaired, link::Role::kHandheld, patient);
        } else if (o.serial) {
            session = std::make_unique<link::SerialLink>(impaired, link::Role::kHandheld);
        } else {
            session = std::make_unique<link::NetSyncLink>(impaired, link::Role::kHandheld);
        }
        try {
            handheld.serve(*session);
            if (!o.quiet) {
                for (const auto& line : handheld.requestsSeen()) std::fprintf(stderr, "  %s\n", line.c_str());
                std::fprintf(stderr, "handheld-sim: HotSync ended with status %u\n", handheld.state().endStatus);
            }
        } catch (const link::LinkError& e) {
            ++failures;
            std::fprintf(stderr, "handheld-sim: the session ended early: %s\n", e.what());
        }
        for (const auto& entry : handheld.state().syncLog) std::printf("%s\n", entry.c_str());
        if (!o.trace.empty()) {
            std::string why;
            if (!link::writeTraceFile(o.trace, traced.trace(), why)) return fail(why);
        }
        if (!cable) session->close();
    }
    return failures == 0 ? 0 : cli::kFailed;
}

int decode(const std::string& path) {
    link::SessionTrace trace;
    std::string why;
    if (!link::readTraceFile(path, trace, why)) return fail(why);
    for (const auto& line : dlp::describeSession(trace)) std::printf("%s\n", line.c_str());
    const auto split = dlp::splitSession(trace);
    return split.desktopProblem.empty() && split.handheldProblem.empty() ? 0 : cli::kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"handheld-sim: a simulated Palm handheld that syncs a folder of .pdb files", "handheld-sim"};
    app.require_subcommand(1);
    ServeOptions o;
    auto* serveCommand = app.add_subcommand("serve", "connect to a desktop waiting for handhelds and sync FOLDER with it");
    serveCommand->add_option("folder", o.folder, "the handheld's databases, one .pdb file each")->required();
    bool netFlag = false;
    auto* net = serveCommand->add_flag("--net", netFlag, "network HotSync (the default; port 14238)");
    auto* serialNet = serveCommand->add_flag("--serial-net", o.serial, "the serial stack over TCP, as emulators offer it (port 6416)")->excludes(net);
    auto* serialPath = serveCommand->add_option("--serial", o.serialPort, "the serial stack on a serial port (the handheld's end of a null-modem cable)")
                           ->excludes(net)
                           ->excludes(serialNet);
    serveCommand->add_flag("--pty", o.pty, "the serial stack on a pseudo-terminal of our own; prints its path for the desktop to open")
        ->excludes(net)
        ->excludes(serialNet)
        ->excludes(serialPath);
    serveCommand->add_option("--host", o.host, "the desktop's address")->capture_default_str();
    serveCommand->add_option("--port", o.port, "the desktop's port")->check(CLI::Range(1, 65535));
    serveCommand->add_option("--user", o.user, "the handheld's user name (none: a handheld never synchronised)");
    serveCommand->add_option("--user-id", o.userId, "the handheld's user ID");
    serveCommand->add_option("--latency", o.latency, "milliseconds to wait before sending each packet")->check(CLI::Range(0, 60000));
    serveCommand->add_option("--drop-at", o.dropAt, "drop the link instead of sending packet N")->check(CLI::Range(0, 1000000));
    serveCommand->add_option("--sessions", o.sessions, "how many HotSyncs to run, one after another")->check(CLI::Range(1, 100000));
    serveCommand->add_option("--trace", o.trace, "record the session in FILE.json");
    serveCommand->add_flag("--quiet", o.quiet, "print nothing but errors and the handheld's sync log");
    std::string file;
    auto* decodeCommand = app.add_subcommand("decode", "tell a recorded session as named DLP requests and responses");
    decodeCommand->add_option("file", file, "the session, as FILE.json")->required();
    if (const auto exit = cli::parse(app, argc, argv)) return *exit;
    if (serveCommand->parsed()) return serve(o);
    return decode(file);
}
