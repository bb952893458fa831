// Reading and saving a large document: 1000 cards in 30 groups (each with a name plate) and 40
// group lines, with a fixed page and a grid. Targets: read and measure <= 2 ms; save <= 2 ms; a
// recovery copy (written on the GUI thread when the user is idle) <= 2 ms of CPU time, its wall
// time being the disk's two flushes (the copy and its description), as a save's is one.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "../tests/unit/model/fakes.h"
#include "core/io/fragment_file.h"
#include "core/io/text_exchange.h"
#include "core/recovery/recovery_store.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGroups = 30;
constexpr int kCards = 1000;
constexpr int kLines = 40;

// "アイデア" and a line-break marker make the texts look like real ones.
void FillDocument(qv::test::TestDoc& doc) {
    for (int i = 0; i < kCards; ++i) {
        const int g = i % kGroups + 1;
        const bool plate = i < kGroups;
        qv::Fragment* f = doc.Add(plate ? "Group " + std::to_string(g)
                                        : "\x83\x41\x83\x43\x83\x66\x83\x41 " + std::to_string(i) +
                                              "\x81\x5f\"quoted\", more text",
                                  g, (g - 1) % 6 * 400 + i % 7 * 50, (g - 1) / 6 * 300 + i % 5 * 40,
                                  plate ? 10 : 12, plate ? 1 : 3,
                                  plate ? qv::FragmentKind::NamePlate : qv::FragmentKind::Text);
        if (i % 10 == 0) f->Link = "/home/user/notes/idea" + std::to_string(i) + ".txt";
    }
    doc.set.Recount();
    // A ring of neighbours, then some longer chords: 40 distinct pairs.
    for (int k = 0; k < kLines; ++k) {
        const int a = k % kGroups + 1;
        const int step = k < kGroups ? 1 : 5;
        doc.set.SetGroupLine(a, (a - 1 + step) % kGroups + 1);
    }
    if (static_cast<int>(doc.set.GroupLines.size()) != kLines) std::abort();
    doc.set.FixedSize = true;
    doc.set.FixedWidth = 2400;
    doc.set.FixedHeight = 1600;
    doc.set.DivColumns = 3;
    doc.set.DivRows = 2;
}

struct Fixture {
    fs::path dir;
    std::string path;
    std::string text;

    Fixture() {
        dir = fs::temp_directory_path() / ("qv-bench-io-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        path = (dir / "big.csv").string();
        qv::test::TestDoc doc;
        FillDocument(doc);
        text = qv::FragmentFileText(doc.set);
        if (!qv::SaveFragmentFile(doc.set, path)) std::abort();
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

// Opening: a new document, the file read, every card measured, groups counted.
void BM_ReadFragmentFile(benchmark::State& state) {
    Fixture& fx = Shared();
    for (auto _ : state) {
        qv::test::TestDoc doc;
        qv::ReadFragmentFile(doc.set, fx.path, false);
        const int n = doc.set.Count();
        if (n != kCards) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(doc.set.UsedWidth);
    }
}
BENCHMARK(BM_ReadFragmentFile)->Unit(benchmark::kMillisecond);

// The same from memory: the parsing and measuring alone.
void BM_ReadFragmentBytes(benchmark::State& state) {
    Fixture& fx = Shared();
    for (auto _ : state) {
        qv::test::TestDoc doc;
        qv::ReadFragmentBytes(doc.set, fx.text, true, false);
        benchmark::DoNotOptimize(doc.set.Count());
    }
}
BENCHMARK(BM_ReadFragmentBytes)->Unit(benchmark::kMillisecond);

// Saving: the file text built and the file replaced safely (written, flushed, renamed).
void BM_SaveFragmentFile(benchmark::State& state) {
    Fixture& fx = Shared();
    qv::test::TestDoc doc;
    qv::ReadFragmentFile(doc.set, fx.path, false);
    const std::string out = (fx.dir / "saved.csv").string();
    for (auto _ : state) {
        if (!qv::SaveFragmentFile(doc.set, out)) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveFragmentFile)->Unit(benchmark::kMillisecond);

// The same in memory-backed storage (/dev/shm), where flushing costs nothing: what saving costs
// apart from the disk's own flush.
void BM_SaveFragmentFileNoDisk(benchmark::State& state) {
    Fixture& fx = Shared();
    std::error_code ec;
    const fs::path shm("/dev/shm");
    if (!fs::is_directory(shm, ec)) {
        state.SkipWithError("no /dev/shm");
        return;
    }
    qv::test::TestDoc doc;
    qv::ReadFragmentFile(doc.set, fx.path, false);
    const std::string out = (shm / ("qv-bench-io-" + std::to_string(::getpid()) + ".csv")).string();
    for (auto _ : state) {
        if (!qv::SaveFragmentFile(doc.set, out)) state.SkipWithError("save failed");
    }
    fs::remove(out, ec);
}
BENCHMARK(BM_SaveFragmentFileNoDisk)->Unit(benchmark::kMillisecond);

// The file text alone, without the disk.
void BM_FragmentFileText(benchmark::State& state) {
    Fixture& fx = Shared();
    qv::test::TestDoc doc;
    qv::ReadFragmentFile(doc.set, fx.path, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::FragmentFileText(doc.set));
}
BENCHMARK(BM_FragmentFileText)->Unit(benchmark::kMillisecond);

// A recovery copy: the file text, the copy and its description, each replaced and flushed.
void BM_WriteRecoveryCopy(benchmark::State& state) {
    Fixture& fx = Shared();
    qv::test::TestDoc doc;
    qv::ReadFragmentFile(doc.set, fx.path, false);
    qv::RecoveryInfo info;
    info.OriginalPath = fx.path;
    info.SavedAt = 1765120000;
    const fs::path folder = fx.dir / "q.INI.recovery";
    for (auto _ : state) {
        if (!qv::WriteRecoveryCopy(folder, "p1t1", 1, qv::FragmentFileText(doc.set), info))
            state.SkipWithError("copy not written");
    }
}
BENCHMARK(BM_WriteRecoveryCopy)->Unit(benchmark::kMillisecond);

void BM_ExportLines(benchmark::State& state) {
    Fixture& fx = Shared();
    qv::test::TestDoc doc;
    qv::ReadFragmentFile(doc.set, fx.path, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::ExportLines(doc.set));
}
BENCHMARK(BM_ExportLines)->Unit(benchmark::kMillisecond);

}  // namespace
