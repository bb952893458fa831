// What the subcommands share: checking their arguments, locating and loading the settings file,
// and a document on the offscreen platform with the messages of reading and saving it.
#pragma once

#include <QGuiApplication>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "core/content/spi_unit.h"
#include "core/io/read_result.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/offscreen_document.h"

namespace qv::cli {

struct CliOption {
    std::string_view Name;    // "--group"
    bool TakesValue = false;  // the next entry of CliArgs::Options is its value
};

// Checks that exactly `positional` arguments were given and no option but those in `options`.
// Returns kExitOk, or prints what is wrong with `usage` and returns kExitUsage.
int CheckArguments(const CliArgs& args, std::size_t positional, std::string_view usage,
                   std::initializer_list<CliOption> options = {});

bool HasOption(const CliArgs& args, std::string_view name);

// The value of the last `name` option (already checked by CheckArguments), which must be a whole
// number from `minValue` to `maxValue`. Returns kExitOk, leaving `value` empty when the option was
// not given, or prints the fault and returns kExitUsage.
int IntOption(const CliArgs& args, std::string_view name, int minValue, int maxValue,
              std::optional<int>& value);

// The settings file the program next to this tool would use: the -I file, else the one beside
// the program or in the user's configuration folder.
std::string SettingsPath(const CliArgs& args);

// Loads the settings file at `path` into `ini`. A file that exists but cannot be read is an error
// (printed, kExitBadInput), so that it is never replaced by defaults.
int LoadSettings(const std::string& path, UsrIniFile& ini);

// A command-line path as the program names documents: absolute, the user's own bytes.
std::string DocumentPath(const std::string& arg);

// Whether an output argument names standard output ("-").
inline bool IsStandardOutput(const std::string& arg) {
    return arg == "-";
}

// Standard output written straight, front to back, whatever it is (a pipe, FIFO, terminal or
// file): nothing is kept on disk and memory is what one write holds. The first failed write (the
// reader gone with SIGPIPE ignored, a full disk) is kept and every later one refused, so that the
// output stops and is reported once.
class StandardOutput {
  public:
    explicit StandardOutput(int fd = 1) : fd_(fd) {}
    bool Write(std::string_view data);
    // Why a write failed ("cannot write to standard output: …"); empty while none has.
    const std::string& Error() const { return error_; }

  private:
    int fd_;
    std::string error_;
};

// Saves `set` as a fragment file at the command-line path `arg`; prints the failure.
int SaveDocument(FragSet& set, const std::string& arg);

// Prints what reading the input `arg` did and returns an exit code: a missing or unreadable file
// is bad input, and so is one that did not fit (cards dropped at the document's limit, or UTF-8
// texts code page 932 cannot hold), so that nothing is written from part of a file. A UTF-8
// document converted whole is mentioned and is fine.
int ReportRead(const std::string& arg, const ReadResult& result);

// Fonts and painting need a GUI application; without a display it runs offscreen.
class GuiSession {
  public:
    GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

  private:
    int argc_ = 1;
    char name_[17] = "quillovarsta-cli";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

// One document on a notional 640 × 480 window, with the settings, fonts and plug-ins of the
// program. No view refresh runs, so cards stay in the order of the file.
class Workspace {
  public:
    // Loads the settings of `args` and makes the document. Returns an exit code.
    int Start(const CliArgs& args);

    EnvData& Env() { return env_; }
    FragSet& Set() { return doc_->Set(); }
    OffscreenDocument& Document() { return *doc_; }

    // Opens the command-line path `arg` as the program opens a file (a foreign CSV is read as
    // texts without asking, a JSON Canvas is imported), or merges it into the document. Returns
    // ReportRead's exit code; `read` (when given) receives what the reading did. `saveAs` is
    // where the document will be saved, if known: a canvas's relative paths stay relative only
    // when that is beside the canvas.
    int Open(const std::string& arg, bool merge = false, ReadResult* read = nullptr,
             const std::string& saveAs = {});

    // The message boxes the document would have shown, on stderr.
    void ReportMessages();

  private:
    GuiSession gui_;
    EnvData env_;
    std::unique_ptr<SpiUnit> plugins_;
    std::unique_ptr<OffscreenDocument> doc_;
};

}  // namespace qv::cli
