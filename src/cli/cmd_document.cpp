// quillovarsta-cli document subcommands: check, info, convert, merge, export-text, import-text.
// Each works on a fresh document on a notional 640 × 480 window scrolled to 0, 0, with the
// settings of -I (or the settings file the program would use) and the program's card fonts. No
// view refresh runs, so cards stay in the order of the file.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include <QGuiApplication>

#include "cli/commands.h"
#include "cli/json.h"
#include "core/content/spi_unit.h"
#include "core/io/fragment_file.h"
#include "core/io/text_exchange.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "core/text/cp932.h"
#include "render/offscreen_document.h"

namespace qv::cli {

namespace {

// The settings file the program next to this tool would use.
std::string LocateIni(const CliArgs& args) {
    std::error_code ec;
    const std::string currentDir = std::filesystem::current_path(ec).string();
    if (args.HasIni) return IniPathFromOption(args.IniPath, ec ? "." : currentDir);
    const std::filesystem::path self(CurrentProgramPath());
    const std::string program = (self.parent_path() / "quillovarsta").string();
    return DefaultSettingsPath(program, UserConfigDir());
}

// Fonts need a GUI application; without a display it runs offscreen.
class GuiSession {
  public:
    GuiSession() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }

  private:
    int argc_ = 1;
    char name_[17] = "quillovarsta-cli";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

// One document on a notional 640 × 480 window, with the settings, fonts and plug-ins of the
// program.
struct Workspace {
    GuiSession gui;
    EnvData env;
    std::unique_ptr<SpiUnit> plugins;
    std::unique_ptr<OffscreenDocument> doc;

    // Loads the settings; false (with a message) when the settings file cannot be read.
    bool Start(const CliArgs& args, std::string& error) {
        UsrIniFile ini(LocateIni(args));
        if (ini.State() == UsrIniFile::LoadState::Unreadable) {
            error = ini.LastError();
            return false;
        }
        env.Load(ini);
        plugins = std::make_unique<SpiUnit>(env.SpiDir);
        doc = std::make_unique<OffscreenDocument>(env, plugins.get());
        return true;
    }
    FragSet& Set() { return doc->Set(); }

    // The message boxes the document would have shown, on stderr.
    void ReportMessages() {
        for (const std::string& m : doc->Messages().Messages)
            std::cerr << "quillovarsta-cli: warning: " << Cp932ToUtf8(m) << '\n';
        doc->Messages().Messages.clear();
    }
};

// A command-line path as the program names documents: absolute, code page 932.
std::string DocumentPath(const std::string& arg) {
    return AbsoluteDocumentPath(Cp932Path(arg));
}

// Opens `arg` into the workspace's document as the program opens a file (a foreign CSV is read as
// texts without asking). Returns an exit code.
int OpenInto(Workspace& ws, const std::string& arg) {
    const std::string path = DocumentPath(arg);
    ws.doc->SetDocumentPath(path);
    ReadStatus status = ReadStatus::Read;
    ReadFragmentFile(ws.Set(), path, false, &status);
    ws.ReportMessages();
    if (status == ReadStatus::Missing) return Fail(kExitBadInput, "no such file: " + arg);
    if (status == ReadStatus::Unreadable) return Fail(kExitBadInput, "cannot read " + arg);
    if (status == ReadStatus::CutShort)
        std::cerr << "quillovarsta-cli: " << arg
                  << ": more cards than a document holds; the rest were not read\n";
    return kExitOk;
}

int Save(FragSet& set, const std::string& arg) {
    std::string error;
    if (!SaveFragmentFile(set, DocumentPath(arg), &error)) return Fail(kExitBadInput, error);
    return kExitOk;
}

// Starts a workspace and checks the argument count; returns an exit code or -1 to go on.
int Begin(Workspace& ws, const CliArgs& args, std::size_t positional, const char* usage,
          bool groupOption = false) {
    if (args.Positional.size() != positional)
        return Fail(kExitUsage, std::string("usage: ") + usage);
    for (std::size_t i = 0; i < args.Options.size(); ++i) {
        if (groupOption && args.Options[i] == "--group") {
            ++i;
            continue;
        }
        return Fail(kExitUsage, "unknown option " + args.Options[i] + " (usage: " + usage + ")");
    }
    std::string error;
    if (!ws.Start(args, error)) return Fail(kExitBadInput, error);
    return -1;
}

const char* KindName(FragmentKind kind) {
    switch (kind) {
        case FragmentKind::NamePlate:
            return "NamePlate";
        case FragmentKind::Symbol:
            return "Symbol";
        case FragmentKind::Image:
            return "Image";
        default:
            return "Text";
    }
}

void RectArray(JsonWriter& json, const Rect& r) {
    json.BeginArray().Int(r.Left).Int(r.Top).Int(r.Right).Int(r.Bottom).EndArray();
}

void PointArray(JsonWriter& json, const Point& p) {
    json.BeginArray().Int(p.X).Int(p.Y).EndArray();
}

std::string InfoJson(const FragSet& set) {
    JsonWriter json;
    json.BeginObject();
    json.Cp932Field("path", set.FileName);
    json.Key("fragment_count").Int(set.Count());
    json.Key("read_only").Bool(set.ReadOnly);
    json.Key("modified").Bool(set.Modified);
    json.Key("fixed_size").Bool(set.FixedSize);
    json.Key("fixed_width").Int(set.FixedWidth);
    json.Key("fixed_height").Int(set.FixedHeight);
    json.Key("div_columns").Int(set.DivColumns);
    json.Key("div_rows").Int(set.DivRows);
    json.Key("used_width").Int(set.UsedWidth);
    json.Key("used_height").Int(set.UsedHeight);
    json.Key("whole_width").Int(set.WholeWidth);
    json.Key("whole_height").Int(set.WholeHeight);

    json.Key("fragments").BeginArray();
    for (const auto& p : set.Fragments()) {
        const Fragment& f = *p;
        json.BeginObject();
        json.Key("kind").String(KindName(f.Kind));
        json.Key("group").Int(f.Group);
        json.Key("left").Int(f.Left);
        json.Key("top").Int(f.Top);
        json.Key("right").Int(f.Right);
        json.Key("bottom").Int(f.Bottom);
        json.Key("columns").Int(f.Columns);
        json.Key("lines").Int(f.Lines);
        json.Key("col_fg").Int(ColorToSigned(f.ColFG));
        json.Key("col_bg").Int(ColorToSigned(f.ColBG));
        json.Key("z_order").Int(f.ZOrder);
        json.Key("visible").Bool(f.Visible);
        json.Key("has_picture").Bool(f.HasPicture());
        json.Cp932Field("text", f.Text);
        json.Cp932Field("link", f.Link);
        json.EndObject();
    }
    json.EndArray();

    json.Key("groups").BeginArray();
    for (int g = kNoGroup; g <= kMaxGroup; ++g) {
        const GroupEntry& e = set.GroupTable[static_cast<std::size_t>(g)];
        if (e.Empty) continue;
        json.BeginObject();
        json.Key("group").Int(g);
        json.Key("count").Int(e.Count);
        json.Key("text_count").Int(e.TextCount);
        json.Key("shown").Bool(e.Shown);
        json.Cp932Field("name", set.GroupNameText(g));
        json.Key("bounds");
        RectArray(json, e.Bounds);
        json.Key("member_union");
        RectArray(json, e.MemberUnion);
        json.Key("frame_visible").Bool(e.Frame.Visible);
        json.EndObject();
    }
    json.EndArray();

    json.Key("group_lines").BeginArray();
    for (const ArrowLine& line : set.GroupLines) {
        json.BeginObject();
        json.Key("from").Int(line.From);
        json.Key("to").Int(line.To);
        json.Key("type").Int(line.Type);
        json.Key("width").Int(line.Width);
        json.Key("win_start");
        PointArray(json, line.WinStart);
        json.Key("win_end");
        PointArray(json, line.WinEnd);
        json.Key("doc_start");
        PointArray(json, line.DocStart);
        json.Key("doc_end");
        PointArray(json, line.DocEnd);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.str();
}

}  // namespace

int RunCheck(const CliArgs& args) {
    if (args.Positional.size() != 1 || !args.Options.empty())
        return Fail(kExitUsage, "usage: check FILE");
    const std::string path = DocumentPath(args.Positional[0]);
    if (!DocumentExists(path)) return Fail(kExitBadInput, "no such file: " + args.Positional[0]);
    switch (CheckFragmentFile(path)) {
        case FragmentFileCheck::NotCsv:
            std::cout << "not-csv\n";
            break;
        case FragmentFileCheck::Csv:
            std::cout << "csv\n";
            break;
        case FragmentFileCheck::FragmentFile:
            std::cout << "fragment-file\n";
            break;
    }
    return kExitOk;
}

int RunInfo(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 1, "info FILE"); rc >= 0) return rc;
    if (int rc = OpenInto(ws, args.Positional[0]); rc != kExitOk) return rc;
    // What a window's first paint does: measure, size the page, lay out frames and lines.
    ws.Set().RedrawAll();
    std::cout << InfoJson(ws.Set()) << '\n';
    return kExitOk;
}

int RunConvert(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 2, "convert IN OUT"); rc >= 0) return rc;
    if (int rc = OpenInto(ws, args.Positional[0]); rc != kExitOk) return rc;
    return Save(ws.Set(), args.Positional[1]);
}

int RunMerge(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 3, "merge BASE OTHER OUT"); rc >= 0) return rc;
    if (int rc = OpenInto(ws, args.Positional[0]); rc != kExitOk) return rc;
    ReadStatus status = ReadStatus::Read;
    ReadFragmentFile(ws.Set(), DocumentPath(args.Positional[1]), true, &status);
    ws.ReportMessages();
    if (status == ReadStatus::Missing)
        return Fail(kExitBadInput, "no such file: " + args.Positional[1]);
    if (status == ReadStatus::Unreadable)
        return Fail(kExitBadInput, "cannot read " + args.Positional[1]);
    return Save(ws.Set(), args.Positional[2]);
}

int RunExportText(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 2, "export-text DOC OUT"); rc >= 0) return rc;
    if (int rc = OpenInto(ws, args.Positional[0]); rc != kExitOk) return rc;
    std::string error;
    if (!ExportText(ws.Set(), DocumentPath(args.Positional[1]), &error))
        return Fail(kExitBadInput, error);
    return kExitOk;
}

int RunImportText(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 2, "import-text TEXT OUT [--group N]", true); rc >= 0) return rc;
    std::optional<int> group;
    for (std::size_t i = 0; i < args.Options.size(); ++i) {
        if (args.Options[i] != "--group") continue;
        const auto n = i + 1 < args.Options.size() ? ParseInt(args.Options[i + 1]) : std::nullopt;
        if (!n || *n < kNoGroup || *n > kMaxGroup)
            return Fail(kExitUsage, "--group takes a group number 0..100");
        group = *n;
        ++i;
    }
    const FileBytes file = ReadFileBytes(DocumentPath(args.Positional[0]));
    if (file.Status == ReadStatus::Missing)
        return Fail(kExitBadInput, "no such file: " + args.Positional[0]);
    if (file.Status != ReadStatus::Read) return Fail(kExitBadInput, file.Error);
    const std::vector<std::string_view> lines = SplitLines(file.Bytes);
    ImportLines(ws.Set(), lines, group ? *group : ImportStartGroup(ws.Set()));
    ws.ReportMessages();
    return Save(ws.Set(), args.Positional[1]);
}

}  // namespace qv::cli
