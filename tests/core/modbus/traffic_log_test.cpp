#include "core/modbus/traffic_log.h"

#include <gtest/gtest.h>

using namespace halvana;

namespace {

const QString kRequest = QStringLiteral("01 03 00 00 00 01 84 0A ");
const QString kReply = QStringLiteral("01 03 02 00 2A 38 5B ");

// One polling exchange as the link logs it.
void exchange(TrafficLog& log)
{
    log.setReplyAwaited(true);
    log.UpdateDataSpy(QStringLiteral("Sent"), kRequest);
    log.setReplyAwaited(false);
    log.UpdateDataSpy(QStringLiteral("Recd"), kReply);
}

// A polling sequencer tick: one exchange when the Data Spy lets it run.
bool tick(TrafficLog& log)
{
    if (!log.takeTickPermission())
        return false;
    exchange(log);
    return true;
}

} // namespace

TEST(TrafficLog, StartedAndStoppedFrameTheTrafficAndNothingIsRecordedWhileOff)
{
    TrafficLog log;
    exchange(log);
    log.note(QStringLiteral("x"));
    EXPECT_TRUE(log.text().isEmpty());
    log.setEnabled(true);
    exchange(log);
    log.setEnabled(false);
    exchange(log);
    log.setEnabled(true);
    EXPECT_EQ(log.text(), "\nStarted\n" + kRequest + "\n" + kReply + "\n\nStopped\n\nStarted");
}

TEST(TrafficLog, PauseFollowsTheAwaitedReplyAndEverySingleStep)
{
    TrafficLog log;
    log.setEnabled(true);
    log.setReplyAwaited(true);
    log.UpdateDataSpy(QStringLiteral("Sent"), kRequest);
    log.setPaused(true);
    EXPECT_FALSE(log.text().contains(QLatin1String("Pause"))) << "not between a request and its reply";
    log.setReplyAwaited(false);
    log.UpdateDataSpy(QStringLiteral("Recd"), kReply);
    EXPECT_TRUE(log.text().endsWith(kReply + "\n\nPause\n"));

    EXPECT_FALSE(tick(log));
    for (int click = 0; click < 3; ++click) {
        log.requestSingleStep();
        EXPECT_TRUE(tick(log));
        EXPECT_FALSE(tick(log)) << "one click lets one request out";
    }
    EXPECT_EQ(log.text().count(kReply + "\n\nPause\n"), 4);

    log.setPaused(false);
    EXPECT_TRUE(tick(log));
    EXPECT_TRUE(tick(log));
    EXPECT_TRUE(log.text().endsWith("\nRun\n\n" + kRequest + "\n" + kReply + "\n\n" + kRequest + "\n" + kReply + "\n"));

    // Between exchanges the marker goes in at once.
    log.setPaused(true);
    EXPECT_TRUE(log.text().endsWith(kReply + "\n\nPause"));
}

TEST(TrafficLog, EscapeSequencesVanish)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a\x1b[b", "ab"},
        {"\x1b\x1b[x", "[x"},
        {"end\x1b", "end"},
        {"\x1b" "a\x1b" "b", ""},
    };
    for (const auto& c : cases) {
        TrafficLog log;
        log.ShowData(QString::fromLatin1(c.in));
        EXPECT_EQ(log.text(), QString::fromLatin1(c.out)) << c.in;
    }
}

TEST(TrafficLog, TrimsAbove200000CharactersToAWholeLine)
{
    TrafficLog log;
    QString full;
    // 3125 lines of 64 characters: exactly 200000.
    for (int i = 0; i < 3125; ++i)
        full += QStringLiteral("%1\n").arg(i, 63, 10, QLatin1Char('.'));
    int trimmedBy = 0;
    QObject::connect(&log, &TrafficLog::trimmed, [&trimmedBy](int n) { trimmedBy += n; });

    log.ShowData(full);
    log.ShowData(QStringLiteral("x"));
    EXPECT_EQ(trimmedBy, 0) << "exactly 200000 stays";
    log.ShowData(QStringLiteral("y"));
    // Character 20000 (1-based) lies in the line at 19968..20031; the text restarts after it.
    EXPECT_EQ(trimmedBy, 20032);
    EXPECT_EQ(log.text(), full.mid(20032) + "xy");
}
