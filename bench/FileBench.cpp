// Load and save of a 100,000-row generated schedule through the store.
//   vinta_bench                      the benchmarks
//   vinta_bench --peak-load FILE     loads FILE once, saves it to FILE.out, and
//                                    prints the times and the peak memory

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "exchange/CsvExport.h"
#include "KtsGenerate.h"
#include "exchange/CsvImport.h"
#include "exchange/Mspdi.h"
#include "runtime/FileStamp.h"
#include "store/ScheduleDocument.h"

namespace {

using namespace vinta;

const std::string& SampleFile() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / ("vinta-bench-" + std::to_string(::getpid()) + ".kts")).string();
        ScheduleDocument s;
        GenerateSchedule(s, {100000, 1, 2026, 50});
        if (!s.store.SaveToFile(p)) std::abort();
        return p;
    }();
    return path;
}

void BM_Load100k(benchmark::State& state) {
    const std::string& path = SampleFile();
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<ScheduleDocument>();
        state.ResumeTiming();
        if (s->store.LoadFromFile(path) != kLoadRead) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(s->grids.Schedule1.RowCount());
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_Load100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Save100k(benchmark::State& state) {
    ScheduleDocument s;
    if (s.store.LoadFromFile(SampleFile()) != kLoadRead) std::abort();
    std::string out = SampleFile() + ".out";
    for (auto _ : state) {
        if (!s.store.SaveToFile(out)) state.SkipWithError("save failed");
    }
    std::filesystem::remove(out);
}
BENCHMARK(BM_Save100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What a save adds to compare the file with the one read: a stat where the
// clock is fine, and the content's digest where it keeps whole seconds.
void BM_StampCheck100k(benchmark::State& state) {
    const FileStamp read = FileStamp::Of(SampleFile());
    for (auto _ : state) benchmark::DoNotOptimize(ChangedSince(read, SampleFile()));
}
BENCHMARK(BM_StampCheck100k)->Unit(benchmark::kMicrosecond);

void BM_Digest100k(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(DigestOf(SampleFile()));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(SampleFile()));
}
BENCHMARK(BM_Digest100k)->Unit(benchmark::kMillisecond);

void BM_SaveToBytes100k(benchmark::State& state) {
    ScheduleDocument s;
    if (s.store.LoadFromFile(SampleFile()) != kLoadRead) std::abort();
    for (auto _ : state) benchmark::DoNotOptimize(s.store.SaveToBytes());
}
BENCHMARK(BM_SaveToBytes100k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The whole schedule out to Microsoft Project XML and into a new schedule
// from it (the plan read, the XML written; the XML parsed, the rows written);
// then the same in from the CSV export.
void BM_MspdiExport100k(benchmark::State& state) {
    ScheduleDocument s;
    if (s.store.LoadFromFile(SampleFile()) != kLoadRead) std::abort();
    for (auto _ : state) benchmark::DoNotOptimize(WriteMspdi(ReadPlan(s)));
}
BENCHMARK(BM_MspdiExport100k)->Unit(benchmark::kMillisecond);

void BM_MspdiImport100k(benchmark::State& state) {
    ScheduleDocument s;
    if (s.store.LoadFromFile(SampleFile()) != kLoadRead) std::abort();
    const std::string xml = WriteMspdi(ReadPlan(s));
    for (auto _ : state) {
        std::string error;
        auto read = ReadMspdi(xml, error);
        ScheduleDocument d;
        if (!read || WritePlan(read->plan, d)) state.SkipWithError("import failed");
    }
    state.counters["bytes"] = static_cast<double>(xml.size());
}
BENCHMARK(BM_MspdiImport100k)->Unit(benchmark::kMillisecond);

void BM_CsvImport100k(benchmark::State& state) {
    ScheduleDocument s;
    if (s.store.LoadFromFile(SampleFile()) != kLoadRead) std::abort();
    const std::string csv = OutlineCsv(s, CsvEncoding::kCp932);
    for (auto _ : state) {
        std::string error;
        auto plan = ReadCsv(csv, error);
        ScheduleDocument d;
        if (!plan || WritePlan(*plan, d)) state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_CsvImport100k)->Unit(benchmark::kMillisecond);

long PeakKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

double MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

int PeakLoad(const char* path) {
    long before = PeakKiB();
    ScheduleDocument s;
    auto t0 = std::chrono::steady_clock::now();
    int r = s.store.LoadFromFile(path);
    double loadMs = MsSince(t0);
    long afterLoad = PeakKiB();
    std::printf("load result %d, %d outline rows, load %.0f ms, peak memory %ld KiB (%ld KiB before loading)\n", r,
                s.store.DataRowCount(s.outlineSlot), loadMs, afterLoad, before);
    if (r != kLoadRead) return 1;
    std::string out = std::string(path) + ".out";
    t0 = std::chrono::steady_clock::now();
    bool saved = s.store.SaveToFile(out);
    std::printf("save %s, %.0f ms, peak memory %ld KiB\n", saved ? "ok" : "FAILED", MsSince(t0), PeakKiB());
    std::filesystem::remove(out);
    t0 = std::chrono::steady_clock::now();
    size_t imageBytes = s.store.SaveToBytes().size();
    std::printf("image in memory (the recovery copy) %zu bytes, %.0f ms, peak memory %ld KiB\n", imageBytes,
                MsSince(t0), PeakKiB());
    return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak-load") == 0) return PeakLoad(argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(SampleFile());
    return 0;
}
