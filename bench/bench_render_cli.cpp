// Image output as a user runs it: the whole `quillovarsta-cli render` (and `export … .png`)
// process, timed, with its peak resident memory read from the kernel (wait4). Documents: 1000 text
// cards on a page of about 3550 × 2020 pixels (target: half the memory the one-bitmap output took,
// no slower), a 20000 × 20000 fixed page (under 64 MiB), and 20 picture cards that link one large
// JPEG (about the memory of one decoded picture). PNG export streams rows from the same banded
// renderer and must stay within the memory of the JPEG and BMP output of the same page. An SVG of
// the 20 picture cards holds their one file once: file_KiB about 4/3 of the JPEG's (base64), not
// 20 times it. The huge page to standard output takes the memory of the same output to a file.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/formats/jpeg_codec.h"
#include "render/painting/offscreen_document.h"

namespace {

namespace fs = std::filesystem;

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "bench_render_cli";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
}

// Removed when the benchmark ends (forked children leave through _exit and keep it).
struct WorkFolder {
    fs::path Path;
    WorkFolder()
        : Path(fs::temp_directory_path() / ("qv-bench-cli-" + std::to_string(::getpid()))) {
        fs::create_directories(Path);
    }
    ~WorkFolder() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

fs::path WorkDir() {
    static const WorkFolder folder;
    return folder.Path;
}

std::string CardText(int i) {
    static const char* const kWords[] = {
        "\x83\x41\x83\x43\x83\x66\x83\x41", "\x89\xb9\x90\xba\x82\xc5\x83\x81\x83\x82",
        "\x8e\xca\x90\x5e\x82\xa9\x82\xe7", "\x95\xb6\x8e\x9a\x82\xf0\x93\xc7\x82\xde",
        "\x83\x4a\x81\x5b\x83\x68",         "\x90\x46\x82\xc5\x95\xaa\x97\xde",
    };
    std::string text;
    for (int w = 0; w < 6; ++w)
        text += kWords[(i * 7 + w * 5) % 6];
    return text + std::to_string(i);
}

// Builds and saves a document; `fill` adds the cards.
template <typename Fill>
std::string SaveDocument(const std::string& name, Fill fill) {
    EnsureApplication();
    const fs::path path = WorkDir() / name;
    if (fs::exists(path)) return path.string();
    qv::EnvData env;
    qv::OffscreenDocument doc(env);
    fill(doc.Set());
    doc.Set().Recount();
    doc.Set().RefreshVisibility();
    if (!qv::SaveFragmentFile(doc.Set(), path.string())) return {};
    return path.string();
}

// 1000 cards of 12 × 3 columns on a 40 × 25 grid, 30 groups with lines between them.
std::string ThousandCards() {
    return SaveDocument("thousand.csv", [](qv::FragSet& set) {
        for (int i = 0; i < 1000; ++i) {
            qv::Fragment* f = set.AddFragment();
            f->Text = CardText(i);
            f->Group = 1 + (i % 40) / 4 + 10 * ((i / 40) / 9);
            f->Columns = 12;
            f->Lines = 3;
            f->Left = (i % 40) * 82;
            f->Top = (i / 40) * 78;
            if (i % 7 == 0) f->ColBG = qv::Rgb(255, 240, 200);
            f->Measure();
        }
        for (int g = 1; g < 30; ++g)
            set.SetGroupLine(g, g + 1);
    });
}

// A fixed 20000 × 20000 page with division lines and 1000 cards spread over it.
std::string HugePage() {
    return SaveDocument("huge.csv", [](qv::FragSet& set) {
        set.FixedSize = true;
        set.FixedWidth = 20000;
        set.FixedHeight = 20000;
        set.DivColumns = 4;
        set.DivRows = 4;
        for (int i = 0; i < 1000; ++i) {
            qv::Fragment* f = set.AddFragment();
            f->Text = CardText(i);
            f->Group = 1 + i % 30;
            f->Columns = 12;
            f->Lines = 3;
            f->Left = (i % 40) * 495;
            f->Top = (i / 40) * 790;
            f->Measure();
        }
    });
}

// A 4000 × 3000 JPEG linked by `cards` picture cards at 1:1, stacked a little apart.
std::string SharedPicture(int cards) {
    const fs::path picture = WorkDir() / "big.jpg";
    if (!fs::exists(picture)) {
        EnsureApplication();
        QImage image(4000, 3000, QImage::Format_RGB32);
        QPainter p(&image);
        p.fillRect(image.rect(), QColor(200, 220, 255));
        for (int i = 0; i < 40; ++i)
            p.fillRect(i * 150, i * 100, 300, 200, QColor::fromHsv(i * 9, 200, 220));
        p.end();
        const auto bytes = qv::EncodeJpeg(image, 80);
        FILE* out = std::fopen(picture.c_str(), "wb");
        if (out && bytes)
            std::fwrite(bytes->constData(), 1, static_cast<std::size_t>(bytes->size()), out);
        if (out) std::fclose(out);
    }
    return SaveDocument("pictures" + std::to_string(cards) + ".csv", [&](qv::FragSet& set) {
        for (int i = 0; i < cards; ++i) {
            qv::Fragment* f = set.AddFragment();
            f->Kind = qv::FragmentKind::Image;
            f->Link = picture.string();
            f->Columns = 1;
            f->Lines = 1;
            f->Left = i * 10;
            f->Top = i * 10;
            f->LoadPicture();
            f->Measure();
        }
    });
}

struct RunResult {
    bool Ok = false;
    double PeakMiB = 0;
    double CpuMs = 0;  // user + system time: steadier than wall time on a busy machine
};

// The tool measured: this build's, or another one named by QV_BENCH_CLI (to measure an older
// build the same way).
const char* CliPath() {
    const char* other = std::getenv("QV_BENCH_CLI");
    return other && *other ? other : QV_CLI;
}

// `format` (when given) is the --format of an output to standard output ("-").
RunResult RunCli(const std::string& document, const std::string& out,
                 const char* subcommand = "render", const char* format = nullptr) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string ini = (WorkDir() / "bench.INI").string();
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
            ::_exit(126);
        ::execl(CliPath(), CliPath(), "-I", ini.c_str(), subcommand, document.c_str(), out.c_str(),
                format ? "--format" : static_cast<char*>(nullptr), format,
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    RunResult r;
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return r;
    r.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    r.PeakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    r.CpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    return r;
}

// `format` given: the output goes to standard output (here /dev/null) instead of `outName`.
void RenderBenchmark(benchmark::State& state, const std::string& document, const char* outName,
                     const char* subcommand = "render", const char* format = nullptr) {
    if (document.empty()) {
        state.SkipWithError("the document could not be written");
        return;
    }
    const std::string out = format ? std::string("-") : (WorkDir() / outName).string();
    double peak = 0, cpu = 0;
    for (auto _ : state) {
        const RunResult r = RunCli(document, out, subcommand, format);
        if (!r.Ok) {
            state.SkipWithError("quillovarsta-cli failed");
            return;
        }
        peak = std::max(peak, r.PeakMiB);
        cpu += r.CpuMs;
    }
    state.counters["peak_MiB"] = peak;
    state.counters["cpu_ms"] = cpu / static_cast<double>(state.iterations());
    if (format) return;
    std::error_code ec;
    state.counters["file_KiB"] = static_cast<double>(fs::file_size(out, ec)) / 1024.0;
}

void BM_CliRenderThousandCardsJpeg(benchmark::State& state) {
    RenderBenchmark(state, ThousandCards(), "thousand.jpg");
}
BENCHMARK(BM_CliRenderThousandCardsJpeg)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CliRenderThousandCardsBmp(benchmark::State& state) {
    RenderBenchmark(state, ThousandCards(), "thousand.bmp");
}
BENCHMARK(BM_CliRenderThousandCardsBmp)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CliExportThousandCardsPng(benchmark::State& state) {
    RenderBenchmark(state, ThousandCards(), "thousand.png", "export");
}
BENCHMARK(BM_CliExportThousandCardsPng)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CliRenderHugePageJpeg(benchmark::State& state) {
    RenderBenchmark(state, HugePage(), "huge.jpg");
}
BENCHMARK(BM_CliRenderHugePageJpeg)->Unit(benchmark::kMillisecond)->Iterations(2);

// A 1.2 GB file; the bitmap is the memory yardstick for the page.
void BM_CliRenderHugePageBmp(benchmark::State& state) {
    RenderBenchmark(state, HugePage(), "huge.bmp");
    std::error_code ec;
    fs::remove(WorkDir() / "huge.bmp", ec);
}
BENCHMARK(BM_CliRenderHugePageBmp)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CliExportHugePagePng(benchmark::State& state) {
    RenderBenchmark(state, HugePage(), "huge.png", "export");
}
BENCHMARK(BM_CliExportHugePagePng)->Unit(benchmark::kMillisecond)->Iterations(2);

// Standard output takes the bytes as they are made: the memory of writing a file, no file.
void BM_CliRenderHugePageBmpToStdout(benchmark::State& state) {
    RenderBenchmark(state, HugePage(), "", "render", "bmp");
}
BENCHMARK(BM_CliRenderHugePageBmpToStdout)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CliExportHugePagePngToStdout(benchmark::State& state) {
    RenderBenchmark(state, HugePage(), "", "export", "png");
}
BENCHMARK(BM_CliExportHugePagePngToStdout)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CliRenderOnePictureCard(benchmark::State& state) {
    RenderBenchmark(state, SharedPicture(1), "picture1.jpg");
}
BENCHMARK(BM_CliRenderOnePictureCard)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CliRenderTwentyCardsOnePicture(benchmark::State& state) {
    RenderBenchmark(state, SharedPicture(20), "picture20.jpg");
}
BENCHMARK(BM_CliRenderTwentyCardsOnePicture)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CliExportTwentyCardsOnePictureSvg(benchmark::State& state) {
    RenderBenchmark(state, SharedPicture(20), "picture20.svg", "export");
    std::error_code ec;
    state.counters["picture_KiB"] =
        static_cast<double>(fs::file_size(WorkDir() / "big.jpg", ec)) / 1024.0;
}
BENCHMARK(BM_CliExportTwentyCardsOnePictureSvg)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
