// Reading the head of hostile 1 MB pages: every case must stay linear (well under 50 ms each).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/html_head.h"

namespace {

constexpr std::size_t kPageBytes = qv::kMaxHtmlHeadBytes;

// `prefix`, then `unit` repeated up to the size of a full head.
std::string Repeat(std::string_view prefix, std::string_view unit) {
    std::string page(prefix);
    while (page.size() + unit.size() <= kPageBytes)
        page += unit;
    return page;
}

struct Case {
    const char* Name;
    std::string Page;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        // An attribute name of control bytes broken by blanks: trimmed once per blank before.
        {"control_attribute", Repeat("<meta ", "\x01 ")},
        {"control_attribute_long_runs", Repeat("<meta ", std::string(63, '\x02') + "\t")},
        {"control_tag_name", Repeat("<", "\x01")},
        {"attribute_words", Repeat("<meta ", "a ")},
        {"equals_runs", Repeat("<meta ", "a=")},
        {"open_brackets", Repeat("", "<")},
        {"open_tags", Repeat("", "<meta name=a content=")},
        {"many_metas", Repeat("", "<meta name=a content=b>")},
        {"title_starts", Repeat("", "<titlex")},
        {"title_unclosed", Repeat("<title>", "</titl")},
        {"comment_openers", Repeat("", "<!--")},
        {"charset_words", Repeat("", "charset")},
        {"charset_value", Repeat("charset=", "x")},
        {"head_end_near_misses", Repeat("", "</HEAD")},
        {"empty_lines", Repeat("", "\n")},
        {"euc_page", Repeat("<meta charset=euc-jp>", "\xB4\xC1\xFF\xFE")},
        {"jis_escapes", Repeat("<meta charset=iso-2022-jp>", "\x1B$B")},
        {"utf8_page", Repeat("\xEF\xBB\xBF", "\xE6\xBC\xA2\xFF")},
    };
    return cases;
}

void BM_ReadHtmlHead(benchmark::State& state) {
    const Case& c = Cases()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(c.Name);
    qv::NameValueList list;
    for (auto _ : state) {
        qv::ReadHtmlHeadFromBytes(c.Page, list);
        benchmark::DoNotOptimize(list);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(c.Page.size()));
}
BENCHMARK(BM_ReadHtmlHead)
    ->DenseRange(0, 17)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
