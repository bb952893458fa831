// quillovarsta-cli render DOC OUT [--quality N] [--format bmp|jpg]: writes the document image as
// the program's image command does (".BMP" a Windows bitmap, ".JPG" a baseline JPEG), without a
// display. OUT "-" writes the image to standard output, as a bitmap unless --format says jpg.
#include <iostream>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/settings/paths.h"
#include "core/text/cp932.h"
#include "core/text/json_writer.h"
#include "render/document_painter.h"
#include "render/image_file.h"
#include "render/offscreen_document.h"
#include "render/picture_cache.h"
#include "render/render_cache.h"

namespace qv::cli {

namespace {

constexpr std::string_view kRenderUsage = "render DOC OUT [--quality N] [--format bmp|jpg]";

// The last --format value: ".BMP" or ".JPG"; empty when not given, "?" when not understood.
std::string FormatExtension(const CliArgs& args) {
    std::string ext;
    for (std::size_t i = 0; i + 1 < args.Options.size(); ++i) {
        if (args.Options[i] != "--format") continue;
        const std::string& v = args.Options[++i];
        ext = v == "bmp" || v == "BMP"                  ? ".BMP"
              : v == "jpg" || v == "JPG" || v == "jpeg" ? ".JPG"
                                                        : "?";
    }
    return ext;
}

}  // namespace

int RunRender(const CliArgs& args) {
    if (int rc = CheckArguments(args, 2, kRenderUsage, {{"--quality", true}, {"--format", true}});
        rc != kExitOk)
        return rc;
    std::optional<int> quality;
    if (int rc = IntOption(args, "--quality", 1, 100, quality); rc != kExitOk) return rc;
    const std::string& out = args.Positional[1];
    const bool toStdout = IsStandardOutput(out);
    std::string extension = FormatExtension(args);
    if (extension == "?")
        return Fail(kExitUsage,
                    "--format is bmp or jpg (usage: " + std::string(kRenderUsage) + ")");
    if (!toStdout && !extension.empty())
        return Fail(kExitUsage, "--format is for \"-\"; a file's extension names its type");
    if (extension.empty()) extension = ".BMP";
    // An output name no format answers to is wrong usage, told before anything is read.
    const ImageFileType type = ImageFileTypeOf(toStdout ? "-" + extension : out);
    if (type == ImageFileType::Unsupported)
        return Fail(kExitUsage,
                    out + ": the file name must end in .bmp, .jpg or .jpeg; nothing written");

    Workspace ws;
    if (int rc = ws.Start(args); rc != kExitOk) return rc;
    if (quality) ws.Env().JpegQuality = *quality;

    const std::string outPath = toStdout ? "-" + extension : DocumentPath(out);
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

    std::string error;
    if (toStdout) {
        // Straight to standard output, band by band: no file is made.
        StandardOutput stdoutWriter;
        RenderCache cache;
        const ImageSaveStatus status = WriteDocumentImage(
            ws.Set(), type, cache, [&](std::string_view data) { return stdoutWriter.Write(data); },
            &error);
        if (status != ImageSaveStatus::Saved)
            return Fail(kExitBadInput,
                        status == ImageSaveStatus::WriteFailed ? stdoutWriter.Error() : error);
        // Standard output holds the image; the description would spoil it.
        return kExitOk;
    }
    RenderCache cache;
    if (SaveDocumentImage(ws.Set(), outPath, cache, &error) != ImageSaveStatus::Saved)
        return Fail(kExitBadInput, out + ": " + error);

    const QSize size = DocumentImageSize(ws.Set());
    JsonWriter json;
    json.BeginObject();
    json.Key("path").String(outPath);
    json.Key("type").String(type == ImageFileType::Bmp ? "bmp" : "jpeg");
    json.Key("width").Int(size.width());
    json.Key("height").Int(size.height());
    json.Key("fragment_count").Int(ws.Set().Count());
    if (type == ImageFileType::Jpeg) json.Key("quality").Int(ws.Env().JpegQuality);
    json.EndObject();
    std::cout << json.str() << '\n';
    return kExitOk;
}

}  // namespace qv::cli
