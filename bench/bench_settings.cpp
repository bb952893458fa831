// Loading and saving a full settings file: every setting, 20 recent-file records of 104 fields,
// 40 find texts, the window placements, tool bars and shortcuts a closing program writes.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "core/settings/window_state.h"

namespace {

// A folder holding a full settings file and the documents its history names.
class Fixture {
  public:
    Fixture() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qv-bench-settings-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        qv::EnvData env;
        std::array<bool, qv::kFileHistoryGroups> shown{};
        shown.fill(true);
        for (int i = 0; i < qv::kMaxRecentFiles; ++i) {
            const std::string doc =
                dir_ + "/\xE3\x83\xA1\xE3\x83\xA2 " + std::to_string(i) + ".csv";
            std::ofstream(doc) << "#Quillovarsta\n";
            shown[static_cast<std::size_t>(i)] = false;
            qv::FileHistoryRecord record = *qv::FileHistoryRecord::ForDocument(doc);
            record.GroupShown = shown;
            record.ScrollY = i * 100;
            record.ScrollX = i * 50;
            record.GroupListGroup = i;
            env.RecentFiles.push_back(record.Write());
        }
        for (int i = 0; i < qv::kMaxFindHistory; ++i)
            env.FindHistory.push_back("\x8C\x9F\x8D\xF5 word " + std::to_string(i));
        env.HomeWindow = dir_ + "/home.csv";
        path_ = dir_ + "/Quillova.INI";
        qv::UsrIniFile ini(path_);
        WriteOwnEntries(ini, 0);
        env.Save(ini);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // What the main window writes before Save: placements, tool bars, shortcuts.
    static void WriteOwnEntries(qv::UsrIniFile& ini, int shift) {
        qv::WritePlacement(ini, "Win", qv::Rect{10 + shift, 20, 1010, 760});
        qv::WritePlacement(ini, "MapView", qv::Rect{800, 20, 1000, 220});
        qv::WritePlacement(ini, "FrgPropDlg", qv::Rect{100, 100, 600, 500});
        for (const char* tool : {"Tool1", "Tool2", "Tool3"}) {
            qv::ToolBarState s;
            s.Left = 30;
            qv::WriteToolBar(ini, tool, s);
        }
        for (int i = 0; i < 62; ++i)
            ini.WriteString("ShortCut", "Command" + std::to_string(i) + "Item",
                            i % 4 ? "" : "Ctrl+X");
    }

    const std::string& Path() const { return path_; }

  private:
    std::string dir_;
    std::string path_;
};

void BM_LoadFullSettingsFile(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        qv::UsrIniFile ini(f.Path());
        qv::EnvData env(ini);
        if (env.RecentFiles.size() != qv::kMaxRecentFiles) state.SkipWithError("history lost");
        benchmark::DoNotOptimize(env);
    }
}
BENCHMARK(BM_LoadFullSettingsFile)->Unit(benchmark::kMicrosecond);

// Closing without changes: every value is compared and nothing is written.
void BM_SaveUnchanged(benchmark::State& state) {
    Fixture f;
    qv::UsrIniFile ini(f.Path());
    const qv::EnvData env(ini);
    for (auto _ : state) {
        Fixture::WriteOwnEntries(ini, 0);
        env.Save(ini);
        if (ini.Modified()) state.SkipWithError("unexpected change");
    }
}
BENCHMARK(BM_SaveUnchanged)->Unit(benchmark::kMicrosecond);

// Closing after a change: the whole file is regenerated and replaced on disk.
void BM_SaveChanged(benchmark::State& state) {
    Fixture f;
    qv::UsrIniFile ini(f.Path());
    const qv::EnvData env(ini);
    int shift = 0;
    for (auto _ : state) {
        Fixture::WriteOwnEntries(ini, ++shift);
        if (!env.Save(ini)) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_SaveChanged)->Unit(benchmark::kMicrosecond);

}  // namespace
