// quillovarsta-cli export DOC OUT [--format svg|pdf|png|canvas]: writes the document in an open
// format chosen by OUT's extension (".svg", ".pdf", ".png", ".canvas", any letter case). OUT "-"
// writes to standard output in the format --format names.
// quillovarsta-cli render DOC OUT [--quality N] [--format bmp|jpg]: the same for the program's
// image output (".bmp" a Windows bitmap, ".jpg" or ".jpeg" a baseline JPEG); OUT "-" writes a
// bitmap unless --format says jpg. Both are one command over the document output, told apart by the
// formats they take, their words and what they report.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/text/cp932.h"
#include "core/text/json_writer.h"
#include "render/formats/document_export.h"
#include "render/painting/document_painter.h"
#include "render/pictures/picture_cache.h"
#include "render/painting/render_cache.h"

namespace qv::cli {

namespace {

struct Format {
    ExportFormat Value;
    const char* Name;  // as --format takes it and the report names it
};

// What sets `render` and `export` apart.
struct OutputCommand {
    std::string_view Usage;
    std::vector<Format> Formats;
    // Standard output without --format: this format (Unsupported: --format is needed).
    ExportFormat StandardFormat;
    bool TakesQuality;
    std::string_view FormatWords;  // "svg, pdf, png or canvas"
    std::string_view Extensions;   // ".svg, .pdf, .png or .canvas"
    std::string_view FormatNoun;   // what a file's extension names
    std::string_view ReportKey;    // the report's key for the format
};

const OutputCommand kExport = {
    "export DOC OUT [--format svg|pdf|png|canvas]",
    {{ExportFormat::Svg, "svg"},
     {ExportFormat::Pdf, "pdf"},
     {ExportFormat::Png, "png"},
     {ExportFormat::Canvas, "canvas"}},
    ExportFormat::Unsupported,
    false,
    "svg, pdf, png or canvas",
    ".svg, .pdf, .png or .canvas",
    "format",
    "format",
};

const OutputCommand kRender = {
    "render DOC OUT [--quality N] [--format bmp|jpg]",
    {{ExportFormat::Bmp, "bmp"}, {ExportFormat::Jpeg, "jpeg"}},
    ExportFormat::Bmp,
    true,
    "bmp or jpg",
    ".bmp, .jpg or .jpeg",
    "type",
    "type",
};

const Format* FindFormat(const OutputCommand& command, ExportFormat value) {
    for (const Format& f : command.Formats)
        if (f.Value == value) return &f;
    return nullptr;
}

// The last --format value; nullopt when not given, Unsupported when not one of the command's.
std::optional<ExportFormat> FormatOption(const OutputCommand& command, const CliArgs& args) {
    std::optional<ExportFormat> format;
    for (std::size_t i = 0; i + 1 < args.Options.size(); ++i) {
        if (args.Options[i] != "--format") continue;
        const ExportFormat f = ExportFormatOf("-." + args.Options[++i]);
        format = FindFormat(command, f) ? f : ExportFormat::Unsupported;
    }
    return format;
}

int RunOutput(const OutputCommand& command, const CliArgs& args) {
    if (int rc =
            command.TakesQuality
                ? CheckArguments(args, 2, command.Usage, {{"--quality", true}, {"--format", true}})
                : CheckArguments(args, 2, command.Usage, {{"--format", true}});
        rc != kExitOk)
        return rc;
    std::optional<int> quality;
    if (command.TakesQuality) {
        if (int rc = IntOption(args, "--quality", 1, 100, quality); rc != kExitOk) return rc;
    }
    const std::string& out = args.Positional[1];
    const bool toStdout = IsStandardOutput(out);
    const std::optional<ExportFormat> option = FormatOption(command, args);
    if (option == ExportFormat::Unsupported)
        return Fail(kExitUsage, "--format is " + std::string(command.FormatWords) +
                                    " (usage: " + std::string(command.Usage) + ")");
    if (!toStdout && option)
        return Fail(kExitUsage, "--format is for \"-\"; a file's extension names its " +
                                    std::string(command.FormatNoun));
    const ExportFormat standard = option.value_or(command.StandardFormat);
    if (toStdout && standard == ExportFormat::Unsupported)
        return Fail(kExitUsage,
                    "standard output needs --format " + std::string(command.FormatWords));
    // An output name no format answers to is wrong usage, told before anything is read.
    const ExportFormat format = toStdout ? standard : ExportFormatOf(out);
    const Format* named = FindFormat(command, format);
    if (!named)
        return Fail(kExitUsage, out + ": the file name must end in " +
                                    std::string(command.Extensions) + "; nothing written");

    Workspace ws;
    if (int rc = ws.Start(args); rc != kExitOk) return rc;
    if (quality) ws.Env().JpegQuality = *quality;
    if (int rc = ws.Open(args.Positional[0]); rc != kExitOk) return rc;

    // Picture cards that show as missing say why ("picture too large"), as the window would.
    for (const auto& f : ws.Set().Fragments()) {
        if (f->Kind != FragmentKind::Image || f->HasPicture() || f->Link.empty()) continue;
        const PictureStatus status = ws.Document().Pictures().StatusOf(f->Link);
        // A FIFO, folder or link loop says what it is.
        const std::string why = ws.Document().Pictures().WhyOf(f->Link);
        if (status != PictureStatus::Loaded)
            Note(Cp932ToUtf8(f->Link) + ": " + PictureStatusText(status) +
                 (why.empty() ? std::string() : std::string(": ").append(why)));
    }

    // The document's own pictures, plug-in formats included, also at full size.
    RenderCache cache;
    cache.SetPictureSource(&ws.Document().Pictures().Cache(), ws.Document().Pictures().Plugins());
    if (toStdout) {
        // Straight to standard output as it is made: no file is made, and no report would spoil
        // what it holds.
        StandardOutput stdoutWriter;
        const WriteResult written = WriteExport(
            ws.Set(), format, [&](std::string_view data) { return stdoutWriter.Write(data); },
            cache);
        if (!written)
            return Fail(kExitBadInput,
                        stdoutWriter.Error().empty() ? written.Error : stdoutWriter.Error());
        return kExitOk;
    }
    const std::string outPath = DocumentPath(out);
    if (const WriteResult written = ExportDocument(ws.Set(), outPath, format, cache); !written)
        return Fail(kExitBadInput, out + ": " + written.Error);

    const QSize size = DocumentImageSize(ws.Set());
    JsonWriter json;
    json.BeginObject();
    json.Key("path").String(outPath);
    json.Key(command.ReportKey).String(named->Name);
    json.Key("width").Int(size.width());
    json.Key("height").Int(size.height());
    json.Key("fragment_count").Int(ws.Set().Count());
    if (command.TakesQuality && format == ExportFormat::Jpeg)
        json.Key("quality").Int(ws.Env().JpegQuality);
    json.EndObject();
    std::cout << json.str() << '\n';
    return kExitOk;
}

}  // namespace

int RunExport(const CliArgs& args) {
    return RunOutput(kExport, args);
}

int RunRender(const CliArgs& args) {
    return RunOutput(kRender, args);
}

}  // namespace qv::cli
