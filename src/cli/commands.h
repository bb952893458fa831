// The subcommands of quillovarsta-cli. Each lives in its own cmd_*.cpp and is listed once in
// main.cpp's table.
#pragma once

#include <string>
#include <vector>

namespace qv::cli {

// Exit codes shared by every subcommand.
enum ExitCode : int {
    kExitOk = 0,
    kExitBadInput = 1,  // a missing, unreadable or malformed input file, or an unwritable output
    kExitUsage = 2,     // wrong arguments
};

// Arguments after the subcommand name, with the common option "-I PATH" already taken out.
struct CliArgs {
    std::vector<std::string> Positional;
    std::vector<std::string> Options;  // everything starting with "--", in order, values following
    bool HasIni = false;
    std::string IniPath;  // as given after -I (empty: "-I" alone)
};

using CommandFn = int (*)(const CliArgs& args);

struct CliCommand {
    const char* Name;
    const char* Usage;    // "check FILE"
    const char* Summary;  // one line for --help
    CommandFn Run;
};

// Prints "quillovarsta-cli: <message>" to stderr, control characters and bytes that are not UTF-8
// escaped (messages carry file names and card texts), and returns code.
int Fail(int code, const std::string& message);
// The same without an exit code: a warning or a remark.
void Note(const std::string& message);

// settings [-I PATH] [--save]: every stored setting as JSON (cmd_settings.cpp).
int RunSettings(const CliArgs& args);

// link-info PATH: what can be extracted from a linked file (cmd_link_info.cpp).
int RunLinkInfo(const CliArgs& args);

// Document subcommands (cmd_document.cpp): check FILE, info FILE, convert IN OUT,
// merge BASE OTHER OUT, export-text DOC OUT, import-text TEXT OUT [--group N].
int RunCheck(const CliArgs& args);
int RunInfo(const CliArgs& args);
int RunConvert(const CliArgs& args);
int RunMerge(const CliArgs& args);
int RunExportText(const CliArgs& args);
int RunImportText(const CliArgs& args);

// The document output (cmd_export.cpp): export DOC OUT [--format F], the document as SVG, PDF,
// PNG or JSON Canvas; render DOC OUT [--quality N] [--format F], its image as BMP or JPEG.
int RunExport(const CliArgs& args);
int RunRender(const CliArgs& args);

}  // namespace qv::cli
