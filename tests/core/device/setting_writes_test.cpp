#include "core/device/polling_fixture.h"
#include "core/modbus/link_fixture.h"

#include "core/device/meter_types.h"
#include "core/device/setting_edit.h"
#include "core/device/setting_writes.h"
#include "core/modbus/status_panels.h"

#include <QRegularExpression>

#include <algorithm>

using namespace halvana;
using namespace halvana::test;

namespace {

const QString kOutOfRange = QStringLiteral("Unsuccessful Write: The value could have been out of range for this item.");

class SettingWritesTest : public LinkTest {
protected:
    SettingWritesTest() : writes(link, polling, messages)
    {
        QObject::connect(&writes, &SettingWrites::writeFinished, [this](bool ok, const QString& text) {
            reports << (ok ? QStringLiteral("ok: ") : QStringLiteral("failed: ")) + text;
        });
        QObject::connect(&writes, &SettingWrites::statusText,
                         [this](const QString& panel, const QString& text) { reports << panel + QLatin1Char('=') + text; });
        QObject::connect(&writes, &SettingWrites::beep, [this] { reports << QStringLiteral("beep"); });
    }

    // One tick of the sequencer with the line free, then the reply (or none) and the time-out.
    void tickAndAnswer(const QByteArray& reply)
    {
        ASSERT_EQ(writes.takeTick(), TickClient::Turn::Sent);
        if (!reply.isEmpty())
            serial.receive(reply);
        clock.advance(ModbusLink::kResponseTimeoutMs + ModbusLink::kLateReplyGuardMs);
    }

    SettingWrites writes;
    QStringList reports;
};

} // namespace

// Each write ends in exactly one report, in the unit's words, and lets polling run again.
TEST_F(SettingWritesTest, ASingleWriteReportsItsOwnOutcomeOnce)
{
    const QByteArray ack = rtuFrame("0110 0359 0001");
    QByteArray badAck = ack;
    badAck[6] = char(badAck[6] ^ 1);
    const QString polling = panel::PollingStatus + QLatin1Char('=');
    const struct {
        const char* name;
        QByteArray reply;
        QStringList reports;
        QStringList messageBox;
    } cases[] = {
        {"acknowledged", ack, {polling + "Successful Write ", "ok: Successful Write "}, {}},
        {"exception", rtuFrame("0190 03"), {"beep", polling + "Unsuccessful Write", "failed: " + kOutOfRange}, {kOutOfRange}},
        {"ack with bad CRC", badAck,
         {polling + "Unsuccessful Write", panel::CommMsg + "=Write failed: CRC error in a reply of 8 bytes.",
          "failed: Unsuccessful Write: CRC error in a reply of 8 bytes."},
         {}},
        {"no reply", {},
         {polling + "Unsuccessful Write", panel::CommMsg + "=Write failed: no reply within 2000 ms",
          "failed: Unsuccessful Write: no reply within 2000 ms."},
         {}},
    };
    for (const auto& c : cases) {
        // A read's outcome before it is not the write's.
        rtuRead({1});
        reports.clear();
        messages.texts.clear();
        this->polling.disabled = true; // the change-setting dialog suspended polling
        ASSERT_TRUE(writes.requestWrite(858, {1})) << c.name;
        EXPECT_FALSE(writes.requestWrite(859, {1})) << c.name << ": a second write while one is pending";
        EXPECT_TRUE(writes.WritePending()) << c.name;
        tickAndAnswer(c.reply);
        EXPECT_EQ(reports, c.reports) << c.name;
        EXPECT_EQ(messages.texts, c.messageBox) << c.name;
        EXPECT_FALSE(writes.WritePending()) << c.name;
        EXPECT_FALSE(this->polling.disabled) << c.name;
        EXPECT_EQ(writes.takeTick(), TickClient::Turn::Pass) << c.name << ": a write is sent once";
    }
}

TEST_F(SettingWritesTest, AWriteTheLinkCannotSendEndsAtOnceAsUnsuccessful)
{
    ASSERT_TRUE(writes.requestWrite(65537, {1, 2}));
    EXPECT_EQ(writes.takeTick(), TickClient::Turn::Used);
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_TRUE(reports.last().startsWith(QLatin1String("failed: Unsuccessful Write: "))) << qPrintable(reports.last());
    EXPECT_FALSE(writes.WritePending());
    EXPECT_TRUE(serial.written.isEmpty());
}

TEST_F(SettingWritesTest, TheGlobalWriteSendsStepTwoOnlyAfterStepOneWasAcknowledged)
{
    const QByteArray ackStep1 = rtuFrame("0110 0032 0001");
    const QByteArray ackStep2 = rtuFrame("0110 0034 0001");
    const QString step1 = QStringLiteral("The global write was unsuccessful.  (Step 1)");
    const QString step2 = QStringLiteral("The global write was unsuccessful.  (Step 2)");
    const struct {
        const char* name;
        QByteArray reply1;
        QByteArray reply2; // sent only after step 1 was acknowledged
        QStringList messageBox;
        const char* finished;
    } cases[] = {
        {"both acknowledged", ackStep1, ackStep2, {}, "ok: Successful Write "},
        {"step 1 refused", rtuFrame("0190 02"), {}, {step1}, "failed: The global write was unsuccessful.  (Step 1)"},
        {"step 2 unanswered", ackStep1, {}, {step2}, "failed: The global write was unsuccessful.  (Step 2)"},
    };
    for (const auto& c : cases) {
        messages.texts.clear();
        serial.written.clear();
        reports.clear();
        this->polling.disabled = true;
        ASSERT_TRUE(writes.requestGlobalWrite(2, 53, 480)) << c.name;
        tickAndAnswer(c.reply1);
        ASSERT_EQ(serial.written.first(), rtuFrame("0110 0032 0001 02 0002")) << c.name;
        if (c.reply1 == ackStep1) {
            EXPECT_EQ(writes.GlobalWriteStep(), 2) << c.name;
            tickAndAnswer(c.reply2);
            EXPECT_EQ(serial.written.count(rtuFrame("0110 0034 0001 02 01E0")), 1) << c.name;
        }
        EXPECT_EQ(writes.GlobalWriteStep(), 0) << c.name;
        EXPECT_EQ(messages.texts, c.messageBox) << c.name;
        EXPECT_EQ(reports.filter(QRegularExpression(QStringLiteral("^(ok|failed): "))), QStringList{QLatin1String(c.finished)}) << c.name;
        EXPECT_FALSE(writes.WritePending()) << c.name;
        EXPECT_FALSE(this->polling.disabled) << c.name;
        EXPECT_EQ(writes.takeTick(), TickClient::Turn::Pass) << c.name;
    }
}

namespace {

// The setting writes as the sequencer's tick client, polling a unit over TCP.
class WritesInTheCycle : public ::testing::Test, public PollingHarness {
protected:
    WritesInTheCycle() : writes(link, sequencer, messages)
    {
        sequencer.addTickClient(&writes);
        QObject::connect(&writes, &SettingWrites::writeFinished,
                         [this](bool, const QString& text) { finished << text; });
        describeUnit({kTypeBranch, kTypeBranch});
    }

    int writesSent() const
    {
        return int(std::count_if(tcp.written.begin(), tcp.written.end(),
                                 [](const QByteArray& f) { return f.size() > 7 && quint8(f[7]) == 16; }));
    }

    SettingWrites writes;
    QStringList finished;
};

} // namespace

// A write confirmed while a read is outstanding leaves on the tick after that read's reply,
// though the dialog suspended polling, and only its own reply tells its outcome. Over TCP it
// lands where its register is read: system registers without the panel offset.
TEST_F(WritesInTheCycle, AWriteDuringAReadLeavesAfterItAndTellsItsOwnOutcome)
{
    using Kind = SettingEditTarget::Kind;
    const struct {
        const char* name;
        SettingEditTarget target;
        int address;
        bool answered;
        QString outcome;
    } cases[] = {
        {"branch setting", {Kind::Single, 2170, kStepMeterStatus2, 0}, 2169 + 4000, true, "Successful Write "},
        {"no reply", {Kind::Single, 64001, kStepThermalSettings, 0}, 64000, false,
         "Unsuccessful Write: no reply within 2000 ms."},
        {"global", {Kind::Global, 0, 0, 55}, 50, true, "Successful Write "},
    };
    for (const auto& c : cases) {
        link.setPanelOffset(c.target.WriteRegister == 64001 ? 0 : 4000);
        finished.clear();
        sequencer.setPollStep(kStepSystemInfo);
        start();
        clock.fireNext(); // a read goes out
        ASSERT_TRUE(link.requestOutstanding()) << c.name;
        sequencer.setPollingDisabled(true); // the dialog is open
        sequencer.setMainTimerEnabled(false);
        const int before = writesSent();
        ASSERT_TRUE(SettingEdit::start(c.target, 20, 3, writes, sequencer)) << c.name;
        clock.advance(5 * Sequencer::kTickMs);
        EXPECT_EQ(writesSent(), before) << c.name << ": no write while the read is outstanding";
        unit.answerPending();
        clock.advance(Sequencer::kTickMs);
        ASSERT_EQ(writesSent(), before + 1) << c.name;
        const QByteArray request = tcp.written.last();
        EXPECT_EQ(quint8(request[8]) << 8 | quint8(request[9]), c.address) << c.name;
        unit.silent = !c.answered;
        unit.answerPending();
        unit.silent = false;
        if (c.target.kind == Kind::Global) {
            clock.advance(Sequencer::kTickMs);
            const QByteArray step2 = tcp.written.last();
            EXPECT_EQ(quint8(step2[8]) << 8 | quint8(step2[9]), 54) << "register 55, no offset";
            unit.answerPending();
        }
        clock.advance(ModbusLink::kResponseTimeoutMs);
        EXPECT_EQ(finished, QStringList{c.outcome}) << c.name;
        EXPECT_FALSE(sequencer.PollingDisabled()) << c.name;
        EXPECT_TRUE(sequencer.isMainTimerActive() || link.requestOutstanding()) << c.name << ": polling resumed";
        sequencer.setMainTimerEnabled(false);
        link.abandonRequest();
    }
}
