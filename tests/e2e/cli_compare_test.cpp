#include "e2e/e2e_support.h"
#include "support/file_bytes.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana::test;

// Capture All Settings, change two settings of two meters, capture again: the script made from
// the old and the new capture restores exactly those two registers with the old raw values, and
// run as Modbus writes it leaves nothing to tell the unit from the first capture.
TEST(CliCompare, MakeScriptRestoresTheTwoChangedSettings)
{
    SimProcess sim;
    ASSERT_TRUE(sim.startTcp()) << qPrintable(sim.output());
    QTemporaryDir dir;
    const RunResult before = runCli(sim.connection(), QStringLiteral("capture 11 --out ") + dir.path());
    ASSERT_EQ(before.exitCode, 0) << qPrintable(before.err);
    for (const QString set : {"set 0 2007 1 150.5", "set 0 2013 5 121.5"})
        ASSERT_EQ(runCli(sim.connection(), set).exitCode, 0) << qPrintable(set);
    const RunResult after = runCli(sim.connection(), QStringLiteral("capture 11 --out ") + dir.path());
    ASSERT_EQ(after.exitCode, 0) << qPrintable(after.err);

    const QString files = before.out.trimmed() + QLatin1Char(' ') + after.out.trimmed();
    const RunResult script = runCli({}, QStringLiteral("make-script ") + files);
    ASSERT_EQ(script.exitCode, 0) << qPrintable(script.err);
    EXPECT_EQ(script.out, QStringLiteral("\r\nmeter write 2007 1000\r\nmeter write 2613 1200\r\n\r\nmeter save\r\n"));
    // --out naming the old capture, spelt another way, is refused and leaves it as it was.
    const QFileInfo old(before.out.trimmed());
    const QByteArray kept = fileBytes(old.filePath());
    EXPECT_EQ(runCli({}, QStringLiteral("make-script %1 --out %2/./%3").arg(files, old.path(), old.fileName())).exitCode, 2);
    EXPECT_EQ(fileBytes(old.filePath()), kept);
    const RunResult differences = runCli({}, QStringLiteral("differences ") + files);
    EXPECT_EQ(differences.out.count(QLatin1Char('\n')), 3) << qPrintable(differences.out);

    const QString restore = dir.filePath(QStringLiteral("restore.txt"));
    ASSERT_EQ(runCli({}, QStringLiteral("make-script %1 --out %2").arg(files, restore)).exitCode, 0);
    const RunResult run = runCli(sim.connection(), QStringLiteral("run-script ") + restore);
    EXPECT_EQ(run.out, QStringLiteral("1\tnot a write\n2\twritten\n3\twritten\n4\tnot a write\n5\tnot a write\n"
                                      "Script run: 2 written, 0 refused, 0 no reply, 0 skipped\n"));
    const RunResult third = runCli(sim.connection(), QStringLiteral("capture 11 --out ") + dir.path());
    const RunResult left = runCli({},
                                  QStringLiteral("make-script %1 %2").arg(before.out.trimmed(), third.out.trimmed()));
    EXPECT_FALSE(left.out.contains(QLatin1String("meter write"))) << qPrintable(left.out);
}
