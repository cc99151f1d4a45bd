// DeviceSyncBench.cpp: pictures sent to a handheld over network HotSync, the real path end to end:
// hotsync listen runs the picture conduit (desktop overwrites handheld) against our simulated
// handheld, which waits a fixed latency before each packet it sends. Reports the round trips per
// picture and the time against the floor: round trips x latency + bytes / link speed.
//
// device_sync_bench [PICTURES [LATENCY_MS [LINK_BYTES_PER_SECOND]]]   (500, 2, 1250000)
#include "palmdesk/link/NetSyncLink.h"
#include "palmdesk/link/SessionTrace.h"
#include "palmdesk/link/TcpPipe.h"
#include "palmdesk/simulator/HandheldSimulator.h"
#include "palmdesk/simulator/ImpairedPipe.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace palmdesk;
namespace fs = std::filesystem;

// A 24-bit bottom-up .bmp of width x height whose pixels depend on seed.
void writeBmp(const std::string& path, int width, int height, int seed) {
    const std::uint32_t row = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    const std::uint32_t pixels = row * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> bytes(54 + pixels);
    const auto put = [&](std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54 + pixels, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, pixels, 4);
    for (std::uint32_t i = 0; i < pixels; ++i) bytes[54 + i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::uint32_t>(seed) * 13);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

}  // namespace

int main(int argc, char** argv) {
    const int pictures = argc > 1 ? std::atoi(argv[1]) : 500;
    const int latency = argc > 2 ? std::atoi(argv[2]) : 2;
    const double linkSpeed = argc > 3 ? std::atof(argv[3]) : 1250000.0;  // 10 Mbit/s
    if (pictures <= 0 || latency < 0 || linkSpeed <= 0) {
        std::fprintf(stderr, "usage: device_sync_bench [PICTURES [LATENCY_MS [LINK_BYTES_PER_SECOND]]]\n");
        return 2;
    }
    std::string scratch = (fs::temp_directory_path() / "device-sync-bench-XXXXXX").string();
    if (!::mkdtemp(scratch.data())) return 1;
    const std::string root = scratch + "/palmdesk", handheldFolder = scratch + "/handheld";
    ::setenv("PALMDESK_ROOT", root.c_str(), 1);
    ::setenv("HOME", (scratch + "/home").c_str(), 1);  // registering makes the home's pictures folder
    const std::string hotsync = HOTSYNC_BIN;
    if (run(hotsync + " init") != 0 || run(hotsync + " user add Ann") != 0 || run(hotsync + " register " PICTSYNC_MODULE) != 0) {
        std::fprintf(stderr, "device_sync_bench: hotsync cannot set up a desktop in %s\n", root.c_str());
        return 1;
    }
    // The pictures wait in the drive mapping's C:\Pictaro, named as the conduit's sync folder.
    std::ofstream(root + "/Windows/Pictaro.ini", std::ios::binary) << "[Pictaro]\r\nSyncDir=C:\\Pictaro\r\n";
    fs::create_directories(root + "/drive_c/Pictaro");
    fs::create_directories(handheldFolder);
    for (int i = 0; i < pictures; ++i) writeBmp(root + "/drive_c/Pictaro/Picture " + std::to_string(i) + ".bmp", 48, 32, i);

    const std::uint16_t port = link::TcpListener(0, true).port();
    int desktopResult = -1;
    std::thread desktop([&] {
        desktopResult = run(hotsync + " listen --net --once --type pc --port " + std::to_string(port));
    });
    sim::HandheldState state;
    state.user.name = "Ann";
    sim::HandheldSimulator handheld(handheldFolder, state);
    std::unique_ptr<link::TcpPipe> tcp;
    for (int attempt = 0; !tcp && attempt < 400; ++attempt) {
        try {
            tcp = link::connectTcp("127.0.0.1", port, link::Millis{1000});
        } catch (const link::LinkError&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    if (!tcp) {
        desktop.join();
        std::fprintf(stderr, "device_sync_bench: hotsync listen did not take the connection\n");
        return 1;
    }
    link::TracingPipe traced(*tcp, link::Role::kHandheld);
    sim::ImpairedPipe slow(traced, link::Millis{latency}, 0);
    link::NetSyncLink session(slow, link::Role::kHandheld);
    const auto start = std::chrono::steady_clock::now();
    try {
        handheld.serve(session);
    } catch (const link::LinkError& e) {
        std::fprintf(stderr, "device_sync_bench: the session ended early: %s\n", e.what());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    session.close();
    desktop.join();

    std::size_t bytes = 0;
    for (const auto& chunk : traced.trace()) bytes += chunk.data.size();
    const std::size_t roundTrips = handheld.requestsSeen().size();
    std::size_t stored = 0;
    for (const auto& entry : fs::directory_iterator(handheldFolder)) stored += entry.path().filename().string().starts_with("Picture ");
    const double floor = static_cast<double>(roundTrips) * latency / 1000.0 + static_cast<double>(bytes) / linkSpeed;
    std::printf("%d pictures sent, %zu on the handheld, hotsync exit status %d\n", pictures, stored, desktopResult);
    std::printf("%zu round trips (%.2f per picture), %zu bytes over the link\n", roundTrips,
                static_cast<double>(roundTrips) / pictures, bytes);
    std::printf("time %.3f s, floor %.3f s (%zu x %d ms + %zu bytes at %.0f bytes/s), %.2f x the floor\n", seconds, floor,
                roundTrips, latency, bytes, linkSpeed, seconds / floor);
    fs::remove_all(scratch);
    return stored == static_cast<std::size_t>(pictures) && desktopResult == 0 ? 0 : 1;
}
