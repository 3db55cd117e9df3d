// Peak memory of scanning a 20 MB file, above the process's baseline. The file
// is written in small pieces so that making it does not raise the peak first.
// The file and its hex text alone are three times its size.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/JpegLikeData.h"
#include "segment/HedThread.h"

namespace {

constexpr size_t kTwentyMegabytes = 20u * 1024 * 1024;

double PeakResidentBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

void BM_ScanFilePeakMemory(benchmark::State& state) {
    const std::string path = "/tmp/kestrin-bench-" + std::to_string(::getpid()) + ".jpg";
    WriteJpegLikeFile(path, kTwentyMegabytes);
    const double baseline = PeakResidentBytes();
    for (auto _ : state) {
        CHedThread record;
        record.m_strFileName = path;
        ScanJpegHeaders(record);
        benchmark::DoNotOptimize(record.m_Obj.data());
    }
    const double peak = PeakResidentBytes();
    std::remove(path.c_str());
    state.counters["file_MB"] = static_cast<double>(kTwentyMegabytes) / 1e6;
    state.counters["peak_above_baseline_MB"] = (peak - baseline) / 1e6;
    state.counters["ratio_to_file"] = (peak - baseline) / static_cast<double>(kTwentyMegabytes);
}
// One iteration: the peak is a high-water mark, so repeating adds nothing.
BENCHMARK(BM_ScanFilePeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
