#include "core/device/polling_fixture.h"

#include "core/calibration/calibration_sequence.h"
#include "core/device/device_data.h"
#include "core/session/unit_session.h"

using namespace halvana;
using namespace halvana::test;

namespace {

using Fault = FakeUnit::Fault;

// A calibration run by the whole session (link, sequencer, device data) on the manual clock,
// against a unit on a fake socket that is polled meanwhile. The status register says "in
// progress" until `settleMs` after the command was written, then `verdict`.
struct CalibrationRun {
    CalibrationRun() : session(clock, messages, shippedDataFolder()), unit(tcp)
    {
        tcp.completeConnect();
        session.setTransports(nullptr, &tcp);
        session.link().setCommMode(1);
        QObject::connect(&session.calibration(), &CalibrationSequence::calibrationResponse,
                         [this](const CalibrationResponse& r) {
                             using V = CalibrationResponse::Verdict;
                             responses << r.text + (r.verdict == V::Fail ? " red" : r.verdict == V::Success ? " green" : "")
                                              + (r.responseValue ? QStringLiteral(" =%1").arg(*r.responseValue) : QString())
                                              + (r.finished ? " end" : "");
                         });
    }

    void run(const CalibrationRequest& request)
    {
        const int status = request.systemLevel ? CalibrationSequence::kSystemStatusRegister : request.WriteRegister;
        const int command = request.systemLevel ? request.WriteRegister : request.WriteRegister - 1;
        unit.beforeAnswer = [=](int reg) {
            if (commandAt >= 0 && reg == status)
                readBacks.push_back(clock.nowMs() - commandAt);
            if (reg == command)
                commandAt = clock.nowMs();
            if (commandAt >= 0)
                unit.image[status] = clock.nowMs() - commandAt < settleMs ? CalibrationSequence::kStatusInProgress : verdict;
        };
        session.sequencer().setMainTimerEnabled(true);
        runAnswering(clock, unit, 500);
        EXPECT_TRUE(session.calibration().start(request));
        runAnswering(clock, unit, 15000);
        EXPECT_FALSE(session.calibration().running());
    }

    ManualClock clock;
    RecordingMessages messages;
    FakeTransport tcp{true};
    UnitSession session;
    FakeUnit unit;
    qint64 commandAt = -1;
    qint64 settleMs = 2500;
    quint16 verdict = CalibrationSequence::kStatusSucceeded;
    std::vector<qint64> readBacks;
    QStringList responses;
};

using Writes = std::vector<std::pair<int, std::vector<int>>>;

} // namespace

// Meter level: reading, command to the register before it, the read-back 200 ms after its
// acknowledgement and once a second while in progress, then the response register; a step
// refused or unanswered ends the calibration with its own text.
TEST(CalibrationSequence, MeterLevelStepsAndTheirFailures)
{
    using Reads = std::vector<qint64>;
    const struct {
        const char* name;
        quint16 verdict;
        qint64 settleMs;
        Fault fault;
        int faultRegister;
        QStringList responses;
        Reads readBacks;
    } cases[] = {
        {"success", 0x8010, 2500, Fault::None, 0, {"In Progress", "Success green", "Success green =7 end"},
         {200, 1200, 2200, 3200}},
        {"fail", 0x8008, 0, Fault::None, 0, {"Fail red", "Fail red =7 end"}, {200}},
        {"never settles", 0, 60000, Fault::None, 0, {"In Progress", "No result end"},
         {200, 1200, 2200, 3200, 4200, 5200, 6200, 7200, 8200}},
        {"reading refused", 0, 0, Fault::Exception, 41048, {"Failed 1 end"}, {}},
        {"command lost", 0, 0, Fault::Drop, 41047, {"Failed 2 end"}, {}},
        {"read-back lost", 0, 0, Fault::Drop, -41048, {"No result end"}, {200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CalibrationRun run;
        run.verdict = c.verdict;
        run.settleMs = c.settleMs;
        run.unit.image[41050] = 7;
        // A negative register: only once the command went out (the read-back, not the reading).
        run.unit.fault = [&](int reg) {
            const bool hit = c.faultRegister < 0 ? run.commandAt >= 0 && reg == -c.faultRegister : reg == c.faultRegister;
            return hit ? c.fault : Fault::None;
        };
        run.run({false, 41048, 545, 0, 120});
        EXPECT_EQ(run.responses.join(" | "), c.responses.join(" | "));
        EXPECT_EQ(run.readBacks, c.readBacks);
        const Writes reading{{41048, {120}}};
        EXPECT_EQ(run.unit.writes, (c.faultRegister == 41048 ? reading : Writes{reading[0], {41047, {545}}}));
    }
}

// System level: one write to registers 12..14, then the verdict from register 14 of the
// system information the cycle reads; no other reply counts, however it reads.
TEST(CalibrationSequence, SystemLevelVerdictComesFromTheSystemInformationOnly)
{
    const struct {
        const char* name;
        quint16 verdict;
        qint64 settleMs;
        bool refused;
        QStringList responses;
    } cases[] = {
        {"success", 0x8010, 2500, false, {"In Progress", "Success green end"}},
        {"fail", 0x8008, 1000, false, {"In Progress", "Fail red end"}},
        {"never settles", 0, 60000, false, {"In Progress", "No result end"}},
        {"another value", 0x0100, 0, false, {"In Progress", "No result end"}},
        {"command refused", 0, 0, true, {"In Progress", "Failed 1 end"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CalibrationRun run;
        run.verdict = c.verdict;
        run.settleMs = c.settleMs;
        // Meter information and a meter's read-back register that read like a verdict.
        run.unit.image[5] = 1;
        run.unit.image[101] = CalibrationSequence::kStatusSucceeded;
        run.unit.image[12] = CalibrationSequence::kStatusSucceeded;
        if (c.refused)
            run.unit.fault = [](int reg) { return reg == 12 ? Fault::Exception : Fault::None; };
        run.run({true, 12, 514, 16896, 0});
        EXPECT_EQ(run.responses.join(" | "), c.responses.join(" | "));
        EXPECT_EQ(run.unit.writes, (Writes{{12, {514, 16896, 0}}}));
    }
}
