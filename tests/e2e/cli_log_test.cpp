#include "e2e/e2e_support.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

using namespace halvana::test;

namespace {

QStringList lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
}

} // namespace

// A log holds a timed row per cycle (tables) or interval (registers) under the chosen columns
// until Ctrl-C, which closes it whole and says how many rows it wrote; what the values are is
// the trend set's (trend_test).
TEST(CliLog, WritesATimedRowPerReadingUntilCtrlC)
{
    const struct {
        const char* args;
        int rows;
        int columns; // cells of each row
        bool moving; // the first value changes between rows
        bool raw;    // every value a register's 0..65535
        const char* heading;
    } cases[] = {
        {"--table 1 --rows 2111,2112 --meters 1 --meters 2", 4, 5, true, false,
         "Time,B1: Current (A),B2: Current (A),B1: Voltage (V),B2: Voltage (V)"},
        {"--reg 2111,2112 --reg 40163 --interval 0.2", 3, 4, false, true, "Time,2111,2112,40163"},
        {"--table 10", 1, 451, false, false,
         "Time,Slot 1: Sensor 1 Temperature (deg C),Slot 2: Sensor 1 Temperature (deg C),"},
    };
    SimProcess sim;
    ASSERT_TRUE(sim.startTcp()) << qPrintable(sim.output());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Log_001.csv"));
        const RunResult run = runCliUntilInterrupted(sim.connection()
                                                         + words(QStringLiteral("log --out %1 %2").arg(path, c.args)),
                                                     [&](const QString&) { return lines(path).size() >= c.rows + 2; });
        EXPECT_TRUE(run.finished && run.exitCode == 0) << qPrintable(run.err);
        const QStringList log = lines(path);
        ASSERT_GE(log.size(), c.rows + 2);
        EXPECT_TRUE(log.first().startsWith(QLatin1String(c.heading))) << qPrintable(log.first());
        EXPECT_FALSE(log.first().contains(QLatin1String("Not Used")));
        EXPECT_TRUE(log.last().isEmpty()) << "the last row is whole";
        EXPECT_EQ(run.out, QStringLiteral("%1 rows in %2\n").arg(log.size() - 2).arg(path));
        qint64 lastTime = 0;
        QSet<QString> firstValues;
        for (int i = 1; i + 1 < log.size(); ++i) {
            const QStringList cells = log[i].split(QLatin1Char(','));
            ASSERT_EQ(cells.size(), c.columns) << qPrintable(log[i]);
            const QDateTime time = QDateTime::fromString(cells[0], Qt::ISODateWithMs);
            ASSERT_TRUE(time.isValid()) << qPrintable(cells[0]);
            EXPECT_GT(time.toMSecsSinceEpoch(), lastTime);
            lastTime = time.toMSecsSinceEpoch();
            firstValues << cells[1];
            for (int k = 1; c.raw && k < c.columns; ++k) {
                bool ok = false;
                EXPECT_TRUE(cells[k].toUInt(&ok) <= 65535 && ok) << qPrintable(cells[k]);
            }
        }
        EXPECT_TRUE(!c.moving || firstValues.size() > 1) << "the readings move";
    }
}
