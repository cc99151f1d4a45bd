#!/usr/bin/env python3
"""Checks that every source folder includes only headers of the folders it depends on, and that
every target links only libraries of those folders.

Includes go by path from the top of the tree ("core/qz_fileio/File.h"), so the compiler cannot
tell a header below a folder from one above it; this check can. LAYERS below is the dependency
graph of the tree, the same one the libraries' target_link_libraries draw: dependencies point
downward only. A folder may include its own headers, those of the folders it depends on (and of
theirs), and platform/bytes, which every folder may include. OUTSIDE says which folders may use
which outside libraries; the C++ and POSIX headers are open to all.

Usage: check_layers.py SOURCE_ROOT [LINKS]. LINKS is the file the build writes with each target's
first source (or folder) and the libraries it links, one target a line, fields split by tabs.
Prints one line per offending include (file:line) or link and exits with 1 if there is any, or if
a source file lies in a folder the graph does not know.
"""
import os
import re
import sys

# Folder (or single file, where a program shares its folder with a library) -> the folders it
# depends on directly. The longest matching entry decides.
LAYERS = {
    "platform/bytes": [],
    "platform/win": [],
    "platform/gdi": ["platform/win"],
    "core/qz_fileio": ["platform/win"],
    # The Palm Desktop stand-ins: users and their handhelds, the Sync API, the log, the conduit
    # manager; hotsync, the HotSync manager, is a command-line program like those in tools/.
    "palmdesk": ["core/qz_fileio"],
    "palmdesk/hotsync": ["palmdesk", "palmdesk/device", "palmdesk/link/local", "platform/gdi", "tools/common"],
    # The link to a real handheld: transports, then the Desktop Link Protocol over them, then the
    # handheld simulator, which serves a folder laid out as the handheld store keeps it.
    "palmdesk/link": [],
    # Local cables: USB through libusb, and the serial ports, each opened by one call.
    "palmdesk/link/local": ["palmdesk/link"],
    "palmdesk/dlp": ["palmdesk/link"],
    # A connected handheld behind the Sync API's handheld interface, and the links it comes by.
    "palmdesk/device": ["palmdesk/dlp", "palmdesk"],
    "palmdesk/simulator": ["palmdesk/device", "tools/common"],
    "resources/converter": ["core/qz_fileio"],
    "resources/conduit": [],
    "core": ["core/qz_fileio", "resources/converter", "platform/gdi"],
    "picture": ["platform/gdi", "platform/win"],
    "app": ["core"],
    "app/gui": ["app"],
    # glyphsmith-screenshots draws the windows for a desktop user it makes itself.
    "app/gui/ConverterScreenshots.cpp": ["app/gui", "palmdesk"],
    # The conduit shares the Palm database container with the converter at build time only.
    "conduit": ["picture", "palmdesk", "resources/conduit", "core/qz_fileio"],
    "conduit/dialog": ["conduit"],
    # The module itself: the exports over the logic and the dialog.
    "conduit/Exports.cpp": ["conduit", "conduit/dialog"],
    "tools/common": [],
    "tools/typehold": ["app", "tools/common"],
    "tools/pictconv": ["picture", "core/qz_fileio", "tools/common"],
    # Every reader of outside data has a fuzz target, wherever the reader lives.
    "fuzz": ["app", "conduit", "core", "picture", "palmdesk", "tools/pictconv", "palmdesk/dlp"],
    "bench": ["app", "picture"],
    # A HotSync with the simulated handheld, timed.
    "bench/DeviceSyncBench.cpp": ["palmdesk/simulator"],
    # The converter's main window and add-font wizard drawn offscreen, timed.
    "bench/FontsPageBench.cpp": ["app/gui"],
    # Tests mirror the tree: a folder's tests see what the folder sees, the shared fixtures, and
    # the Palm users and their handhelds wherever a test sets up a desktop.
    "tests/support": ["core"],
    "tests/support/RecordingConduit.cpp": ["palmdesk"],
    # Fakes of the stand-ins' services, each beside the interface it stands in for.
    "tests/support/FakeHandheld.h": ["palmdesk"],
    "tests/support/FakeHotSyncLog.h": ["palmdesk"],
    "tests/support/FakeSettingsFile.h": ["conduit"],
    "tests/support/FakeDesktopFolders.h": ["conduit"],
    "tests/support/FakeInstallQueue.h": ["conduit"],
    "tests/support/FakeRegistryStore.h": ["app"],
    "tests/platform/win": ["platform/win", "tests/support"],
    "tests/platform/gdi": ["platform/gdi", "tests/support"],
    # The font engine from two threads at once, driven by a real conversion.
    "tests/platform/gdi/FreeTypeFontEngineTest.cpp": ["platform/gdi", "app", "tests/support"],
    "tests/platform/bytes": ["platform/bytes", "tests/support"],
    "tests/palmdesk": ["palmdesk/simulator", "palmdesk/link/local", "tests/support"],
    "tests/core/qz_fileio": ["core/qz_fileio", "tests/support"],
    "tests/core": ["core", "tests/support"],
    "tests/picture": ["picture", "tests/support"],
    "tests/app": ["app", "palmdesk", "tests/support"],
    "tests/app/gui": ["app/gui", "tests/app"],
    "tests/conduit": ["conduit", "conduit/dialog", "palmdesk", "tests/support"],
    "tests/tools": ["tools/typehold", "tests/support"],
    # Interop tests hold our results against other programs' and FreeType's own.
    "tests/interop": ["app", "tests/support"],
}

# Outside library -> (what its includes look like, what its CMake targets look like, the folders
# that may use it).
OUTSIDE = {
    "Qt": (r"Q[A-Za-z]+(\.h)?|Qt[A-Za-z]*/.*", r"Qt6::.*",
           ["app/gui", "conduit/dialog", "tests/app/gui", "tests/conduit", "bench/FontsPageBench.cpp"]),
    # The engine's test also holds the pool of opened faces, whose interface is FreeType's.
    "FreeType": (r"ft2build\.h|freetype/.*|FT_[A-Z_]+", r"Freetype::.*",
                 ["platform/gdi", "bench", "tests/interop", "tests/platform/gdi/FreeTypeFontEngineTest.cpp"]),
    "fontconfig": (r"fontconfig/.*", r"Fontconfig::.*", ["platform/gdi", "tests/interop"]),
    "CLI11": (r"CLI/.*", r"CLI11::.*", ["tools/common"]),
    "nlohmann_json": (r"nlohmann/.*", r"nlohmann_json::.*", ["tools/typehold", "tests/tools", "palmdesk/link"]),
    "libpng": (r"png\.h", r"PNG::.*", ["tools/typehold"]),
    "libusb": (r"libusb(-1\.0)?/libusb\.h|libusb\.h", r"PkgConfig::LIBUSB|usb-1\.0", ["palmdesk/link/local"]),
    "GoogleTest": (r"gtest/.*|gmock/.*", r"GTest::.*", ["tests"]),
    "Google Benchmark": (r"benchmark/.*", r"benchmark::.*", ["bench"]),
}

EVERYONE = "platform/bytes"
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>|([A-Z][A-Z0-9_]*))')


def owner(path):
    """The LAYERS entry a file or folder belongs to, or None."""
    probe = path
    while probe:
        if probe in LAYERS:
            return probe
        probe = os.path.dirname(probe)
    return None


def shown(unit):
    return unit if os.path.splitext(unit)[1] else unit + "/"


def closure(unit):
    """Every folder `unit` may include, itself and platform/bytes among them."""
    seen = {unit, EVERYONE}
    stack = [unit]
    while stack:
        for below in LAYERS[stack.pop()]:
            if below not in seen:
                seen.add(below)
                stack.append(below)
    return seen


def within(path, folders):
    return any(path == f or path.startswith(f + "/") for f in folders)


def check_file(root, path, problems):
    unit = owner(path)
    if unit is None:
        problems.append(f"{path}: its folder has no entry in the layer graph ({__file__})")
        return
    allowed = closure(unit)
    here = os.path.dirname(path)
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            quoted, angled, macro = m.groups()
            name = quoted or angled or macro
            if quoted:
                # As the compiler looks: beside the including file first, then from the top.
                beside = os.path.normpath(os.path.join(here, quoted))
                if os.path.isfile(os.path.join(root, beside)):
                    target = beside
                elif os.path.isfile(os.path.join(root, quoted)):
                    target = os.path.normpath(quoted)
                else:
                    continue  # generated (Qt's .moc) or not ours
                target_unit = owner(target)
                if target_unit is None or target_unit in allowed:
                    continue
                problems.append(f"{path}:{number}: includes {target}, but {shown(unit)} may include only "
                                f"{', '.join(sorted(allowed))}")
                continue
            for library, (pattern, _, users) in OUTSIDE.items():
                if re.fullmatch(pattern, name) and not within(path, users):
                    shown_name = name if macro else f"<{name}>"
                    problems.append(f"{path}:{number}: includes {shown_name} of {library}, which only "
                                    f"{', '.join(users)} may use")


def check_links(links_file, problems):
    targets = {}
    with open(links_file, encoding="utf-8") as f:
        for line in f:
            name, where, links = (line.rstrip("\n").split("\t") + ["", ""])[:3]
            targets[name] = (where, links.split())
    for name, (where, links) in sorted(targets.items()):
        unit = owner(where)
        if unit is None:
            problems.append(f"target {name} ({where}): its folder has no entry in the layer graph")
            continue
        allowed = closure(unit)
        for link in links:
            if link in targets:
                below = owner(targets[link][0])
                if below is not None and below not in allowed:
                    problems.append(f"target {name} ({shown(unit)}) links {link} ({shown(below)}), but "
                                    f"{shown(unit)} may depend only on {', '.join(sorted(allowed))}")
                continue
            for library, (_, pattern, users) in OUTSIDE.items():
                if re.fullmatch(pattern, link) and not within(where, users):
                    problems.append(f"target {name} ({shown(unit)}) links {link} of {library}, which only "
                                    f"{', '.join(users)} may use")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: check_layers.py SOURCE_ROOT [LINKS]")
    root = sys.argv[1]
    for unit, below in LAYERS.items():
        for b in below:
            if b not in LAYERS:
                sys.exit(f"layer graph: {unit} depends on {b}, which has no entry")
    problems = []
    count = 0
    for folder, dirs, files in os.walk(root):
        # Build trees and hidden folders hold no sources of ours.
        dirs[:] = sorted(d for d in dirs if not d.startswith(".") and not (folder == root and d.startswith("build")))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                count += 1
                check_file(root, os.path.relpath(os.path.join(folder, name), root), problems)
    if len(sys.argv) == 3:
        check_links(sys.argv[2], problems)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) or link(s) against the layers ({count} files)")
        return 1
    print(f"{count} files include, and every target links, only what their layer allows")
    return 0


if __name__ == "__main__":
    sys.exit(main())
