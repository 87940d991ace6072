// What the service terminal's console costs after hours of output: 10 MB of console text in
// blocks of 64 bytes, as a unit at 57600 baud delivers them, go through the console's display
// rules (with password masking on) into a shown console view, which repaints as the event
// loop lets it. The console holds at most 250000 characters, so from the fourth block on it
// trims as it would after hours. The time per block is set beside the block's wire time.
#include "core/terminal/console_text.h"
#include "gui/terminal/console_view.h"

#include <QApplication>

#include <time.h>

#include "bench_main.h"

#include <benchmark/benchmark.h>

using namespace halvana;

namespace {

constexpr int kBlockBytes = 64;
constexpr qint64 kTotalBytes = 10 * 1024 * 1024;
constexpr int kBaud = 57600;
// 10 bit times per byte.
constexpr double kWireUsPerBlock = kBlockBytes * 10 * 1e6 / kBaud;

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Console output as a unit writes it: lines of readings, prompts, now and then an escape.
QByteArray sampleOutput()
{
    QByteArray text;
    for (int i = 0; text.size() < 64 * 1024; ++i) {
        text += "HALVANA> meter write " + QByteArray::number(2001 + i % 300) + " " + QByteArray::number(i) + "\r\n";
        text += "Register " + QByteArray::number(2001 + i % 300) + " = " + QByteArray::number(i) + "\r\n";
        if (i % 50 == 0)
            text += "\x1b" "cStatus: 90 meters, thrush\r\n";
    }
    return text;
}

// Arg 0: the console text alone; 1: with a view shown and repainted.
void BM_ConsoleAppend(benchmark::State& state)
{
    const bool withView = state.range(0) != 0;
    state.SetLabel(withView ? "console and shown view" : "console text only");
    const QByteArray sample = sampleOutput();
    const qint64 blocks = kTotalBytes / kBlockBytes;
    for (auto _ : state) {
        ConsoleText console;
        console.setMasking(true);
        std::unique_ptr<ConsoleView> view;
        if (withView) {
            view = std::make_unique<ConsoleView>(console);
            view->resize(900, 600);
            view->show();
            QApplication::processEvents();
        }
        qint64 offset = 0;
        qint64 lastTenthNs = 0;
        const qint64 t0 = threadCpuNs();
        for (qint64 b = 0; b < blocks; ++b) {
            const qint64 start = threadCpuNs();
            if (offset + kBlockBytes > sample.size())
                offset = 0;
            console.receive(QString::fromLatin1(sample.mid(offset, kBlockBytes)));
            offset += kBlockBytes;
            if (withView)
                QApplication::processEvents();
            if (b >= blocks - blocks / 10)
                lastTenthNs += threadCpuNs() - start;
        }
        const double totalUs = double(threadCpuNs() - t0) / 1000;
        state.counters["us_per_block"] = totalUs / double(blocks);
        state.counters["last_MB_us_per_block"] = double(lastTenthNs) / 1000 / double(blocks / 10);
        state.counters["wire_us_per_block"] = kWireUsPerBlock;
        state.counters["ratio"] = totalUs / double(blocks) / kWireUsPerBlock;
        state.counters["chars_kept"] = double(console.text().size());
    }
}

} // namespace

BENCHMARK(BM_ConsoleAppend)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
