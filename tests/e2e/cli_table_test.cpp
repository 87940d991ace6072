#include "e2e/e2e_support.h"
#include "e2e/table_oracle.h"
#include "e2e/wait.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>

using namespace halvana::test;
using namespace halvana::test::table;

namespace {

enum class Wire { Tcp, Rtu };

// Branch meters among three-phase meters of every kind (and one the program does not know),
// with alarms and warnings raised on branches and on three-phase meters.
const char* const kProfile = "firmware 3.1.42\n"
                             "meter pdu-input\n"
                             "meter branch count=2\n"
                             "meter pdu-output\n"
                             "meter subfeed count=2\n"
                             "meter multipole\n"
                             "meter panel\n"
                             "meter type=7\n"
                             "meter branch count=2\n"
                             "alarm 2 0x0401\n"
                             "warning 10 0x0002\n"
                             "warning 5 0x0003\n"
                             "alarm 6 0x8001\n"
                             "warning 1 0x0100\n"
                             "thermal-modules 2\n";

QString tableName(int table)
{
    return table == kSystemGrid ? QStringLiteral("system") : QString::number(table);
}

// halvana-sim tracing every frame (--verbose), its output read as it comes so that a test can
// stop the unit in the middle of a pass.
class TracedSim {
public:
    TracedSim()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_output += QString::fromUtf8(m_process.readAllStandardOutput()); });
    }
    ~TracedSim() { stop(); }

    bool start(const QStringList& args)
    {
        static const QRegularExpression ready(QStringLiteral("listening on (\\S+)\\n|serving \\S+ at \\d+ baud"));
        m_process.start(binaryPath(QStringLiteral("halvana-sim")), args + QStringList{QStringLiteral("--verbose")});
        QRegularExpressionMatch match;
        waitUntil([&] {
            match = ready.match(m_output);
            return match.hasMatch() || m_process.state() == QProcess::NotRunning;
        }, 10000);
        m_address = match.captured(1);
        return match.hasMatch();
    }
    QString address() const { return m_address; }
    QString output() const { return m_output; }
    int requestsSeen() const { return int(m_output.count(QStringLiteral(" <- "))); }

    // The unit stops answering: the process is stopped where it stands.
    void freeze()
    {
        ::kill(pid_t(m_process.processId()), SIGSTOP);
        m_frozen = true;
    }

    // The simulator dies at once; the system closes its connections.
    void crash() { m_process.kill(); }

    // Ends the simulator and returns everything it traced.
    QString stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            if (m_frozen)
                ::kill(pid_t(m_process.processId()), SIGCONT);
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_output += QString::fromUtf8(m_process.readAll());
        }
        return m_output;
    }

private:
    QProcess m_process;
    QString m_output;
    QString m_address;
    bool m_frozen = false;
};

struct CliRun {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

// A unit from the profile on the chosen wire, and halvana-cli talking to it with its own scratch
// settings file and home folder. The CLI runs while the event loop turns, so the simulator's
// trace is read as it comes.
class TableRig {
public:
    bool start(Wire wire, int map)
    {
        m_wire = wire;
        const QString profile = m_dir.filePath(QStringLiteral("unit.txt"));
        QFile file(profile);
        if (!file.open(QIODevice::WriteOnly) || file.write(kProfile) < 0)
            return false;
        file.close();
        QFile settings(m_dir.filePath(QStringLiteral("settings.ini")));
        if (!settings.open(QIODevice::WriteOnly))
            return false;
        settings.close();

        const QStringList simArgs = {QStringLiteral("--map"), QString::number(map), QStringLiteral("--profile"), profile};
        m_connection = {QStringLiteral("--settings"), settings.fileName()};
        if (wire == Wire::Tcp) {
            if (!m_sim.start(simArgs + QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0")}))
                return false;
            m_connection << QStringLiteral("--tcp") << m_sim.address();
            return true;
        }
        if (!m_pty.open())
            return false;
        m_connection << QStringLiteral("--rtu") << m_pty.toolSide() << QStringLiteral("--baud") << QStringLiteral("115200");
        return m_sim.start(simArgs + QStringList{QStringLiteral("--rtu"), m_pty.unitSide(), QStringLiteral("--baud"),
                                                  QStringLiteral("115200")});
    }

    // Runs halvana-cli with `args` to its end (or the deadline); `whileRunning` is asked after
    // every event.
    CliRun cli(const QStringList& args, int timeoutMs = 20000, const std::function<void()>& whileRunning = {})
    {
        return run(binaryPath(QStringLiteral("halvana-cli")), m_connection + args, timeoutMs, whileRunning);
    }

    // halvana-cli with its stderr on a terminal (made by script(1)) and its stdout discarded;
    // `out` holds what the terminal showed.
    CliRun cliOnTerminal(const QStringList& args)
    {
        QStringList words;
        for (const QString& word : QStringList{binaryPath(QStringLiteral("halvana-cli"))} + m_connection + args)
            words << QLatin1Char('\'') + word + QLatin1Char('\'');
        return run(QStringLiteral("script"),
                   {QStringLiteral("-qec"), words.join(QLatin1Char(' ')) + QStringLiteral(" >/dev/null"),
                    QStringLiteral("/dev/null")},
                   20000, {});
    }

    // What the unit sent, once it has been stopped.
    Trace trace() { return parseTrace(m_sim.stop(), m_wire == Wire::Tcp); }
    TracedSim& sim() { return m_sim; }

private:
    CliRun run(const QString& program, const QStringList& args, int timeoutMs, const std::function<void()>& whileRunning)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral(".config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral(".local/share")));
        process.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        process.start(program, args);
        CliRun run;
        run.finished = waitUntil([&] {
            if (whileRunning)
                whileRunning();
            return process.state() == QProcess::NotRunning;
        }, timeoutMs);
        run.elapsedMs = clock.elapsed();
        if (!run.finished) {
            process.kill();
            process.waitForFinished();
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    Wire m_wire = Wire::Tcp;
    QTemporaryDir m_dir;
    PtyPair m_pty;
    TracedSim m_sim;
    QStringList m_connection;
};

QString programFolder()
{
    return binaryPath(QString());
}

// Rows of the CLI's output in the chosen format, as lists of cells; the JSON's table and
// caption go to `meta`. CSV and JSON are read back by Python's own csv and json modules.
std::vector<QStringList> readBack(const QString& out, const QString& format, QJsonObject* meta)
{
    std::vector<QStringList> rows;
    if (format == QLatin1String("tsv")) {
        QStringList lines = out.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (const QString& line : lines)
            rows.push_back(line.split(QLatin1Char('\t')));
        return rows;
    }
    static const char* const script =
        "import csv, io, json, sys\n"
        "text = sys.stdin.buffer.read().decode('utf-8')\n"
        "if sys.argv[1] == 'csv':\n"
        "    print(json.dumps({'rows': list(csv.reader(io.StringIO(text, newline=''), strict=True))}))\n"
        "else:\n"
        "    d = json.loads(text)\n"
        "    keys = [k for k in ('meter', 'register', 'description') if d['rows'] and k in d['rows'][0]]\n"
        "    rows = [d['headings']] + [[r[k] for k in keys] + r['values'] for r in d['rows']]\n"
        "    print(json.dumps({'rows': rows, 'table': d['table'], 'caption': d['caption']}))\n";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), format});
    python.write(out.toUtf8());
    python.closeWriteChannel();
    python.waitForFinished(10000);
    const QJsonDocument document = QJsonDocument::fromJson(python.readAllStandardOutput());
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().constData();
    *meta = document.object();
    for (const QJsonValue& row : meta->value(QStringLiteral("rows")).toArray())
        rows.push_back(row.toVariant().toStringList());
    return rows;
}

// Compares row by row and names the first differences by row and column.
void expectRows(const std::vector<QStringList>& actual, const Grid& expected)
{
    ASSERT_FALSE(actual.empty());
    EXPECT_EQ(actual.front(), expected.headings);
    ASSERT_EQ(actual.size(), expected.rows.size() + 1) << "one line per register row after the heading line";
    int differences = 0;
    for (size_t r = 0; r < expected.rows.size() && differences < 10; ++r) {
        const QStringList& want = expected.rows[r];
        const QStringList& got = actual[r + 1];
        if (got == want)
            continue;
        ++differences;
        ADD_FAILURE() << "row " << r + 1 << " (register " << qPrintable(want.value(0)) << "): printed ["
                      << qPrintable(got.join(QStringLiteral(" | "))) << "], expected ["
                      << qPrintable(want.join(QStringLiteral(" | "))) << "]";
    }
}

struct TableCase {
    Wire wire;
    int map;
    int table;
    const char* format;
};

class TableAgainstSim : public ::testing::TestWithParam<TableCase> {};

TEST_P(TableAgainstSim, PrintsTheGridTheRegistersAndRulesGive)
{
    const TableCase& c = GetParam();
    TableRig rig;
    ASSERT_TRUE(rig.start(c.wire, c.map)) << qPrintable(rig.sim().output());
    QStringList args = {QStringLiteral("table"), tableName(c.table)};
    if (QLatin1String(c.format) != QLatin1String("tsv"))
        args << QStringLiteral("--format") << QLatin1String(c.format);
    const CliRun run = rig.cli(args);
    const Trace trace = rig.trace();
    ASSERT_TRUE(run.finished) << "no end within the deadline";
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.err, QString()) << "progress only goes to a terminal";
    EXPECT_EQ(trace.exceptions, 0);
    ASSERT_EQ(trace.value(16), quint16(c.map)) << "the unit's register map selector";

    // Polled as if only the table's window were open, and every block once.
    const std::set<int> allowed = allowedReads(c.table, c.map, trace);
    std::set<int> seen;
    for (const auto& [first, count] : trace.reads) {
        EXPECT_TRUE(allowed.count(first)) << "read of " << count << " registers at " << first;
        EXPECT_TRUE(seen.insert(first).second) << "block at " << first << " read twice";
    }

    QJsonObject meta;
    const std::vector<QStringList> rows = readBack(run.out, QLatin1String(c.format), &meta);
    expectRows(rows, expectedGrid(programFolder(), c.table, c.map, trace));
    if (QLatin1String(c.format) == QLatin1String("csv")) {
        EXPECT_EQ(run.out.count(QLatin1Char('\n')), run.out.count(QStringLiteral("\r\n"))) << "CSV lines end in CR LF";
    }
    if (QLatin1String(c.format) == QLatin1String("json")) {
        EXPECT_EQ(meta.value(QStringLiteral("table")).toVariant().toString(), tableName(c.table));
        const std::map<int, QString> captions = {{3, QStringLiteral("3\u00f8 Meter Readings")},
                                                 {11, QStringLiteral("All Settings")},
                                                 {kSystemGrid, QStringLiteral("System Configuration")}};
        EXPECT_EQ(meta.value(QStringLiteral("caption")).toString(), captions.at(c.table));
    }
}

void PrintTo(const TableCase& c, std::ostream* os)
{
    *os << (c.wire == Wire::Tcp ? "TCP" : "RTU") << ", map " << c.map << ", table " << tableName(c.table).toStdString()
        << ", " << c.format;
}

std::vector<TableCase> tableCases()
{
    std::vector<TableCase> cases;
    for (int map : {1, 2}) {
        for (int table : {kSystemGrid, 0, 1, 2, 3, 4, 5, 7, 9, 10, 11})
            cases.push_back({Wire::Tcp, map, table, "tsv"});
    }
    // CSV and JSON read back by Python: the two-line headings of the three-phase meters, the
    // meter grid and All Settings.
    cases.push_back({Wire::Tcp, 1, 3, "csv"});
    cases.push_back({Wire::Tcp, 1, kSystemGrid, "json"});
    cases.push_back({Wire::Tcp, 2, 3, "json"});
    cases.push_back({Wire::Tcp, 2, kSystemGrid, "csv"});
    cases.push_back({Wire::Tcp, 2, 11, "json"});
    // Over the pty every exchange waits for the RTU frame gap: a subset covers the serial
    // path on each map - three-phase readings in two requests per meter, All Settings, the
    // meter grid and the branch readings with their status bits.
    cases.push_back({Wire::Rtu, 1, 3, "tsv"});
    cases.push_back({Wire::Rtu, 1, 11, "tsv"});
    cases.push_back({Wire::Rtu, 2, kSystemGrid, "tsv"});
    cases.push_back({Wire::Rtu, 2, 1, "tsv"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryTable, TableAgainstSim, ::testing::ValuesIn(tableCases()),
                         [](const ::testing::TestParamInfo<TableCase>& info) {
                             const TableCase& c = info.param;
                             return std::string(c.wire == Wire::Tcp ? "Tcp" : "Rtu") + "Map" + std::to_string(c.map)
                                 + "Table" + tableName(c.table).toStdString() + "_" + c.format;
                         });

TEST(TableCommand, AUnitThatStopsAnsweringInTheMiddleOfAPassEndsItWithAMessage)
{
    TableRig rig;
    ASSERT_TRUE(rig.start(Wire::Tcp, 2)) << qPrintable(rig.sim().output());
    // The unit stops once the first half of the second three-phase meter was asked for.
    constexpr int kAnswered = 4 + 3;
    bool frozen = false;
    const CliRun run = rig.cli({QStringLiteral("table"), QStringLiteral("3")}, 20000, [&] {
        if (!frozen && rig.sim().requestsSeen() >= kAnswered) {
            rig.sim().freeze();
            frozen = true;
        }
    });
    EXPECT_TRUE(frozen);
    const Trace trace = rig.trace();
    ASSERT_TRUE(run.finished) << "the command hung";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QString()) << "no grid is printed for a pass that did not complete";
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("halvana-cli: Getting M"))) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no usable reply in 3 attempts"))) << qPrintable(run.err);
    // Three response time-outs of 2 s, and not much more.
    EXPECT_LT(run.elapsedMs, 3 * 2000 + 3000);
    EXPECT_GE(int(trace.reads.size()), kAnswered);
}

TEST(TableCommand, AConnectionThatClosesInTheMiddleOfAPassEndsItAtOnce)
{
    TableRig rig;
    ASSERT_TRUE(rig.start(Wire::Tcp, 1)) << qPrintable(rig.sim().output());
    bool stopped = false;
    // Eleven of the pass's sixteen requests are still to come when the unit goes.
    const CliRun run = rig.cli({QStringLiteral("table"), QStringLiteral("9")}, 20000, [&] {
        if (!stopped && rig.sim().requestsSeen() >= 5) {
            rig.sim().crash();
            stopped = true;
        }
    });
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_TRUE(run.err.contains(QStringLiteral("closed the connection"))) << qPrintable(run.err);
    EXPECT_LT(run.elapsedMs, 2000) << "a closed connection needs no response time-out";
}

TEST(TableCommand, ProgressShowsOnATerminalOnlyAndIsClearedAtTheEnd)
{
    TableRig rig;
    ASSERT_TRUE(rig.start(Wire::Tcp, 2)) << qPrintable(rig.sim().output());
    const CliRun run = rig.cliOnTerminal({QStringLiteral("table"), QStringLiteral("1")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.out);
    for (const char* step : {"Getting System Info", "Getting Meter Status 1", "Getting B1 Readings", "Getting B4 Readings"})
        EXPECT_TRUE(run.out.contains(QLatin1Char('\r') + QLatin1String(step) + QStringLiteral("\x1b[K"))) << step;
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("\r\x1b[K"))) << "the progress line is wiped before the tool ends";
}

TEST(TableCommand, ATableWithoutItsHeaderFileIsABadInputFileNotAnEmptyTable)
{
    TableRig rig;
    ASSERT_TRUE(rig.start(Wire::Tcp, 2)) << qPrintable(rig.sim().output());
    QTemporaryDir empty;
    const CliRun run = rig.cli({QStringLiteral("table"), QStringLiteral("0"), QStringLiteral("--data-dir"), empty.path()});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, QString());
    EXPECT_TRUE(run.err.contains(QStringLiteral("table 0 has no rows: the definition file \"SinglePhaseSettings2.txt\"")))
        << qPrintable(run.err);
}

TEST(TableCommand, BadUsageIsRefusedBeforeAnyConnection)
{
    // Nothing listens on this address: a usage check that connected first would report a
    // link failure (1) instead.
    const QStringList connection = {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1")};
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"table 6", "\"6\" is not a table"},
        {"table 8", "\"8\" is not a table"},
        {"table 12", "\"12\" is not a table"},
        {"table 999", "\"999\" is not a table"},
        {"table System", "\"System\" is not a table"},
        {"table 3 --format xlsx", "--format: \"xlsx\" is not tsv, csv or json"},
        {"table", "usage: halvana-cli table INDEX"},
        {"table 1 2", "usage: halvana-cli table INDEX"},
    };
    for (const auto& c : cases) {
        const RunResult r = runCli(connection, QString::fromLatin1(c.args));
        EXPECT_EQ(r.exitCode, 2) << c.args;
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.message))) << c.args << ": " << qPrintable(r.err);
        EXPECT_EQ(r.out, QString()) << c.args;
    }
    const RunResult unreachable = runCli(connection, QStringLiteral("table system"));
    EXPECT_EQ(unreachable.exitCode, 1);
    EXPECT_TRUE(unreachable.err.contains(QStringLiteral("127.0.0.1:1"))) << qPrintable(unreachable.err);
}

} // namespace
