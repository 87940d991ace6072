#include "core/files/text_codec.h"
#include "e2e/e2e_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

// The capture worked out from `table` output by the file format: a meter table's lines without
// the "Not Used" rows, each ended by CR LF; the system grid's rows joined by a lone CR.
QByteArray captureFromTable(const QString& table, const QString& tsv)
{
    QStringList lines = tsv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (table == QLatin1String("system"))
        return halvana::toWindows1252(lines.join(QLatin1Char('\r')) + QStringLiteral("\r\n"));
    QString out;
    for (const QString& line : lines) {
        if (!line.section(QLatin1Char('\t'), 1, 1).contains(QLatin1String("Not Used")))
            out += line + QStringLiteral("\r\n");
    }
    return halvana::toWindows1252(out);
}

class CliCaptureTest : public ::testing::TestWithParam<int> {};

TEST_P(CliCaptureTest, EachCaptureIsTheTableInTheFileFormat)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start(Wire::Tcp, {"--map", QString::number(GetParam())})) << qPrintable(sim.output());
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("captures"));
    int number = 0;
    for (const QString table : {"0", "2", "4", "11", "system"}) {
        const RunResult captured = runCli(sim.connection(), QStringLiteral("capture %1 --out %2").arg(table, out));
        ASSERT_EQ(captured.exitCode, 0) << qPrintable(table + ": " + captured.err);
        const QString path = QStringLiteral("%1/Settings_%2.txt").arg(out).arg(++number, 3, 10, QLatin1Char('0'));
        EXPECT_EQ(captured.out, path + QLatin1Char('\n'));
        const RunResult printed = runCli(sim.connection(), QStringLiteral("table ") + table);
        ASSERT_EQ(printed.exitCode, 0) << qPrintable(printed.err);
        EXPECT_EQ(fileBytes(path), captureFromTable(table, printed.out)) << qPrintable(table);
    }
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("capture system --stdout")).out.toUtf8(),
              fileBytes(out + QStringLiteral("/Settings_005.txt")));
}

INSTANTIATE_TEST_SUITE_P(Maps, CliCaptureTest, ::testing::Values(1, 2));

} // namespace
