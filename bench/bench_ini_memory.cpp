// Memory of a loaded settings file of 60 MB made of the smallest lines there are: the heap kept
// after loading (mallinfo2), per byte of file, and the load time. Counters: heap_per_file_byte is
// what stays allocated; peak_per_file_byte the highest heap use seen during the load, sampled by a
// counting allocator below.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "core/settings/usr_ini_file.h"

namespace {

std::atomic<long long> gLive{0};
std::atomic<long long> gPeak{0};

void Count(long long bytes) {
    const long long live = gLive.fetch_add(bytes) + bytes;
    long long peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
}

}  // namespace

// Every allocation of the program, counted with its usable size so that frees balance.
void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    Count(static_cast<long long>(malloc_usable_size(p)));
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    Count(-static_cast<long long>(malloc_usable_size(p)));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

constexpr std::size_t kFileBytes = 60u << 20;

// Heap in use, large (mapped) blocks included.
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A 60 MB file: `head`, then `unit` over and over, a running number in place of its '#'.
std::string WriteFile(const std::string& head, const std::string& unit) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "qv-bench-ini-memory.ini").string();
    std::ofstream out(path, std::ios::binary);
    std::string chunk = head;
    std::size_t written = head.size();
    for (unsigned n = 0; written < kFileBytes; ++n) {
        std::string line = unit;
        if (const std::size_t hash = line.find('#'); hash != std::string::npos)
            line.replace(hash, 1, std::to_string(n));
        chunk += line;
        written += line.size();
        if (chunk.size() > (1u << 20)) {
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk;
    return path;
}

void BM_LoadTinyLineFile(benchmark::State& state, const char* head, const char* unit) {
    const std::string path = WriteFile(head, unit);
    const double fileBytes = static_cast<double>(std::filesystem::file_size(path));
    double kept = 0;
    double peak = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        const long long liveBefore = gLive.load();
        gPeak.store(liveBefore);
        qv::UsrIniFile ini(path);
        if (ini.State() != qv::UsrIniFile::LoadState::Loaded) state.SkipWithError("not loaded");
        kept = static_cast<double>(HeapInUse() - before);
        peak = static_cast<double>(gPeak.load() - liveBefore);
        benchmark::DoNotOptimize(ini);
    }
    state.counters["heap_per_file_byte"] = kept / fileBytes;
    state.counters["peak_per_file_byte"] = peak / fileBytes;
    state.counters["file_MB"] = fileBytes / (1 << 20);
    std::filesystem::remove(path);
}

BENCHMARK_CAPTURE(BM_LoadTinyLineFile, same_sections, "", "[a]\r\n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadTinyLineFile, same_sections_lf, "", "[a]\n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadTinyLineFile, distinct_sections, "", "[#]\n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadTinyLineFile, same_keys, "[a]\n", "a=b\n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadTinyLineFile, distinct_keys, "[a]\n", "#=\n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadTinyLineFile, bare_lines, "[a]\n", "x\n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
