#include "e2e/e2e_support.h"
#include "e2e/wait.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>

using namespace halvana::test;

namespace {

QStringList lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
}

// Complete rows of a log: every line ended by CR LF, heading left out.
int rowsIn(const QString& path)
{
    return std::max<int>(0, int(lines(path).size()) - 2);
}

// `halvana-cli log ARGS --out PATH` against the simulator, until `rows` rows are in the log.
struct Logger {
    QProcess process;
    SimProcess sim;
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Log_001.csv"));
    bool start(QStringList args, int rows)
    {
        if (!sim.startTcp()) {
            ADD_FAILURE() << qPrintable(sim.output());
            return false;
        }
        args << QStringLiteral("--out") << path;
        process.start(binaryPath(QStringLiteral("halvana-cli")), sim.connection() + QStringList{QStringLiteral("log")} + args);
        const bool written = waitUntil([&] { return rowsIn(path) >= rows; }, 15000);
        EXPECT_TRUE(written) << process.readAllStandardError().toStdString();
        return written;
    }
    // Ctrl-C; the log must close cleanly and say how many rows it wrote.
    QString interrupt()
    {
        ::kill(pid_t(process.processId()), SIGINT);
        EXPECT_TRUE(process.waitForFinished(5000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

} // namespace

// A table log of moving readings holds a row per cycle under the chosen rows and meters; what
// the values are is the trend set's (trend_test).
TEST(CliLog, TableRowsFollowTheMovingReadingsOfTheChosenRowsAndMeters)
{
    Logger logger;
    ASSERT_TRUE(logger.start({QStringLiteral("--table"), QStringLiteral("1"), QStringLiteral("--rows"),
                              QStringLiteral("2111,2112"), QStringLiteral("--meters"), QStringLiteral("1"),
                              QStringLiteral("--meters"), QStringLiteral("2")},
                             4));
    const QString said = logger.interrupt();
    const QStringList log = lines(logger.path);
    EXPECT_EQ(log.first(), QStringLiteral("Time,B1: Current (A),B2: Current (A),B1: Voltage (V),B2: Voltage (V)"));
    EXPECT_TRUE(log.last().isEmpty()) << "the last row is whole";
    EXPECT_EQ(said, QStringLiteral("%1 rows in %2\n").arg(log.size() - 2).arg(logger.path));

    qint64 lastTime = 0;
    QSet<QString> currents;
    for (int i = 1; i + 1 < log.size(); ++i) {
        const QStringList cells = log[i].split(QLatin1Char(','));
        ASSERT_EQ(cells.size(), 5) << qPrintable(log[i]);
        const QDateTime time = QDateTime::fromString(cells[0], Qt::ISODateWithMs);
        ASSERT_TRUE(time.isValid()) << qPrintable(cells[0]);
        EXPECT_GT(time.toMSecsSinceEpoch(), lastTime);
        lastTime = time.toMSecsSinceEpoch();
        currents << cells[1];
    }
    EXPECT_GT(currents.size(), 1) << "the readings move";
}

TEST(CliLog, RegistersAreReadEachIntervalAsRawValues)
{
    Logger logger;
    ASSERT_TRUE(logger.start({QStringLiteral("--reg"), QStringLiteral("2111,2112"), QStringLiteral("--reg"),
                              QStringLiteral("40163"), QStringLiteral("--interval"), QStringLiteral("0.2")},
                             3));
    logger.interrupt();
    const QStringList log = lines(logger.path);
    EXPECT_EQ(log.first(), QStringLiteral("Time,2111,2112,40163"));
    const QStringList row = log[1].split(QLatin1Char(','));
    ASSERT_EQ(row.size(), 4);
    for (int c = 1; c < 4; ++c) {
        bool ok = false;
        EXPECT_LE(row[c].toInt(&ok), 65535);
        EXPECT_TRUE(ok) << qPrintable(row[c]);
    }
}

TEST(CliLog, WithoutRowsAndMetersEveryReadingOfTheTableIsAColumn)
{
    Logger logger;
    ASSERT_TRUE(logger.start({QStringLiteral("--table"), QStringLiteral("10")}, 1));
    logger.interrupt();
    const QStringList log = lines(logger.path);
    EXPECT_GT(log[1].count(QLatin1Char(',')), 100) << "values hold no commas";
    EXPECT_TRUE(log.first().startsWith(
        QLatin1String("Time,Slot 1: Sensor 1 Temperature (deg C),Slot 2: Sensor 1 Temperature (deg C),")))
        << qPrintable(log.first());
    EXPECT_FALSE(log.first().contains(QLatin1String("Not Used")));
}

TEST(CliLog, BadUsageIsRefusedBeforeTheUnitIsAsked)
{
    for (const char* command : {"log --table 0 --out x.csv", "log --table 1", "log --table 1 --reg 5 --out x.csv",
                                "log --reg 5 --rows 3 --out x.csv", "log --table 1 --interval soon --out x.csv",
                                "log --reg 70000 --out x.csv", "log --out x.csv"}) {
        SCOPED_TRACE(command);
        const RunResult result = runCli({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1")}, QString::fromLatin1(command));
        EXPECT_EQ(result.exitCode, 2) << qPrintable(result.err);
    }
}
