// main.cpp: the typehold command-line tool for Typehold files.
#include "DocumentCommands.h"
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

    std::string file;
    bool json = false;
    auto* listCommand = app.add_subcommand("list", "list the fonts of a Typehold file in their sorted order");
    listCommand->add_option("FILE", file, "the Typehold file")->required();
    listCommand->add_flag("--json", json, "one JSON object per font");

    unsigned index = 0;
    std::optional<std::string> name;
    std::optional<std::string> style;
    auto* renameCommand = app.add_subcommand("rename", "give a listed font a new name or style");
    renameCommand->add_option("FILE", file, "the Typehold file")->required();
    renameCommand->add_option("INDEX", index, "the font, counted from 0 as list shows")->required();
    renameCommand->add_option("--name", name, "the new name (at most 63 characters)");
    renameCommand->add_option("--style", style, "the new style (at most 31 characters)");

    std::vector<unsigned> indexes;
    auto* deleteCommand = app.add_subcommand("delete", "delete listed fonts");
    deleteCommand->add_option("FILE", file, "the Typehold file")->required();
    deleteCommand->add_option("INDEX", indexes, "the fonts, counted from 0 as list shows")->required();

    std::vector<std::string> inputs;
    auto* mergeCommand = app.add_subcommand("merge", "copy the fonts of Typehold files into another");
    mergeCommand->add_option("OUT", file, "the Typehold file to add to (made when missing)")->required();
    mergeCommand->add_option("IN", inputs, "the Typehold files to copy from")->required();

    CLI11_PARSE(app, argc, argv);
    if (dumpCommand->parsed()) return runDump(dump);
    if (sampleCommand->parsed()) return runSample(sampleOut);
    if (listCommand->parsed()) return runList(file, json);
    if (renameCommand->parsed()) return runRename(file, index, name, style);
    if (deleteCommand->parsed()) return runDelete(file, indexes);
    if (mergeCommand->parsed()) return runMerge(file, inputs);
    return 2;
}
