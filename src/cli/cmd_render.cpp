// quillovarsta-cli render DOC OUT [--quality N]: writes the document image as the program's image
// command does (".BMP" a Windows bitmap, ".JPG" a baseline JPEG), without a display.
#include <QByteArray>
#include <QGuiApplication>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "core/content/spi_unit.h"
#include "core/io/fragment_file.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "render/document_painter.h"
#include "render/image_file.h"
#include "render/offscreen_document.h"
#include "render/render_cache.h"

namespace qv::cli {

namespace {

constexpr const char* kRenderUsage = "render DOC OUT [--quality N]";

// The settings file the program next to this tool would use.
std::string SettingsPath(const CliArgs& args) {
    std::error_code ec;
    const std::string currentDir = std::filesystem::current_path(ec).string();
    if (args.HasIni) return IniPathFromOption(args.IniPath, ec ? "." : currentDir);
    const std::filesystem::path self(CurrentProgramPath());
    const std::string program = (self.parent_path() / "quillovarsta").string();
    return DefaultSettingsPath(program, UserConfigDir());
}

// The value of --quality, 1 … 100; none when absent. False for anything else.
bool ParseOptions(const CliArgs& args, std::optional<int>& quality, std::string& error) {
    for (std::size_t i = 0; i < args.Options.size(); ++i) {
        if (args.Options[i] != "--quality") {
            error = "unknown option " + args.Options[i];
            return false;
        }
        if (i + 1 >= args.Options.size()) {
            error = "--quality needs a value from 1 to 100";
            return false;
        }
        const std::string& text = args.Options[++i];
        std::size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(text, &used);
        } catch (...) {
            used = 0;
        }
        if (used == 0 || used != text.size() || value < 1 || value > 100) {
            error = "--quality needs a value from 1 to 100, not \"" + text + "\"";
            return false;
        }
        quality = value;
    }
    return true;
}

}  // namespace

int RunRender(const CliArgs& args) {
    if (args.Positional.size() != 2) return Fail(kExitUsage, std::string("usage: ") + kRenderUsage);
    std::optional<int> quality;
    std::string error;
    if (!ParseOptions(args, quality, error))
        return Fail(kExitUsage, error + " (usage: " + kRenderUsage + ")");

    // Fonts and painting need a GUI application; without a display it runs offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "quillovarsta-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    UsrIniFile ini(SettingsPath(args));
    if (ini.State() == UsrIniFile::LoadState::Unreadable)
        return Fail(kExitBadInput, ini.LastError());
    EnvData env(ini);
    if (quality) env.JpegQuality = *quality;
    const SpiUnit plugins(env.SpiDir);

    const std::string docPath = AbsoluteDocumentPath(Cp932Path(args.Positional[0]));
    const std::string outPath = Cp932Path(args.Positional[1]);
    if (ImageFileTypeOf(outPath) == ImageFileType::Unsupported)
        return Fail(kExitBadInput, args.Positional[1] +
                                       ": not an image file name (.BMP or .JPG); nothing written");

    OffscreenDocument doc(env, &plugins);
    doc.SetDocumentPath(docPath);
    ReadStatus status = ReadStatus::Read;
    ReadFragmentFile(doc.Set(), docPath, false, &status);
    if (status == ReadStatus::Missing)
        return Fail(kExitBadInput, "no such file: " + args.Positional[0]);
    if (status == ReadStatus::Unreadable)
        return Fail(kExitBadInput, "cannot read " + args.Positional[0]);
    if (status == ReadStatus::CutShort)
        std::cerr << "quillovarsta-cli: " << args.Positional[0]
                  << ": more cards than a document holds; the rest were not read\n";

    RenderCache cache;
    const ImageSaveStatus saved = SaveDocumentImage(doc.Set(), outPath, cache, &error);
    if (saved != ImageSaveStatus::Saved)
        return Fail(kExitBadInput, args.Positional[1] + ": " + error);

    const std::optional<QSize> size = DocumentImageSize(doc.Set());
    JsonWriter json;
    json.BeginObject();
    json.Cp932Field("path", outPath);
    json.Key("type").String(ImageFileTypeOf(outPath) == ImageFileType::Bmp ? "bmp" : "jpeg");
    json.Key("width").Int(size ? size->width() : 0);
    json.Key("height").Int(size ? size->height() : 0);
    json.Key("fragment_count").Int(doc.Set().Count());
    if (ImageFileTypeOf(outPath) == ImageFileType::Jpeg) json.Key("quality").Int(env.JpegQuality);
    json.EndObject();
    std::cout << json.str() << '\n';
    return kExitOk;
}

}  // namespace qv::cli
