#include "core/calibration/calibration_form.h"

#include <gtest/gtest.h>

#include <functional>

using namespace halvana;

namespace {

using Form = CalibrationForm;

// What the window shows: the frames and options in view, the meter list's size and choice,
// and whether "&Calibrate" may be pressed.
QString shown(const Form& f)
{
    const auto when = [](bool on, const QString& text) { return on ? text : QString(); };
    const QStringList parts = {
        when(f.meterKindFrameVisible(), "kind"), when(f.panelFrameVisible(), "panel"),
        when(f.meterTypeListEnabled(), QStringLiteral("types=%1").arg(f.meterType())),
        when(f.voltageVisible(), f.voltageEnabled() ? "voltage" : "voltage-off"),
        f.calType() == Form::Current ? "current" : "volts", when(f.parameterFrameVisible(), "param"),
        QStringLiteral("p%1 %2:%3").arg(f.param()).arg(f.meterNumbers().size()).arg(f.meterNumbers().value(f.meter())),
        f.calibrateEnabled() ? "go" : "wait"};
    return parts.join(' ').simplified();
}

} // namespace

TEST(CalibrationForm, EnablingRulesFollowLevelKindTypeCommandAndReading)
{
    const struct {
        const char* what;
        std::function<void(Form&)> act;
        const char* shows;
    } steps[] = {
        {"loaded", [](Form&) {}, "kind voltage-off current p0 250:1 wait"},
        {"3 Phase", [](Form& f) { f.chooseThreePhase(true); }, "kind voltage current param p0 72:1 wait"},
        {"øB, voltage", [](Form& f) { f.chooseParam(2), f.chooseCalType(Form::Voltage); }, "kind voltage volts param p2 72:1 wait"},
        {"reading 0", [](Form& f) { f.setReading("0"); }, "kind voltage volts param p2 72:1 wait"},
        {"reading 12", [](Form& f) { f.setReading("12"); }, "kind voltage volts param p2 72:1 go"},
        {"running", [](Form& f) { f.setRunning(true); }, "kind voltage volts param p2 72:1 wait"},
        {"done, meter 70, Map 1", [](Form& f) { f.setRunning(false), f.chooseMeter(69), f.setRegisterMapVersion(1); },
         "kind voltage volts param p2 64:64 go"},
        {"1 Phase", [](Form& f) { f.chooseThreePhase(false); }, "kind voltage-off current p0 250:64 go"},
        {"System", [](Form& f) { f.chooseLevel(Form::SystemLevel); }, "panel types=0 current param p0 43:All go"},
        {"no reading", [](Form& f) { f.setReading(""); }, "panel types=0 current param p0 43:All wait"},
        {"Offset", [](Form& f) { f.chooseCommand(Form::Offset); }, "panel types=0 current param p0 43:All go"},
        {"Neutral, Branch", [](Form& f) { f.chooseParam(4), f.chooseMeterType(Form::Branch); }, "panel types=1 current p0 43:All go"},
        {"Neutral, Panel", [](Form& f) { f.chooseParam(4), f.chooseMeterType(Form::Panel); }, "panel types=5 current param p4 43:All go"},
        {"Meter", [](Form& f) { f.chooseLevel(Form::MeterLevel); }, "kind voltage-off current p0 250:1 go"},
    };
    Form form;
    for (const auto& s : steps) {
        s.act(form);
        EXPECT_EQ(shown(form), QLatin1String(s.shows)) << s.what;
    }
}

// The words and registers of the calibration examples, and the readings that are refused
// before anything is sent.
TEST(CalibrationForm, RequestCarriesWordsRegistersAndARoundedReading)
{
    Form meter;
    meter.chooseThreePhase(true);
    meter.chooseMeter(2);
    meter.chooseParam(2);
    meter.setReading("120");
    auto r = meter.request(nullptr);
    ASSERT_TRUE(r);
    EXPECT_EQ(QVector<int>({r->WriteRegister, r->commandWord, r->reading}), QVector<int>({41048, 545, 120}));

    Form system;
    system.chooseLevel(Form::SystemLevel);
    system.chooseMeterType(Form::Subfeed);
    system.choosePanel(2);
    system.chooseCommand(Form::Offset);
    system.setReading("77");
    r = system.request(nullptr);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->systemLevel);
    EXPECT_EQ(QVector<int>({r->WriteRegister, r->commandWord, r->selectionWord, r->reading}),
              QVector<int>({12, 514, 16896, 0}));
    EXPECT_EQ(system.readingAfterCalibrate(), "0");
    EXPECT_EQ(Form::selectionWord(Form::Panel, 1, 3), 9 * 4096 + 256 + 3);

    const struct {
        const char* text;
        int sent; // -1: refused
    } readings[] = {{"119.5", 120}, {" 65535.4 ", 65535}, {"0.4", 0}, {"65535.5", -1}, {"-3", -1},
                    {"0", -1},      {"12a", -1},         {"", -1},    {"inf", -1}};
    for (const auto& c : readings) {
        meter.setReading(QLatin1String(c.text));
        QString refusal;
        r = meter.request(&refusal);
        EXPECT_EQ(r ? r->reading : -1, c.sent) << c.text;
        EXPECT_EQ(refusal.isEmpty(), c.sent >= 0) << c.text;
    }
}

// No meter is offered whose registers would lie past the last wire address.
TEST(CalibrationForm, MeterLevelTargetsStayAddressable)
{
    for (int map : {1, 2}) {
        for (bool threePhase : {false, true}) {
            const int n = Form::meterLevelMeters(threePhase, map);
            EXPECT_LE(Form::meterTargetRegister(threePhase, map, n - 1) + 2, 65536) << map << threePhase;
            if (n < Form::kMeterLevelMeters) {
                EXPECT_GT(Form::meterTargetRegister(threePhase, map, n) + 2, 65536) << map << threePhase;
            }
        }
    }
}
