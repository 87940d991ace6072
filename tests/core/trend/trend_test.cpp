#include "core/app/app_settings.h"
#include "core/device/device_data.h"
#include "core/time/manual_clock.h"
#include "core/trend/trend_set.h"
#include "support/file_bytes.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <limits>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

std::vector<double> valuesOf(const TrendHistory& history)
{
    std::vector<double> values;
    for (const TrendHistory::Point& p : history.points())
        values.push_back(p.value);
    return values;
}

// A branch readings table (map 2) with two meter columns, filled as the decoder would fill it.
class TrendSetTest : public ::testing::Test {
protected:
    TrendSetTest() : data(QStringLiteral(HALVANA_SOURCE_DIR "/data"), messages), trend(data, clock)
    {
        data.model().RegisterMapVersion = 2;
        data.model().NumMeters = 2;
        data.openTable(kBranchReadingsTable);
        GridModel& g = grid();
        g.setColumnCount(4);
        g.setText(0, 2, QStringLiteral("B1"));
        g.setText(0, 3, QStringLiteral("B2"));
        currentRow = rowOf(2111);
        voltageRow = rowOf(2112);
    }

    GridModel& grid() { return data.tables().table(kBranchReadingsTable).grid(); }
    int rowOf(int reg)
    {
        for (int r = 1; r < grid().rowCount(); ++r)
            if (grid().text(r, 0) == QString::number(reg))
                return r;
        return -1;
    }
    void cycle(const QString& current, const QString& voltage)
    {
        grid().setText(currentRow, 3, current);
        grid().setText(voltageRow, 2, voltage);
        clock.advance(1000);
        trend.sample();
    }

    ManualClock clock{QDateTime(QDate(2026, 3, 1), QTime(14, 5, 9, 250), QTimeZone(3600))};
    RecordingMessages messages;
    DeviceData data;
    TrendSet trend;
    int currentRow = -1;
    int voltageRow = -1;
    QTemporaryDir dir;
};

} // namespace

TEST(TrendHistory, ThinsOlderPointsToTheirMeanAndKeepsTheExtremes)
{
    TrendHistory history(4, 2);
    for (int i = 1; i <= 8; ++i)
        history.append(i * 1000, i);
    EXPECT_EQ(valuesOf(history), (std::vector<double>{1.5, 3.5, 5, 6, 7, 8}));
    EXPECT_EQ(history.points().front().timeMs, 1500);
    EXPECT_EQ(history.points()[1].min, 3);
    EXPECT_EQ(history.points()[1].max, 4);

    // A gap gives way to the reading it is merged with; two gaps stay one.
    TrendHistory gaps(2, 2);
    for (double v : {kGap, 5.0, kGap, kGap, 1.0})
        gaps.append(0, v);
    const std::vector<double> thinned = valuesOf(gaps);
    ASSERT_EQ(thinned.size(), 3u);
    EXPECT_EQ(thinned[0], 5.0);
    EXPECT_TRUE(std::isnan(thinned[1]));
    EXPECT_EQ(thinned[2], 1.0);
}

TEST(TrendHistory, StaysWithinItsBoundInTimeOrderAndAShortPeakSurvives)
{
    struct Case {
        int perLevel, levels, appended;
    };
    for (const Case c : {Case{4, 1, 10}, Case{4, 3, 100}, Case{16, 4, 100000}, Case{512, 12, 300000}}) {
        SCOPED_TRACE(testing::Message() << c.perLevel << "x" << c.levels << " after " << c.appended);
        TrendHistory history(c.perLevel, c.levels);
        const size_t before = history.memoryBytes();
        for (int i = 0; i < c.appended; ++i)
            history.append(i, i == c.appended - 3 * c.perLevel ? 100.0 : 1.0);
        EXPECT_LE(history.size(), c.perLevel * c.levels);
        EXPECT_EQ(history.memoryBytes(), before);
        EXPECT_EQ(history.appendedCount(), c.appended);
        const std::vector<TrendHistory::Point> points = history.points();
        double peak = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            if (i) {
                EXPECT_LE(points[i - 1].timeMs, points[i].timeMs);
            }
            peak = std::max(peak, points[i].max);
        }
        EXPECT_EQ(points.back().timeMs, c.appended - 1);
        EXPECT_EQ(peak, c.levels > 1 ? 100.0 : 1.0) << "the peak left only a one-level history";
    }
}

TEST(TrendLog, WritesQuotedCsvWithIsoTimeStampsAndAppendsOnlyUnderItsOwnHeading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Log_001.csv"));
    const QDateTime at(QDate(2026, 3, 1), QTime(14, 5, 9, 250), QTimeZone(3600));
    const QStringList columns = {QStringLiteral("B1: Load (%, whole)"), QStringLiteral("Say \"hi\""),
                                 QStringLiteral("plain")};
    {
        TrendLog log;
        ASSERT_TRUE(log.open(path, columns)) << qPrintable(log.errorText());
        ASSERT_TRUE(log.writeRow(at, {QStringLiteral("1.5"), QString(), QStringLiteral("a\nb")}));
        EXPECT_EQ(fileBytes(path), "Time,\"B1: Load (%, whole)\",\"Say \"\"hi\"\"\",plain\r\n"
                                  "2026-03-01T14:05:09.250+01:00,1.5,,\"a\nb\"\r\n")
            << "flushed with every row";
    }
    TrendLog again;
    ASSERT_TRUE(again.open(path, columns));
    ASSERT_TRUE(again.writeRow(at.addSecs(1), {QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
    EXPECT_TRUE(fileBytes(path).endsWith("\r\n2026-03-01T14:05:10.250+01:00,2,3,4\r\n"));
    EXPECT_EQ(fileBytes(path).count("Time,"), 1);
    again.close();

    TrendLog other;
    EXPECT_FALSE(other.open(path, {QStringLiteral("plain")}));
    EXPECT_TRUE(other.errorText().contains(QDir::toNativeSeparators(path))) << qPrintable(other.errorText());
    EXPECT_EQ(fileBytes(path).count("\r\n"), 3) << "a log of other columns is left alone";
}

TEST(TrendLog, NumbersLikeTheCapturesTakingTheLowestFreeNumber)
{
    QTemporaryDir dir;
    EXPECT_EQ(TrendSet::nextLogPath(dir.path()), dir.filePath(QStringLiteral("Log_001.csv")));
    for (const char* name : {"Log_001.csv", "Log_003.csv", "Settings_002.txt"})
        QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
    EXPECT_EQ(TrendSet::nextLogPath(dir.path()), dir.filePath(QStringLiteral("Log_002.csv")));
}

TEST_F(TrendSetTest, SamplesNamedReadingsOncePerCycleAndKeepsGapsForNoReading)
{
    ASSERT_GT(currentRow, 0);
    EXPECT_FALSE(trend.sourceOfTableCell(kBranchSettingsTable, currentRow, 3)) << "settings are not trended";
    EXPECT_FALSE(trend.sourceOfTableCell(kBranchReadingsTable, currentRow, 1)) << "the description is no reading";
    EXPECT_FALSE(trend.sourceOfTableCell(kBranchReadingsTable, currentRow, 4)) << "past the meters";
    const auto current = trend.sourceOfTableCell(kBranchReadingsTable, currentRow, 3);
    ASSERT_TRUE(current);
    EXPECT_EQ(current->key(), QStringLiteral("1:2111:3"));
    ASSERT_TRUE(trend.add(*current));
    EXPECT_FALSE(trend.add(*current)) << "followed once";
    ASSERT_TRUE(trend.add(*trend.sourceOfTableCell(kBranchReadingsTable, voltageRow, 2)));
    EXPECT_EQ(trend.series(0).label, QStringLiteral("B2: Current (A)"));
    EXPECT_EQ(trend.series(0).unit, QStringLiteral("A"));
    EXPECT_EQ(trend.series(1).label, QStringLiteral("B1: Voltage (V)"));

    cycle(QStringLiteral("6.74"), QStringLiteral("120.7"));
    grid().setStale(true);
    cycle(QStringLiteral("6.80"), QStringLiteral("120.8"));
    grid().setStale(false);
    cycle(QStringLiteral("---"), QStringLiteral("121.0"));
    const std::vector<double> currents = valuesOf(trend.series(0).history);
    ASSERT_EQ(currents.size(), 3u);
    EXPECT_EQ(currents[0], 6.74);
    EXPECT_TRUE(std::isnan(currents[1])) << "stale values are no reading";
    EXPECT_TRUE(std::isnan(currents[2])) << "nor is a text";
    EXPECT_EQ(trend.series(0).history.points()[0].timeMs, clock.currentDateTime().toMSecsSinceEpoch() - 2000);

    data.tables().close(kBranchReadingsTable);
    cycle(QStringLiteral("7.00"), QStringLiteral("121.0"));
    EXPECT_TRUE(std::isnan(valuesOf(trend.series(1).history).back())) << "a closed table is not polled";
    EXPECT_EQ(trend.tables(), QList<int>{kBranchReadingsTable});
}

TEST_F(TrendSetTest, TheChosenSeriesComeBackFromTheSettingsNamedOnceTheirTableIsRead)
{
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    {
        AppSettings settings(file);
        trend.add({kBranchReadingsTable, 2111, 3});
        trend.add({kThermalReadingsTable, 63501, 2});
        trend.save(settings);
        settings.setValue(TrendSet::kSettingsSection, TrendSet::kSeriesKey,
                          settings.value(TrendSet::kSettingsSection, TrendSet::kSeriesKey)
                              + QStringLiteral(",1:2111,5:2111:3,1:99999:3,junk"));
    }
    DeviceData fresh(QStringLiteral(HALVANA_SOURCE_DIR "/data"), messages);
    TrendSet restored(fresh, clock);
    restored.restore(AppSettings(file));
    ASSERT_EQ(restored.count(), 2) << "keys that name no reading are passed over";
    EXPECT_EQ(restored.series(1).source.key(), QStringLiteral("10:63501:2"));
    EXPECT_EQ(restored.series(0).label, QStringLiteral("2111 #2"));

    int renamed = 0;
    QObject::connect(&restored, &TrendSet::seriesChanged, [&] { ++renamed; });
    fresh.model().RegisterMapVersion = 2;
    fresh.openTable(kBranchReadingsTable);
    fresh.tables().table(kBranchReadingsTable).grid().setColumnCount(4);
    fresh.tables().table(kBranchReadingsTable).grid().setText(0, 3, QStringLiteral("B2"));
    restored.sample();
    EXPECT_EQ(restored.series(0).label, QStringLiteral("B2: Current (A)"));
    EXPECT_EQ(renamed, 1);
}

TEST_F(TrendSetTest, LogsARowPerDueCycleAndAWriteFailureStopsOnlyTheLog)
{
    trend.add({kBranchReadingsTable, 2111, 3});
    trend.add({kBranchReadingsTable, 2112, 2});
    const QString path = TrendSet::nextLogPath(dir.path());
    ASSERT_TRUE(trend.startLog(path)) << qPrintable(trend.logError());
    trend.setLogIntervalMs(2000);
    cycle(QStringLiteral("6.74"), QStringLiteral("120.7"));
    cycle(QStringLiteral("6.75"), QStringLiteral("120.8"));
    cycle(QStringLiteral("6.76"), QStringLiteral("120.9"));
    trend.remove(1);
    cycle(QStringLiteral("6.77"), QStringLiteral("121.0"));
    cycle(QStringLiteral("6.78"), QStringLiteral("121.1"));
    EXPECT_EQ(fileBytes(path), "Time,B2: Current (A),B1: Voltage (V)\r\n"
                              "2026-03-01T14:05:10.250+01:00,6.74,120.7\r\n"
                              "2026-03-01T14:05:12.250+01:00,6.76,120.9\r\n"
                              "2026-03-01T14:05:14.250+01:00,6.78,\r\n");
    trend.setLogIntervalMs(0);

    // The file may grow no further than it is now plus part of a row.
    QStringList failed;
    QObject::connect(&trend, &TrendSet::logFailed, [&](const QString& message) { failed << message; });
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = rlim_t(QFileInfo(path).size() + 10);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    cycle(QStringLiteral("6.79"), QString());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].contains(QDir::toNativeSeparators(path))) << qPrintable(failed[0]);
    EXPECT_FALSE(trend.isLogging());
    cycle(QStringLiteral("6.80"), QString());
    EXPECT_EQ(trend.series(0).history.appendedCount(), 7) << "the trend goes on";
    EXPECT_EQ(failed.size(), 1);
}
