// main.cpp: the typehold command-line tool for Typehold files.
#include "DumpCommand.h"
#include "SampleCommand.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    CLI::App app{"typehold: inspect and build Typehold font databases"};
    app.require_subcommand(1);

    DumpOptions dump;
    auto* dumpCommand = app.add_subcommand("dump", "print a Palm database as JSON");
    dumpCommand->add_option("FILE", dump.file, "the database file")->required();
    auto* recordOption = dumpCommand->add_option("--record", dump.recordSlot, "one record, by slot");
    dumpCommand->add_flag("--raw", dump.raw, "write the record's bytes to standard output")->needs(recordOption);
    dumpCommand->add_option("--font", dump.fontSlot, "the font record in a slot, parsed")->excludes(recordOption);

    std::string sampleOut;
    auto* sampleCommand = app.add_subcommand("sample", "write a small Typehold file of sample fonts");
    sampleCommand->add_option("OUT", sampleOut, "the file to write")->required();

    CLI11_PARSE(app, argc, argv);
    if (dumpCommand->parsed()) return runDump(dump);
    if (sampleCommand->parsed()) return runSample(sampleOut);
    return 2;
}
