// main.cpp: hotsync, the HotSync manager of the stand-in desktop: sets up the desktop root and
// its Palm users and shows their install queues.
#include "HotSyncCommands.h"
#include "ListenCommand.h"
#include "palmdesk/UserStore.h"
#include "platform/gdi/CodePages.h"
#include "platform/win/DesktopRoot.h"
#include "platform/win/Registry.h"
#include "tools/common/CommandLine.h"

#include <cstdio>

namespace {
constexpr const char* kCoreKey = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

using palmdesk::Fail;

int init() {
    const std::string root = win::DesktopRoot();
    for (const char* sub : {"", "/Windows", "/Users", "/drive_c"})
        if (!win::MakeFolders(root + sub)) return Fail("cannot make " + root + sub);
    win::HKEY key = nullptr;
    if (win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kCoreKey, 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        win::ERROR_SUCCESS)
        return Fail("cannot write the registry " + win::RegistryFilePath());
    const std::string path = palmdesk::HotSyncExecutable();
    const win::LONG rc = win::RegSetValueEx(key, "HotSyncPath", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(path.c_str()),
                                       static_cast<win::DWORD>(path.size() + 1));
    win::RegCloseKey(key);
    if (rc != win::ERROR_SUCCESS) return Fail("cannot write the registry " + win::RegistryFilePath());
    std::printf("desktop root %s\nHotSyncPath %s\n", root.c_str(), path.c_str());
    return 0;
}

int addUser(const std::string& name, bool profile) {
    std::string why;
    if (!palmdesk::UserStore().Add(name, profile, &why)) return Fail(why);
    std::printf("added %s \"%s\"\n", profile ? "profile" : "user", name.c_str());
    return 0;
}

int listUsers() {
    const auto users = palmdesk::UserStore().List();
    // The note goes to stderr, so that the list on stdout stays a list.
    if (users.empty()) std::fprintf(stderr, "hotsync: no Palm users (add one with hotsync user add NAME)\n");
    // A name typed on this desktop is UTF-8; one that is not is the handheld's Windows-1252.
    for (const auto& user : users) {
        const std::string name = gdi::IsUtf8(user.name) ? user.name : gdi::CodePageToUtf8(user.name, 1252);
        std::printf("%s %10u%s\n", gdi::PadToWidth(name, 31).c_str(), user.id, user.profile ? "  profile" : "");
    }
    return 0;
}

int showQueue(const std::string& name) {
    palmdesk::UserStore store;
    if (!store.Find(name)) return palmdesk::NoSuchUser(name);
    const auto queued = store.Queue(name);
    if (queued.empty()) std::fprintf(stderr, "hotsync: nothing is queued for %s\n", name.c_str());
    for (const auto& file : queued) std::printf("%s\n", file.c_str());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"hotsync: the HotSync manager of the stand-in Palm desktop", "hotsync"};
    app.footer("Exit codes: 0 done, 1 failed (the message names the file and the cause), 2 wrong command line.");
    app.require_subcommand(1);
    app.add_subcommand("init", "make the desktop root and record this HotSync manager in the registry");
    auto* user = app.add_subcommand("user", "Palm users");
    user->require_subcommand(1);
    std::string name;
    bool profile = false;
    auto* add = user->add_subcommand("add", "add a Palm user");
    add->add_option("NAME", name, "the user name")->required();
    add->add_flag("--profile", profile, "a profile (a template for users) rather than a user");
    user->add_subcommand("list", "list the Palm users");
    auto* queue = app.add_subcommand("queue", "list a user's install queue");
    queue->add_option("--user", name, "the user")->required();
    std::optional<std::string> withdrawn;
    queue->add_option("--remove", withdrawn, "withdraw a queued file, by its name as the queue lists it");

    std::string module;
    auto* reg = app.add_subcommand("register", "register a conduit (calls its DllRegisterServer)");
    reg->add_option("MODULE", module, "the conduit's shared library")->required();
    auto* unreg = app.add_subcommand("unregister", "unregister a conduit (calls its DllUnregisterServer)");
    unreg->add_option("MODULE", module, "the conduit's shared library")->required();
    app.add_subcommand("conduits", "list the registered conduits");

    std::string creator;
    std::optional<std::string> permanent, next;
    auto* action = app.add_subcommand("action", "set a conduit's HotSync action for a user");
    action->add_option("CREATOR", creator, "the conduit's creator")->required();
    action->add_option("--user", name, "the user")->required();
    action->add_option("--permanent", permanent, "sync, pc-overwrites, hh-overwrites or nothing");
    action->add_option("--next", next, "the same, for the next synchronisation only");

    auto* configure = app.add_subcommand("configure", "open a conduit's configuration for a user (its CfgConduit)");
    configure->add_option("CREATOR", creator, "the conduit's creator")->required();
    configure->add_option("--user", name, "the user")->required();

    std::string typeName;
    auto* sync = app.add_subcommand("sync", "synchronise a user's handheld");
    sync->add_option("--user", name, "the user")->required();
    sync->add_option("--type", typeName, "fast, slow, hh, pc or nothing")->check(CLI::IsMember({"fast", "slow", "hh", "pc", "nothing"}));

    std::vector<std::string> imports;
    std::string exportName, exportOut;
    auto* store = app.add_subcommand("store", "list, import or export the databases of a user's handheld");
    store->add_option("--user", name, "the user")->required();
    store->add_option("--import", imports, "Palm database files to put on the handheld");
    auto* exportOption = store->add_option("--export", exportName, "a database to copy out");
    store->add_option("-o", exportOut, "the file the exported database goes to")->needs(exportOption);
    bool overwrite = false;
    store->add_flag("--overwrite", overwrite, "replace an existing file with the exported database")->needs(exportOption);

    bool net = false, serialNet = false;
    int port = 0;
    palmdesk::ListenOptions listening;
    auto* listen = app.add_subcommand("listen", "wait for handhelds and run a HotSync for each that connects");
    auto* netFlag = listen->add_flag("--net", net, "network HotSync (TCP port 14238)");
    listen->add_flag("--serial-net", serialNet, "the serial stack over TCP, as emulators offer it (port 6416)")->excludes(netFlag);
    bool usb = false;
    std::string serialPort;
    auto* usbFlag = listen->add_flag("--usb", usb, "a handheld in a USB cradle or on a USB cable")->excludes(netFlag);
    listen->add_option("--serial", serialPort, "a handheld on the serial port PATH (/dev/ttyS0, /dev/ttyUSB0)")
        ->excludes(netFlag)
        ->excludes(usbFlag);
    listen->add_option("--port", port, "another port to listen on")->check(CLI::Range(1, 65535));
    listen->add_flag("--once", listening.once, "end after the first HotSync");
    listen->add_option("--user", listening.user, "the desktop user a handheld without a user becomes");
    std::string listenType;
    listen->add_option("--type", listenType, "fast, slow, hh, pc or nothing, for every HotSync")
        ->check(CLI::IsMember({"fast", "slow", "hh", "pc", "nothing"}));
    listen->add_option("--trace", listening.trace, "record the session's bytes in FILE.json (see hotsync decode)");
    listen->footer(std::string("Network HotSync and the serial stack over TCP were tested against recordings of real devices "
                               "and the simulator (handheld-sim). ") +
                   palmdesk::link::kCableLinksTested);
    std::string traceFile;
    auto* decode = app.add_subcommand("decode", "print a recorded session as DLP requests and responses");
    decode->add_option("FILE", traceFile, "the session, as FILE.json")->required();

    if (const auto exit = cli::parse(app, argc, argv)) return *exit;
    if (listen->parsed()) {
        const bool cable = usb || !serialPort.empty();
        if (!net && !serialNet && !cable) return cli::usageError(app, "listen needs --net, --serial-net, --usb or --serial PATH");
        if (cable && serialNet) return cli::usageError(app, "--serial-net is a link of its own: give it without --usb or --serial");
        if (cable && port != 0) return cli::usageError(app, "--port is for --net and --serial-net");
        if (!listenType.empty()) listening.type = palmdesk::SyncTypeFromName(listenType);
        std::unique_ptr<palmdesk::LinkSource> source;
        try {
            if (cable) {
                std::string why;
                auto request = palmdesk::link::parseCableLinkKind(usb ? "usb" : "serial", serialPort, why);
                if (!request) return cli::usageError(app, why);
                request->traced = !listening.trace.empty();
                source = palmdesk::ListenCable(std::move(*request));
            } else {
                source = palmdesk::ListenTcp(serialNet ? palmdesk::Framing::kSerial : palmdesk::Framing::kNetSync,
                                             static_cast<std::uint16_t>(port));
            }
        } catch (const palmdesk::link::LinkError& e) {
            return Fail(e.what());
        }
        return palmdesk::Listen(*source, listening);
    }
    if (decode->parsed()) return palmdesk::DecodeSession(traceFile);
    if (reg->parsed()) return palmdesk::RegisterModule(module, false);
    if (unreg->parsed()) return palmdesk::RegisterModule(module, true);
    if (app.got_subcommand("conduits")) return palmdesk::ListConduits();
    if (action->parsed()) return palmdesk::SetAction(creator, name, permanent, next);
    if (configure->parsed()) return palmdesk::Configure(creator, name);
    if (sync->parsed()) {
        std::optional<int> type;
        if (!typeName.empty()) type = palmdesk::SyncTypeFromName(typeName);
        return palmdesk::RunSync(name, type);
    }
    if (store->parsed()) {
        if (!imports.empty()) return palmdesk::ImportDatabases(name, imports);
        if (!exportName.empty()) {
            if (exportOut.empty()) return cli::usageError(app, "--export needs -o FILE");
            return palmdesk::ExportDatabase(name, exportName, exportOut, overwrite);
        }
        return palmdesk::ListStore(name);
    }
    if (app.got_subcommand("init")) return init();
    if (add->parsed()) return addUser(name, profile);
    if (user->got_subcommand("list")) return listUsers();
    if (queue->parsed()) return withdrawn ? palmdesk::WithdrawQueued(name, *withdrawn) : showQueue(name);
    return cli::kUsage;
}
