// quillovarsta-cli export DOC OUT [--format svg|pdf|png|canvas]: writes the document in an open
// format chosen by OUT's extension (".svg", ".pdf", ".png", ".canvas", any letter case). OUT "-"
// writes to standard output in the format --format names.
#include <iostream>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/text/cp932.h"
#include "core/text/json_writer.h"
#include "render/document_export.h"
#include "render/document_painter.h"
#include "render/picture_cache.h"
#include "render/render_cache.h"

namespace qv::cli {

namespace {

constexpr std::string_view kExportUsage = "export DOC OUT [--format svg|pdf|png|canvas]";

// The last --format value as an extension; empty when not given, "?" when not understood.
std::string FormatOption(const CliArgs& args) {
    std::string ext;
    for (std::size_t i = 0; i + 1 < args.Options.size(); ++i) {
        if (args.Options[i] != "--format") continue;
        const ExportFormat f = ExportFormatOf("-." + args.Options[++i]);
        ext = f == ExportFormat::Unsupported ? "?" : std::string(ExportExtension(f));
    }
    return ext;
}

const char* FormatName(ExportFormat f) {
    switch (f) {
        case ExportFormat::Svg:
            return "svg";
        case ExportFormat::Pdf:
            return "pdf";
        case ExportFormat::Png:
            return "png";
        case ExportFormat::Canvas:
            return "canvas";
        case ExportFormat::Unsupported:
            break;
    }
    return "";
}

}  // namespace

int RunExport(const CliArgs& args) {
    if (int rc = CheckArguments(args, 2, kExportUsage, {{"--format", true}}); rc != kExitOk)
        return rc;
    const std::string& out = args.Positional[1];
    const bool toStdout = IsStandardOutput(out);
    const std::string option = FormatOption(args);
    if (option == "?")
        return Fail(kExitUsage, "--format is svg, pdf, png or canvas (usage: " +
                                    std::string(kExportUsage) + ")");
    if (!toStdout && !option.empty())
        return Fail(kExitUsage, "--format is for \"-\"; a file's extension names its format");
    if (toStdout && option.empty())
        return Fail(kExitUsage, "standard output needs --format svg, pdf, png or canvas");
    const ExportFormat format = ExportFormatOf(toStdout ? "-" + option : out);
    if (format == ExportFormat::Unsupported)
        return Fail(kExitUsage, out + ": the file name must end in " +
                                    std::string(kExportExtensions) + "; nothing written");

    Workspace ws;
    if (int rc = ws.Start(args); rc != kExitOk) return rc;
    if (int rc = ws.Open(args.Positional[0]); rc != kExitOk) return rc;

    // Picture cards that show as missing say why, as the window would.
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
    std::string error;
    if (toStdout) {
        // Straight to standard output as it is made: no file is made.
        StandardOutput stdoutWriter;
        if (!WriteExport(
                ws.Set(), format, [&](std::string_view data) { return stdoutWriter.Write(data); },
                cache, &error))
            return Fail(kExitBadInput, stdoutWriter.Error().empty() ? error : stdoutWriter.Error());
        return kExitOk;
    }
    const std::string outPath = DocumentPath(out);
    if (!ExportDocument(ws.Set(), outPath, format, cache, &error))
        return Fail(kExitBadInput, out + ": " + error);

    const QSize size = DocumentImageSize(ws.Set());
    JsonWriter json;
    json.BeginObject();
    json.Key("path").String(outPath);
    json.Key("format").String(FormatName(format));
    json.Key("width").Int(size.width());
    json.Key("height").Int(size.height());
    json.Key("fragment_count").Int(ws.Set().Count());
    json.EndObject();
    std::cout << json.str() << '\n';
    return kExitOk;
}

}  // namespace qv::cli
