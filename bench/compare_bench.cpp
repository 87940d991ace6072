// Comparing ten All Settings captures of a 250-meter unit, next to only reading the ten files.
#include "bench_main.h"
#include "core/capture/settings_comparison.h"
#include "core/files/text_file.h"
#include "core/grid/grid_model.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>

using namespace halvana;

namespace {

constexpr int kMeters = 250;
constexpr int kSettingsPerMeter = 33;
constexpr int kFiles = 10;

QStringList writeCaptures(const QTemporaryDir& dir)
{
    QStringList paths;
    for (int f = 0; f < kFiles; ++f) {
        QString text = QStringLiteral("Reg\tDescription\tValue\r\n");
        for (int m = 0; m < kMeters; ++m) {
            for (int s = 0; s < kSettingsPerMeter; ++s) {
                const int reg = 2001 + m * 100 + s;
                // Every file changes a few settings of its own.
                const int value = (reg * 7 + (s == f ? f : 0)) % 10000;
                text += QStringLiteral("%1\tSetting %2 - B%3\t%4.%5\r\n").arg(reg).arg(s).arg(m + 1).arg(value / 100).arg(value % 100, 2, 10, QLatin1Char('0'));
            }
        }
        paths << dir.filePath(QStringLiteral("Settings_%1.txt").arg(f + 1, 3, 10, QLatin1Char('0')));
        writeTextFile1252(paths.back(), text);
    }
    return paths;
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_CompareTenCaptures(benchmark::State& state)
{
    QTemporaryDir dir;
    const QStringList paths = writeCaptures(dir);
    double readTime = 0, compareTime = 0;
    GridModel grid;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        for (const QString& path : paths)
            benchmark::DoNotOptimize(readWholeTextFile(path, SettingsComparison::kMaxCaptureBytes));
        auto read = std::chrono::steady_clock::now();
        SettingsComparison::Compare(paths, grid);
        auto compared = std::chrono::steady_clock::now();
        readTime += seconds(read - start);
        compareTime += seconds(compared - read);
    }
    const double n = double(state.iterations());
    state.counters["read_ms"] = readTime / n * 1000;
    state.counters["compare_ms"] = compareTime / n * 1000;
    state.counters["compare/read"] = compareTime / readTime;
    state.counters["rows"] = grid.rowCount() - 1;
}
BENCHMARK(BM_CompareTenCaptures)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
