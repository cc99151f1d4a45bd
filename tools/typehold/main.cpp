// main.cpp: the typehold command-line tool for Typehold files.
#include "CharSetNames.h"
#include "DocumentCommands.h"
#include "DumpCommand.h"
#include "FontCommands.h"
#include "InstallCommand.h"
#include "PreviewCommand.h"
#include "SampleCommand.h"
#include "tools/common/CommandLine.h"

int main(int argc, char** argv) {
    CLI::App app{"typehold: inspect and build Typehold font databases", "typehold"};
    app.footer("Exit codes: 0 done, 1 failed (the message names the file and the cause), 2 wrong command line.");
    app.require_subcommand(1);

    DumpOptions dump;
    auto* dumpCommand = app.add_subcommand("dump", "print a Palm database as JSON");
    dumpCommand->add_option("FILE", dump.file, "the database file")->required();
    auto* recordOption = dumpCommand->add_option("--record", dump.recordSlot, "one record, by slot");
    dumpCommand->add_flag("--raw", dump.raw, "write the record's bytes to standard output")->needs(recordOption);
    dumpCommand->add_option("--font", dump.fontSlot, "the font record in a slot, parsed")->excludes(recordOption);

    std::string sampleOut;
    bool overwrite = false;
    auto* sampleCommand = app.add_subcommand("sample", "write a small Typehold file of sample fonts");
    sampleCommand->add_option("OUT", sampleOut, "the file to write")->required();
    sampleCommand->add_flag("--overwrite", overwrite, "replace an existing file");

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

    std::optional<std::string> charSetText;
    const std::string charSetHelp = "a number, or " + charSetNames();
    auto* fontsCommand = app.add_subcommand("fonts", "list the installed TrueType fonts the converter offers");
    fontsCommand->add_option("--charset", charSetText, "only this character set: " + charSetHelp);
    fontsCommand->add_flag("--json", json, "one JSON object per font");

    ConvertOptions convert;
    bool hiresFlag = false, noHires = false;
    auto* convertCommand = app.add_subcommand("convert", "convert installed fonts into a Typehold file");
    convertCommand->add_option("OUT", convert.out, "the Typehold file (made, or added to)")->required();
    convertCommand->add_option("--font", convert.faces, "a face name, as typehold fonts lists it")->required();
    convertCommand->add_option("--charset", charSetText, "the character set to convert: " + charSetHelp);
    convertCommand->add_option("--sizes", convert.sizes, "point sizes")->delimiter(',');
    convertCommand->add_option("--styles", convert.styles, "regular, bold, italic, bolditalic")->delimiter(',');
    convertCommand->add_option("--jobs", convert.jobs, "fonts converted at once (default: one per core)")
        ->check(CLI::Range(1u, 256u));
    auto* hires = convertCommand->add_flag("--hires", hiresFlag, "make double-density strikes too");
    convertCommand->add_flag("--no-hires", noHires, "single density only")->excludes(hires);
    convertCommand->add_flag("--save-settings", convert.saveSettings, "remember these choices as the defaults");

    unsigned previewEntry = 0;
    std::string previewOut;
    auto* previewCommand = app.add_subcommand("preview", "draw a listed font into a PNG");
    previewCommand->add_option("FILE", file, "the Typehold file")->required();
    previewCommand->add_option("--entry", previewEntry, "the font, counted from 0 as list shows");
    previewCommand->add_option("-o", previewOut, "the PNG file to write")->required();
    previewCommand->add_flag("--overwrite", overwrite, "replace an existing PNG file");

    std::optional<std::string> installUser;
    auto* installCommand = app.add_subcommand("install", "queue a Typehold file for a Palm user's next HotSync");
    installCommand->add_option("FILE", file, "the Typehold file")->required();
    installCommand->add_option("--user", installUser, "the Palm user (asked when there are several)");

    if (const auto exit = cli::parse(app, argc, argv)) return *exit;
    std::optional<int> charSet;
    if (charSetText) {
        charSet = parseCharSet(*charSetText);
        if (!charSet) return cli::usageError(app, "--charset: unknown character set \"" + *charSetText + "\"");
        convert.charSet = charSet;
    }
    if (renameCommand->parsed() && !name && !style) return cli::usageError(app, "give --name, --style or both");
    if (installCommand->parsed()) return runInstall(file, installUser);
    if (fontsCommand->parsed()) return runFonts(charSet, json);
    if (convertCommand->parsed()) {
        if (hiresFlag) convert.highDensity = true;
        if (noHires) convert.highDensity = false;
        return runConvert(convert);
    }
    if (previewCommand->parsed()) return runPreview(file, previewEntry, previewOut, overwrite);
    if (dumpCommand->parsed()) return runDump(dump);
    if (sampleCommand->parsed()) return runSample(sampleOut, overwrite);
    if (listCommand->parsed()) return runList(file, json);
    if (renameCommand->parsed()) return runRename(file, index, name, style);
    if (deleteCommand->parsed()) return runDelete(file, indexes);
    if (mergeCommand->parsed()) return runMerge(file, inputs);
    return cli::kUsage;
}
