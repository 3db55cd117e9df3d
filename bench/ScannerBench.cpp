// Throughput of the hex encoder and of the segment scanner on a 20 MB
// JPEG-like buffer held in memory.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/JpegLikeData.h"
#include "hexcodec/Cipher.h"
#include "segment/HedThread.h"

namespace {

constexpr size_t kTwentyMegabytes = 20u * 1024 * 1024;

void BM_HexEncode(benchmark::State& state) {
    const std::vector<uint8_t> bytes = MakeJpegLikeBuffer(kTwentyMegabytes);
    std::string text(2 * bytes.size(), '\0');
    const CCipher cipher;
    for (auto _ : state) {
        cipher.Bin2CharHex(text.data(), bytes.data(), static_cast<int>(bytes.size()));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_HexEncode)->Unit(benchmark::kMillisecond);

void BM_HexDecodeSlices(benchmark::State& state) {
    const std::vector<uint8_t> bytes = MakeJpegLikeBuffer(kTwentyMegabytes);
    const CCipher cipher;
    const std::string text = cipher.Bin2CStringHex(bytes.data(), static_cast<int>(bytes.size()));
    unsigned char out[101];
    char slice[201];
    for (auto _ : state) {
        for (size_t pos = 0; pos < text.size(); pos += 200) {
            const size_t length = std::min<size_t>(200, text.size() - pos);
            text.copy(slice, length, pos);
            slice[length] = '\0';
            benchmark::DoNotOptimize(cipher.CharHex2Bin(out, slice));
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_HexDecodeSlices)->Unit(benchmark::kMillisecond);

void BM_ScanJpegBytes(benchmark::State& state) {
    const std::vector<uint8_t> bytes = MakeJpegLikeBuffer(kTwentyMegabytes);
    size_t segments = 0;
    for (auto _ : state) {
        auto record = std::make_unique<CHedThread>();
        ScanJpegBytes(*record, bytes.data(), bytes.size());
        segments = record->m_Obj.size();
        benchmark::DoNotOptimize(record->m_Obj.data());
        // Releasing the list is its owner's work, not the scan's.
        state.PauseTiming();
        record.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["segments"] = static_cast<double>(segments);
}
BENCHMARK(BM_ScanJpegBytes)->Unit(benchmark::kMillisecond);

}  // namespace
