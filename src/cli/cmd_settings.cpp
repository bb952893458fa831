// quillovarsta-cli settings [-I PATH] [--save]: lists every stored setting as JSON, and with --save
// writes them back the way the program does at exit (only when something differs).
#include <iostream>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "core/text/json_writer.h"

namespace qv::cli {

namespace {

void WriteValue(JsonWriter& json, const SettingValue& value) {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                json.Bool(v);
            } else if constexpr (std::is_same_v<T, int>) {
                json.Int(v);
            } else if constexpr (std::is_same_v<T, Color>) {
                json.Int(ColorToSigned(v));  // as the file writes it
            } else {
                json.Cp932(v);
            }
        },
        value);
}

std::string SettingsJson(const EnvData& env, const std::string& iniPath) {
    JsonWriter json;
    json.BeginObject().Key("settings").BeginObject();
    std::string_view open;
    for (const StoredSetting& s : StoredSettings()) {
        if (s.Section != open) {
            if (!open.empty()) json.EndObject();
            json.Key(s.Section).BeginObject();
            open = s.Section;
        }
        json.Key(s.Key);
        WriteValue(json, GetSetting(env, s));
    }
    if (!open.empty()) json.EndObject();
    for (const StoredFont& f : StoredFonts()) {
        const FontSpec& font = env.*f.Field;
        json.Key(std::string(f.Section) + ".Font").BeginObject();
        json.Key("FontCharset").Int(font.Charset);
        json.Key("FontName").Cp932(font.Face);
        json.Key("FontSize").Int(font.Size);
        json.Key("FontBold").Bool(font.Bold);
        json.Key("FontItalic").Bool(font.Italic);
        json.EndObject();
    }
    json.EndObject();

    json.Key("font_pixel_heights").BeginObject();
    for (const StoredFont& f : StoredFonts())
        json.Key(f.Section).Int((env.*f.Field).PixelHeight());
    json.EndObject();

    json.Key("recent_files").BeginArray();
    for (const auto& r : env.RecentFiles)
        json.Cp932(r);
    json.EndArray();
    json.Key("find_history").BeginArray();
    for (const auto& f : env.FindHistory)
        json.Cp932(f);
    json.EndArray();
    json.Key("ini_path").String(iniPath);
    json.EndObject();
    return json.str();
}

}  // namespace

int RunSettings(const CliArgs& args) {
    if (int rc = CheckArguments(args, 0, "settings [--save]", {{"--save"}}); rc != kExitOk)
        return rc;
    const std::string iniPath = SettingsPath(args);
    UsrIniFile ini;
    if (int rc = LoadSettings(iniPath, ini); rc != kExitOk) return rc;
    const EnvData env(ini);
    std::cout << SettingsJson(env, iniPath) << '\n';
    if (HasOption(args, "--save")) {
        // A write-protected settings file is the user's decision: never replaced.
        if (ini.ReadOnly())
            return Fail(kExitBadInput, iniPath + " is read-only; settings not saved");
        if (!env.Save(ini)) return Fail(kExitBadInput, ini.LastError());
    }
    return kExitOk;
}

}  // namespace qv::cli
