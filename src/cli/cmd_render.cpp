// quillovarsta-cli render DOC OUT [--quality N]: writes the document image as the program's image
// command does (".BMP" a Windows bitmap, ".JPG" a baseline JPEG), without a display.
#include <iostream>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/settings/paths.h"
#include "core/text/cp932.h"
#include "render/document_painter.h"
#include "render/image_file.h"
#include "render/offscreen_document.h"
#include "render/picture_cache.h"
#include "render/render_cache.h"

namespace qv::cli {

namespace {

constexpr std::string_view kRenderUsage = "render DOC OUT [--quality N]";

}  // namespace

int RunRender(const CliArgs& args) {
    if (int rc = CheckArguments(args, 2, kRenderUsage, {{"--quality", true}}); rc != kExitOk)
        return rc;
    std::optional<int> quality;
    if (int rc = IntOption(args, "--quality", 1, 100, quality); rc != kExitOk) return rc;

    Workspace ws;
    if (int rc = ws.Start(args); rc != kExitOk) return rc;
    if (quality) ws.Env().JpegQuality = *quality;

    const std::string outPath = Cp932Path(args.Positional[1]);
    if (ImageFileTypeOf(outPath) == ImageFileType::Unsupported)
        return Fail(kExitBadInput, args.Positional[1] +
                                       ": not an image file name (.BMP or .JPG); nothing written");
    if (int rc = ws.Open(args.Positional[0]); rc != kExitOk) return rc;

    // Picture cards that show as missing say why ("picture too large"), as the window would.
    for (const auto& f : ws.Set().Fragments()) {
        if (f->Kind != FragmentKind::Image || f->HasPicture() || f->Link.empty()) continue;
        const PictureStatus status = ws.Document().Pictures().StatusOf(f->Link);
        if (status != PictureStatus::Loaded)
            std::cerr << "quillovarsta-cli: " << Cp932ToUtf8(f->Link) << ": "
                      << PictureStatusText(status) << '\n';
    }

    RenderCache cache;
    std::string error;
    const ImageSaveStatus saved = SaveDocumentImage(ws.Set(), outPath, cache, &error);
    if (saved != ImageSaveStatus::Saved)
        return Fail(kExitBadInput, args.Positional[1] + ": " + error);

    const QSize size = DocumentImageSize(ws.Set());
    JsonWriter json;
    json.BeginObject();
    json.Cp932Field("path", outPath);
    json.Key("type").String(ImageFileTypeOf(outPath) == ImageFileType::Bmp ? "bmp" : "jpeg");
    json.Key("width").Int(size.width());
    json.Key("height").Int(size.height());
    json.Key("fragment_count").Int(ws.Set().Count());
    if (ImageFileTypeOf(outPath) == ImageFileType::Jpeg)
        json.Key("quality").Int(ws.Env().JpegQuality);
    json.EndObject();
    std::cout << json.str() << '\n';
    return kExitOk;
}

}  // namespace qv::cli
