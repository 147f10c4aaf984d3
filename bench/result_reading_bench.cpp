// Reading result files back: the largest a run writes (10000 step lines), and one of a million
// step lines (88 MB), which is refused after the 10000th without reading the rest.

#include "platform/text_encoding.h"
#include "run/result_file.h"
#include "run/result_reading.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zmbr {
namespace {

// A two-row result file of `steps` step lines in the temporary folder.
std::string resultFileOf(int steps) {
    const auto dir = std::filesystem::path(std::getenv("ZMBR_BENCH_DIR")
                                               ? std::getenv("ZMBR_BENCH_DIR")
                                               : std::filesystem::temp_directory_path().string());
    const std::string path = (dir / ("zmbr-read-" + std::to_string(steps) + ".TGC")).string();
    std::ofstream out(path, std::ios::binary);
    out << utf8ToCp932(resultHeaderLine1("a.mbr", {2026, 6, 12, 9, 30, 5})) << "\r\ncomment\r\n"
        << utf8ToCp932(resultColumnTitles(2)) << "\r\n"
        << resultZeroLine(2) << "\r\n";
    const std::string step = "    1.250  0.000125  0.000500 -0.000100  45.00 -0.000123  "
                             "0.000123  0.000000 -0.500000\r\n";
    for (int i = 0; i < steps; ++i)
        out << step;
    return path;
}

void BM_ReadResultFile(benchmark::State& state) {
    const std::string path = resultFileOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ResultCurve curve;
        benchmark::DoNotOptimize(readResultFile(realFileSystem(), path, curve));
    }
    std::filesystem::remove(path);
}

BENCHMARK(BM_ReadResultFile)->Arg(kStepLimit)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zmbr
