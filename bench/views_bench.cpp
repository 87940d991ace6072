// What showing a table costs while it polls: a full-screen readings table of 250 branch meters
// takes one reply after another, each rewriting one meter's column, and the time per reply
// (decode, grid update, and the repaint the event loop then does) is set beside the same work
// on a twin whose table no window shows. Both run in the same loop, so the ratio compares like
// with like; times are the thread's processor time, which a busy machine disturbs less than
// the clock on the wall.
#include "core/device/device_data.h"
#include "gui/views/frm_meter_table.h"
#include "gui/views/grid_view.h"
#include "support/recording_messages.h"

#include <QApplication>
#include <QEvent>

#include <time.h>

#include "bench_main.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace halvana;

namespace {

constexpr QSize kFullScreen(1920, 1080);

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Counts the repaints of the table's cells.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Device data with the branch readings table open on a unit of 250 branch meters (Map 2), every
// meter's column already there, and optionally a window showing the table full-screen.
class ReadingsRig {
public:
    explicit ReadingsRig(bool shown) : m_data(QStringLiteral(HALVANA_BIN_DIR), m_messages)
    {
        m_data.openTable(kBranchReadingsTable);
        m_data.model().NumMeters = kMaxMeters;
        m_data.model().MeterType.fill(kTypeBranch);
        for (int meter = 0; meter < kMaxMeters; ++meter)
            update(meter, 0);
        if (shown) {
            m_window = std::make_unique<FrmMeterTable>(m_data.tables().table(kBranchReadingsTable));
            m_window->resize(kFullScreen);
            m_window->show();
            QApplication::processEvents();
            m_window->MSFlexGrid1()->viewport()->installEventFilter(&m_paints);
        }
    }

    // One reply for a meter, its values moved on by `round` so that every value cell changes;
    // then whatever repaint it caused.
    bool update(int meter, quint16 round)
    {
        ReadContext ctx;
        ctx.step = kStepBranchReadings;
        ctx.RegisterMapVersion = 2;
        ctx.MeterCursor = meter;
        ctx.MeterIndex = meter;
        const RegisterBlock block = RegisterMap::stepRead(ctx.step, 2, meter, false);
        ctx.firstRegister = block.first;
        ctx.ReadCount = block.count;
        RegData regs(size_t(block.count));
        for (size_t i = 0; i < regs.size(); ++i)
            regs[i] = quint16(i * 13 + meter + round);
        // Alarm and warning words that flip now and then, as a live unit's do.
        regs[52] = quint16(round % 8 == 0 ? 1 : 0);
        regs[53] = quint16(round % 5 == 0 ? 2 : 0);
        const bool decoded = m_data.ProcessDataReceived(ctx, regs);
        QApplication::processEvents();
        return decoded;
    }

    // Meters whose columns the window shows without scrolling.
    int visibleMeters() const
    {
        GridView* grid = m_window->MSFlexGrid1();
        const int lastColumn = grid->columnAt(grid->viewport()->width() - 1);
        return lastColumn < 0 ? kMaxMeters : lastColumn - 1;
    }
    int paints() const { return m_paints.paints; }

private:
    test::RecordingMessages m_messages;
    DeviceData m_data;
    PaintCounter m_paints;
    std::unique_ptr<FrmMeterTable> m_window;
};

// Arg 0: the replies go to the meters on screen (each repaints); 1: to all 250 meters in turn,
// as polling does (most columns are off screen).
void BM_ReadingsTableUpdate(benchmark::State& state)
{
    const bool allMeters = state.range(0) != 0;
    state.SetLabel(allMeters ? "all 250 meters in turn" : "meters on screen");
    ReadingsRig hidden(false);
    ReadingsRig shown(true);
    const int meters = allMeters ? kMaxMeters : shown.visibleMeters();

    qint64 hiddenNs = 0;
    qint64 shownNs = 0;
    quint16 round = 0;
    int meter = 0;
    for (auto _ : state) {
        ++round;
        meter = (meter + 1) % meters;
        const qint64 t0 = threadCpuNs();
        const bool a = hidden.update(meter, round);
        const qint64 t1 = threadCpuNs();
        const bool b = shown.update(meter, round);
        const qint64 t2 = threadCpuNs();
        hiddenNs += t1 - t0;
        shownNs += t2 - t1;
        if (!a || !b) {
            state.SkipWithError("the reply did not decode");
            return;
        }
    }
    const double n = double(state.iterations());
    state.counters["no_view_us"] = double(hiddenNs) / n / 1000;
    state.counters["view_us"] = double(shownNs) / n / 1000;
    state.counters["ratio"] = double(shownNs) / double(std::max<qint64>(hiddenNs, 1));
    state.counters["meters_on_screen"] = shown.visibleMeters();
    state.counters["repaints_per_update"] = double(shown.paints()) / n;
}

} // namespace

BENCHMARK(BM_ReadingsTableUpdate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
