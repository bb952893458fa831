// Start-up as a user waits for it: the program started as a process (offscreen platform, a fresh
// settings file, the example document as its start document) until its main window's first
// paint is done, which the program reports on its standard output when asked by the environment.
// Process start, library loading, settings, fonts, reading the document, the first refresh of the
// group list and the first paint are all included; the program quits after the report.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Starts the program and returns the milliseconds until it said "first-frame"; -1 on failure.
double StartToFirstFrame(const fs::path& ini) {
    int out[2];
    if (::pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string iniArg = "-I" + ini.string();
    std::string program = QV_PROGRAM, document = QV_EXAMPLE;
    char* argv[] = {program.data(), const_cast<char*>(iniArg.c_str()), document.data(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, QV_PROGRAM, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    double ms = -1;
    if (spawned == 0) {
        std::string said;
        char buffer[256];
        ssize_t n;
        while (said.find("first-frame") == std::string::npos &&
               (n = ::read(out[0], buffer, sizeof buffer)) > 0)
            said.append(buffer, static_cast<std::size_t>(n));
        if (said.find("first-frame") != std::string::npos)
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    ::close(out[0]);
    return ms;
}

void BM_ProcessStartToFirstCompleteFrame(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QUILLOVARSTA_FIRST_FRAME", "exit", 1);
    const fs::path dir =
        fs::temp_directory_path() / ("bench_startup_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    int run = 0;
    for (auto _ : state) {
        // A settings file of its own each time: no lock or stored state left by the last run.
        const double ms = StartToFirstFrame(dir / ("run" + std::to_string(run++) + ".ini"));
        if (ms < 0) {
            state.SkipWithError("the program did not report its first frame");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}
BENCHMARK(BM_ProcessStartToFirstCompleteFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
