// quillovarsta-cli document subcommands: check, info, convert, merge, export-text, import-text.
// Each works on a fresh document of a Workspace (cli_support.h): a notional 640 × 480 window
// scrolled to 0, 0, the settings of -I (or the settings file the program would use) and the
// program's card fonts.
#include <iostream>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/io/fragment_file.h"
#include "core/io/text_exchange.h"
#include "core/model/frag_set.h"
#include "core/settings/paths.h"
#include "core/text/json_writer.h"

namespace qv::cli {

namespace {

// Checks the arguments and starts the workspace; returns an exit code.
int Begin(Workspace& ws, const CliArgs& args, std::size_t positional, std::string_view usage,
          std::initializer_list<CliOption> options = {}) {
    if (int rc = CheckArguments(args, positional, usage, options); rc != kExitOk) return rc;
    return ws.Start(args);
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

std::string InfoJson(const FragSet& set, const ReadResult& read) {
    JsonWriter json;
    json.BeginObject();
    // A file-system path: the user's own bytes (UTF-8), not code page 932.
    json.Key("path").String(set.FileName);
    json.Key("fragment_count").Int(set.Count());
    // A document that holds only part of its file says what it lacks.
    json.Key("cards_dropped").Int(read.CardsDropped);
    json.Key("unconvertible_lines").BeginArray();
    for (int line : read.UnconvertibleLines)
        json.Int(line);
    json.EndArray();
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
    if (int rc = CheckArguments(args, 1, "check FILE"); rc != kExitOk) return rc;
    const std::string& arg = args.Positional[0];
    WholeFile probe;
    const FragmentFileCheck kind = CheckFragmentFile(DocumentPath(arg), &probe);
    if (probe.Status == WholeFile::Result::Missing)
        return Fail(kExitBadInput, "no such file: " + arg);
    if (probe.Status != WholeFile::Result::Read)
        return Fail(kExitBadInput, "cannot read " + arg + ": " + probe.Why);
    switch (kind) {
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
    if (int rc = Begin(ws, args, 1, "info FILE"); rc != kExitOk) return rc;
    ReadResult read;
    const int rc = ws.Open(args.Positional[0], false, &read);
    // A report writes nothing, so part of a document is described too (read-only, with what it
    // lacks); the exit status still says the file was not read whole.
    if (read.Status != ReadStatus::Read && read.Status != ReadStatus::CutShort) return rc;
    // What a window's first paint does: measure, size the page, lay out frames and lines.
    ws.Set().RedrawAll();
    std::cout << InfoJson(ws.Set(), read) << '\n';
    return rc;
}

int RunConvert(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 2, "convert IN OUT"); rc != kExitOk) return rc;
    if (int rc = ws.Open(args.Positional[0], false, nullptr, args.Positional[1]); rc != kExitOk)
        return rc;
    return SaveDocument(ws.Set(), args.Positional[1]);
}

int RunMerge(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 3, "merge BASE OTHER OUT"); rc != kExitOk) return rc;
    if (int rc = ws.Open(args.Positional[0]); rc != kExitOk) return rc;
    if (int rc = ws.Open(args.Positional[1], true); rc != kExitOk) return rc;
    return SaveDocument(ws.Set(), args.Positional[2]);
}

int RunExportText(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 2, "export-text DOC OUT"); rc != kExitOk) return rc;
    if (int rc = ws.Open(args.Positional[0]); rc != kExitOk) return rc;
    if (IsStandardOutput(args.Positional[1])) {
        const std::string text = ExportTextBytes(ws.Set());
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        return std::cout ? kExitOk : Fail(kExitBadInput, "cannot write to standard output");
    }
    const WriteResult written = ExportText(ws.Set(), DocumentPath(args.Positional[1]));
    if (!written) return Fail(kExitBadInput, written.Error);
    return kExitOk;
}

int RunImportText(const CliArgs& args) {
    Workspace ws;
    if (int rc = Begin(ws, args, 2, "import-text TEXT OUT [--group N]", {{"--group", true}});
        rc != kExitOk)
        return rc;
    std::optional<int> group;
    if (int rc = IntOption(args, "--group", kNoGroup, kMaxGroup, group); rc != kExitOk) return rc;
    const ReadResult read = ImportTextFile(ws.Set(), DocumentPath(args.Positional[0]), group);
    ws.ReportMessages();
    if (int rc = ReportRead(args.Positional[0], read); rc != kExitOk) return rc;
    return SaveDocument(ws.Set(), args.Positional[1]);
}

}  // namespace qv::cli
