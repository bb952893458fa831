#include "cli/cli_support.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <iostream>
#include <system_error>

#include "core/dialogs/memo_text.h"
#include "core/fs/atomic_file.h"
#include "core/fs/read_file.h"
#include "core/io/canvas_import.h"
#include "core/io/fragment_file.h"
#include "core/settings/paths.h"
#include "core/text/cp932.h"
#include "core/text/text_helpers.h"

namespace qv::cli {

namespace {

int UsageFail(const std::string& message, std::string_view usage) {
    return Fail(kExitUsage, message + " (usage: " + std::string(usage) + ")");
}

}  // namespace

int CheckArguments(const CliArgs& args, std::size_t positional, std::string_view usage,
                   std::initializer_list<CliOption> options) {
    if (args.Positional.size() != positional)
        return Fail(kExitUsage, "usage: " + std::string(usage));
    for (std::size_t i = 0; i < args.Options.size(); ++i) {
        const std::string& given = args.Options[i];
        const CliOption* known = nullptr;
        for (const CliOption& o : options) {
            if (o.Name == given) known = &o;
        }
        if (!known) return UsageFail("unknown option " + given, usage);
        if (!known->TakesValue) continue;
        if (i + 1 >= args.Options.size()) return UsageFail(given + " needs a value", usage);
        ++i;
    }
    return kExitOk;
}

bool HasOption(const CliArgs& args, std::string_view name) {
    for (const std::string& o : args.Options) {
        if (o == name) return true;
    }
    return false;
}

int IntOption(const CliArgs& args, std::string_view name, int minValue, int maxValue,
              std::optional<int>& value) {
    value.reset();
    for (std::size_t i = 0; i + 1 < args.Options.size(); ++i) {
        if (args.Options[i] != name) continue;
        const std::string& text = args.Options[++i];
        const std::optional<int> n = ParseInt(text);
        if (!n || *n < minValue || *n > maxValue)
            return Fail(kExitUsage, std::string(name) + " needs a whole number from " +
                                        std::to_string(minValue) + " to " +
                                        std::to_string(maxValue) + ", not \"" + text + "\"");
        value = *n;
    }
    return kExitOk;
}

std::string SettingsPath(const CliArgs& args) {
    std::error_code ec;
    const std::string currentDir = std::filesystem::current_path(ec).string();
    if (args.HasIni) return IniPathFromOption(args.IniPath, ec ? "." : currentDir);
    const std::filesystem::path self(CurrentProgramPath());
    const std::string program = (self.parent_path() / "quillovarsta").string();
    return DefaultSettingsPath(program, UserConfigDir());
}

int LoadSettings(const std::string& path, UsrIniFile& ini) {
    ini = UsrIniFile(path);
    if (ini.State() == UsrIniFile::LoadState::Unreadable)
        return Fail(kExitBadInput, ini.LastError());
    return kExitOk;
}

std::string DocumentPath(const std::string& arg) {
    return AbsoluteDocumentPath(arg);
}

int SaveDocument(FragSet& set, const std::string& arg) {
    const WriteResult written = SaveFragmentFile(set, DocumentPath(arg));
    if (!written) return Fail(kExitBadInput, written.Error);
    return kExitOk;
}

int ReportRead(const std::string& arg, const ReadResult& result) {
    switch (result.Status) {
        case ReadStatus::Missing:
            return Fail(kExitBadInput, "no such file: " + arg);
        case ReadStatus::Unreadable:
            return Fail(kExitBadInput, "cannot read " + arg + ": " + result.Why);
        case ReadStatus::CutShort:
            if (result.GroupsDropped > 0)
                return Fail(kExitBadInput,
                            arg + " did not fit: " + std::to_string(result.GroupsDropped) +
                                " groups and " + std::to_string(result.CardsDropped) +
                                " cards dropped (a document holds " + std::to_string(kMaxGroup) +
                                " groups and " + std::to_string(kMaxFragments) +
                                " cards); nothing written");
            return Fail(kExitBadInput, arg + " did not fit: " + std::to_string(result.CardsRead) +
                                           " cards read, " + std::to_string(result.CardsDropped) +
                                           " dropped (a document holds " +
                                           std::to_string(kMaxFragments) + "); nothing written");
        case ReadStatus::Read:
            break;
    }
    if (result.ItemsSkipped > 0)
        Note(arg + ": " + std::to_string(result.ItemsSkipped) +
             " nodes or edges left out (malformed, repeated ids or naming nodes the canvas "
             "lacks)");
    if (result.TextsCut > 0)
        Note(arg + ": " + std::to_string(result.TextsCut) + " texts cut to " +
             std::to_string(kMaxCardTextBytes) + " bytes, the most a card holds");
    if (!result.UnconvertibleCards.empty()) {
        std::string cards;
        for (int card : result.UnconvertibleCards)
            cards += (cards.empty() ? "" : ", ") + std::to_string(card);
        return Fail(kExitBadInput, arg + ": code page 932 cannot hold some characters of card" +
                                       (result.UnconvertibleCards.size() > 1 ? "s " : " ") + cards +
                                       "; nothing written");
    }
    const std::string encoding = result.Utf16 ? "UTF-16" : "UTF-8";
    if (!result.UnconvertibleLines.empty()) {
        std::string lines;
        for (int line : result.UnconvertibleLines)
            lines += (lines.empty() ? "" : ", ") + std::to_string(line);
        return Fail(kExitBadInput, arg + " is " + encoding +
                                       " and code page 932 cannot hold some characters on line" +
                                       (result.UnconvertibleLines.size() > 1 ? "s " : " ") + lines +
                                       "; nothing written");
    }
    if (result.ConvertedFromUtf8)
        Note(arg + ": a " + encoding + " document; its texts were converted to code page 932");
    return kExitOk;
}

GuiSession::GuiSession() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

int Workspace::Start(const CliArgs& args) {
    UsrIniFile ini;
    if (int rc = LoadSettings(SettingsPath(args), ini); rc != kExitOk) return rc;
    env_.Load(ini);
    plugins_ = std::make_unique<SpiUnit>(env_.SpiDir);
    doc_ = std::make_unique<OffscreenDocument>(env_, plugins_.get());
    return kExitOk;
}

int Workspace::Open(const std::string& arg, bool merge, ReadResult* read,
                    const std::string& saveAs) {
    const std::string path = DocumentPath(arg);
    if (!merge) doc_->SetDocumentPath(path);
    const ReadResult result =
        !merge && HasCanvasExtension(path)
            ? ImportCanvasFile(Set(), path, ReadWholeFile(path, kMaxDocumentFileSize),
                               saveAs.empty() ? CanvasDocumentPath(path) : DocumentPath(saveAs))
            : ReadFragmentFile(Set(), path, merge);
    ReportMessages();
    if (read) *read = result;
    return ReportRead(arg, result);
}

void Workspace::ReportMessages() {
    for (const std::string& m : doc_->Messages().Messages)
        Note("warning: " + Cp932ToUtf8(m));
    doc_->Messages().Messages.clear();
}

bool StandardOutput::Write(std::string_view data) {
    if (!error_.empty()) return false;
    // Anything the streams buffered goes first, so that the bytes stay in order.
    std::cout.flush();
    while (!data.empty()) {
        const ssize_t n = ::write(fd_, data.data(), data.size());
        if (n > 0) {
            data.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A descriptor left non-blocking by whoever made it: wait until it takes more.
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, -1) >= 0 || errno == EINTR) continue;
        }
        error_ = "cannot write to standard output: " +
                 std::string(n < 0 ? std::strerror(errno) : "nothing was taken");
        return false;
    }
    return true;
}

}  // namespace qv::cli
