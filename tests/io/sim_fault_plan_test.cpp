#include "core/modbus/crc16.h"
#include "sim/fault_plan.h"
#include "sim/sim_options.h"

#include <QCommandLineParser>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace halvana;

namespace {

const QByteArray kRtuReply = [] {
    QByteArray frame = QByteArray::fromHex("01030A000100050205000D0006");
    appendCrc(frame);
    return frame;
}();
const QByteArray kTcpReply = QByteArray::fromHex("0001000000070103040001000A");

FaultOptions faults(const char* text)
{
    QString error;
    const auto options = FaultOptions::parse(QString::fromLatin1(text), &error);
    EXPECT_TRUE(options.has_value()) << qPrintable(error);
    return options.value_or(FaultOptions());
}

QByteArray joined(const ReplyShape& shape)
{
    QByteArray bytes;
    for (const ReplyChunk& chunk : shape.chunks)
        bytes += chunk.bytes;
    return bytes;
}

} // namespace

TEST(FaultOptions, ParsesTheListAndNamesWhatIsWrong)
{
    const FaultOptions o = faults("drop=0.1,corrupt=0.2, split=0.3,delay=20,exception=0.05,splitgap=3");
    EXPECT_EQ(std::vector<double>({o.drop, o.corrupt, o.split, o.exception, double(o.delayMs), double(o.splitGapMs)}),
              std::vector<double>({0.1, 0.2, 0.3, 0.05, 20, 3}));
    for (const char* bad : {"drop=1.5", "drop", "delay=-1", "loss"}) {
        QString error;
        EXPECT_FALSE(FaultOptions::parse(QString::fromLatin1(bad), &error)) << bad;
        EXPECT_TRUE(error.contains(QString::fromLatin1(bad))) << qPrintable(error);
    }
}

TEST(FaultPlan, SameSeedSameFaults)
{
    const FaultOptions o = faults("drop=0.2,corrupt=0.2,split=0.3,delay=30,exception=0.1");
    FaultPlan a(o, 7), b(o, 7), c(o, 8);
    bool differs = false;
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(a.injectException(), b.injectException());
        const ReplyShape sa = a.shape(kRtuReply, FrameKind::Rtu);
        const ReplyShape sb = b.shape(kRtuReply, FrameKind::Rtu);
        EXPECT_EQ(std::make_tuple(sa.dropped, sa.delayMs, joined(sa)), std::make_tuple(sb.dropped, sb.delayMs, joined(sb)));
        c.injectException();
        differs = differs || joined(c.shape(kRtuReply, FrameKind::Rtu)) != joined(sa);
    }
    EXPECT_TRUE(differs);
}

// Over RTU one byte changes and the CRC catches it; over TCP only the header fields a master
// checks change. A split reply keeps every byte and pauses within the gap.
TEST(FaultPlan, CorruptionIsAlwaysDetectableAndASplitKeepsEveryByte)
{
    FaultPlan corrupting(faults("corrupt=1"), 3), splitting(faults("split=1,splitgap=4,delay=10"), 5);
    QSet<int> delays;
    for (int i = 0; i < 300; ++i) {
        const QByteArray rtu = joined(corrupting.shape(kRtuReply, FrameKind::Rtu));
        ASSERT_EQ(rtu.size(), kRtuReply.size());
        int changed = 0;
        for (int j = 0; j < rtu.size(); ++j)
            changed += rtu[j] != kRtuReply[j];
        EXPECT_EQ(changed, 1);
        EXPECT_FALSE(hasValidCrc(rtu));
        const QByteArray tcp = joined(corrupting.shape(kTcpReply, FrameKind::Tcp));
        EXPECT_NE(tcp.left(9), kTcpReply.left(9));
        EXPECT_EQ(tcp.mid(9), kTcpReply.mid(9));

        const ReplyShape shape = splitting.shape(kRtuReply, FrameKind::Rtu);
        ASSERT_EQ(shape.chunks.size(), 2);
        EXPECT_FALSE(shape.chunks[0].bytes.isEmpty() || shape.chunks[1].bytes.isEmpty());
        EXPECT_EQ(joined(shape), kRtuReply);
        EXPECT_TRUE(shape.chunks[1].pauseBeforeMs >= 1 && shape.chunks[1].pauseBeforeMs <= 4 && shape.delayMs <= 10);
        delays.insert(shape.delayMs);
    }
    EXPECT_GT(delays.size(), 5);
}

TEST(SimOptions, ReadsTheCommandLine)
{
    struct Case {
        QStringList args;
        bool ok;
        const char* errorNames;
    } cases[] = {
        {{"--tcp", "[::1]:5020", "--set", "5001=1,2", "--set", "7=9"}, true, ""},
        {{"--map", "2"}, false, "--tcp"},
        {{"--tcp", "70000"}, false, "70000"},
        {{"--tcp", "0", "--map", "3"}, false, "--map"},
        {{"--tcp", "0", "--set", "5001=1,70000"}, false, "5001=1,70000"},
    };
    for (const Case& c : cases) {
        QCommandLineParser parser;
        SimOptions::addTo(parser);
        ASSERT_TRUE(parser.parse(QStringList{"halvana-sim"} + c.args));
        QString error;
        const auto options = SimOptions::fromParser(parser, &error);
        EXPECT_EQ(options.has_value(), c.ok) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorNames))) << qPrintable(error);
    }
}
