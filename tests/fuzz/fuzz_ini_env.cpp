// Loading any settings file must never crash, and what EnvData writes back must load again to the
// same settings (so a save can never change or lose a value it did not mean to).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/settings/env_data.h"
#include "core/settings/shortcut.h"
#include "core/settings/usr_ini_file.h"
#include "core/settings/window_state.h"

namespace {

bool Exists(std::string_view) {
    return true;
}

bool SameSettings(const qv::EnvData& a, const qv::EnvData& b) {
    for (const auto& s : qv::StoredSettings()) {
        if (qv::GetSetting(a, s) != qv::GetSetting(b, s)) return false;
    }
    for (const auto& f : qv::StoredFonts()) {
        if (!(a.*f.Field == b.*f.Field)) return false;
    }
    return a.RecentFiles == b.RecentFiles && a.FindHistory == b.FindHistory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto ini = qv::UsrIniFile::FromText(text);

    qv::EnvData env;
    env.Load(ini, Exists);
    // Whatever a line holds, the record read from it writes back to a line that reads the same.
    for (const auto& r : env.RecentFiles) {
        const qv::FileHistoryRecord record = qv::FileHistoryRecord::Parse(r);
        if (!(qv::FileHistoryRecord::Parse(record.Write()) == record)) std::abort();
    }
    (void)qv::ReadPlacement(ini, "Win", 600, 800, 0, 0);
    (void)qv::ReadToolBar(ini, "Tool1", qv::ToolBarState{}, false);
    const std::string shortcut = ini.ReadString("ShortCut", "FileNewItem", "");
    const qv::ShortCut code = qv::TextToShortCut(shortcut);
    if (code != 0 && qv::TextToShortCut(qv::ShortCutToText(code)) != code) std::abort();

    env.Store(ini);
    const auto again = qv::UsrIniFile::FromText(ini.Text());
    qv::EnvData reloaded;
    reloaded.Load(again, Exists);
    if (!SameSettings(env, reloaded)) std::abort();

    // Storing the reloaded settings into the rewritten file changes nothing.
    auto third = again;
    reloaded.Store(third);
    if (third.Modified()) std::abort();
    return 0;
}
