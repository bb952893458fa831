// SplitFields on typical fragment-file lines.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/text/text_helpers.h"

namespace {

std::vector<std::string> MakeLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) {
        std::string text = "\x83\x41\x83\x43\x83\x66\x83\x41 " + std::to_string(i);  // アイデア n
        if (i % 3 == 0) text = "\"" + text + ", with \"\"quotes\"\"\"";
        lines.push_back(text + "," + std::to_string(i % 30) + "," + std::to_string(i * 7 % 1900) +
                        "," + std::to_string(i * 13 % 1400) + ",12,3,0,16777215," +
                        (i % 5 == 0 ? "/home/user/notes/idea.txt" : ""));
    }
    return lines;
}

void BM_SplitFields(benchmark::State& state) {
    const auto lines = MakeLines();
    std::size_t bytes = 0;
    for (const auto& l : lines)
        bytes += l.size();
    std::vector<std::string> fields;
    for (auto _ : state) {
        for (const auto& l : lines)
            benchmark::DoNotOptimize(qv::SplitFields(l, 9, fields));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SplitFields);

}  // namespace
