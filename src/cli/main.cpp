// quillovarsta-cli: batch access to documents and settings without the window.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <span>
#include <string>

#include "cli/commands.h"
#include "core/fs/atomic_file.h"
#include "core/text/unicode.h"

namespace qv::cli {

void Note(const std::string& message) {
    std::cerr << "quillovarsta-cli: " << qv::EscapeForTerminal(message) << '\n';
}

int Fail(int code, const std::string& message) {
    Note(message);
    return code;
}

namespace {

const CliCommand kCommands[] = {
    {"help", "help", "list the subcommands", nullptr},
    {"check", "check FILE", "not-csv, csv or fragment-file", RunCheck},
    {"info", "info FILE", "a document's cards, groups and lines as JSON", RunInfo},
    {"convert", "convert IN OUT",
     "read a document (or CSV, or JSON Canvas .canvas) and save it as a fragment file", RunConvert},
    {"merge", "merge BASE OTHER OUT", "merge OTHER into BASE and save the result", RunMerge},
    {"export-text", "export-text DOC OUT", "write a document's texts group by group (OUT - too)",
     RunExportText},
    {"import-text", "import-text TEXT OUT [--group N]", "make a document from text lines",
     RunImportText},
    {"render", "render DOC OUT [--quality N] [--format bmp|jpg]",
     "save the document image (.BMP or .JPG; OUT - for standard output)", RunRender},
    {"export", "export DOC OUT [--format svg|pdf|png|canvas|md]",
     "export as .svg, .pdf, .png, .canvas or .md by OUT's extension (OUT - with --format)",
     RunExport},
    {"link-info", "link-info PATH", "what the property dialog extracts from a linked file",
     RunLinkInfo},
    {"settings", "settings [--save]", "list every setting as JSON (--save: write back)",
     RunSettings},
};

void PrintHelp(std::FILE* to) {
    std::fprintf(to,
                 "usage: quillovarsta-cli [-I SETTINGS.INI] SUBCOMMAND [ARGS]\n\n"
                 "Options:\n"
                 "  -I PATH   settings file (default: located as the program does)\n"
                 "  --help    this list\n\nSubcommands:\n");
    for (const auto& c : kCommands)
        std::fprintf(to, "  %-40s %s\n", c.Usage, c.Summary);
    std::fprintf(to, "\nExit codes: 0 success, 1 bad or missing input file, 2 wrong usage.\n");
}

}  // namespace

}  // namespace qv::cli

int main(int argc, char** argv) {
    using namespace qv::cli;
    // An interrupted run leaves no temporary file beside its output.
    qv::RemoveTemporaryFilesOnInterrupt();
    CliArgs args;
    std::string name;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            PrintHelp(stdout);
            return kExitOk;
        }
        if (a == "-I") {
            args.HasIni = true;
            // "-I" followed by a path, or alone when nothing or another option follows.
            if (i + 1 < argc && argv[i + 1][0] != '-') args.IniPath = argv[++i];
        } else if (a.rfind("--", 0) == 0) {
            args.Options.push_back(a);
            // Option values are taken by the subcommand: options that take one are listed here.
            if ((a == "--group" || a == "--quality" || a == "--format") && i + 1 < argc)
                args.Options.push_back(argv[++i]);
        } else if (name.empty()) {
            name = a;
        } else {
            args.Positional.push_back(a);
        }
    }
    if (name.empty()) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    if (name == "help") {
        PrintHelp(stdout);
        return kExitOk;
    }
    for (const auto& c : kCommands) {
        if (name == c.Name && c.Run) return c.Run(args);
    }
    return Fail(kExitUsage, "unknown subcommand \"" + name + "\" (see --help)");
}
