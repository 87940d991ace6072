#include "sim/simulated_meters.h"

#include "core/device/channel_registers.h"
#include "core/device/meter_types.h"
#include "core/device/register_map.h"
#include "sim/register_image.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace halvana {

namespace {

constexpr double kPi = 3.14159265358979;
constexpr int kBranchesPerPanel = 42;
constexpr int kChannelsPerPanel = 84;
constexpr int kFirstAuxChannel = 253;
constexpr int kSensorsFitted = 4;
// Global write: register 51 names the panel, 52..63 hold its global values.
constexpr int kParentRegister = 51;
constexpr int kGlobalCount = 12;

// A register value from a quantity shown with `scale` (1, 10, 100, 1000), kept in range.
void put(RegisterImage& image, int reg, double value, int scale = 1)
{
    image.set(reg, quint16(std::clamp(std::lround(value * scale), 0L, 65535L)));
}

// A counter register wraps as the unit's do.
void putCounter(RegisterImage& image, int reg, double value, int scale = 1)
{
    image.set(reg, quint16(std::llround(value * scale) & 0xFFFF));
}

// Registers of a block as the header files number them: 1-based settings, 0-based readings.
struct BranchSettingsLayout {
    int currentChannel, voltageChannel, ctRatio, voltageRatio, currentGain, poleCount, breaker, nominalVoltage,
        loadType, circuit, panel, demandInterval, subIntervals, parent, eventLog, hysteresis;
    int firstName; // 0: the map has no name registers
    int groupStart(int j) const { return firstName ? (j < 6 ? 41 + 4 * j : 69 + 4 * (j - 6)) : 28 + 4 * j; }
};
// The channel mapping and parent come from the program's own table, so the simulated unit keeps
// them where the program reads and writes them.
constexpr BranchChannelRegisters kChannels1 = ChannelRegisters::branch(1);
constexpr BranchChannelRegisters kChannels2 = ChannelRegisters::branch(2);
const BranchSettingsLayout kBranchSettings1{kChannels1.currentChannel, kChannels1.voltageChannel, 13, 14, 20, 15, 17, 18, 21,
                                            22, 23, 24, 25, kChannels1.parentId, 29, 97, 5};
const BranchSettingsLayout kBranchSettings2{kChannels2.currentChannel, kChannels2.voltageChannel, 7, 8, 9, 11, 12, 13, 14,
                                            15, 16, 17, 18, kChannels2.parentId, 87, 80, 0};

struct BranchReadingsLayout {
    int energyHigh, energyRollover, runTime, currentPrecise, tenths, demandCurrent, maxDemandCurrent, powerGroup,
        alarm, warning;
};
const BranchReadingsLayout kBranchReadings1{17, 19, 20, 21, 22, 30, 33, 34, 53, 54};
const BranchReadingsLayout kBranchReadings2{8, 10, 17, 18, 19, 27, 28, 35, 52, 53};

struct ThreePhaseSettingsLayout {
    int ctLine, voltageRatio, mapping, pole, parent, breaker, nominalVoltage, demandInterval, hysteresis;
    int neutralFitted, currentGain; // 0: the map has no such register
    int groupStart(int j) const { return neutralFitted ? 39 + 4 * j : (j < 6 ? 42 + 4 * j : 70 + 4 * (j - 6)); }
};
constexpr ThreePhaseChannelRegisters kPhaseChannels1 = ChannelRegisters::threePhase(1);
constexpr ThreePhaseChannelRegisters kPhaseChannels2 = ChannelRegisters::threePhase(2);
const ThreePhaseSettingsLayout kThreePhaseSettings1{
    12, 15, kPhaseChannels1.firstVoltage, 11, kPhaseChannels1.parentId, 24, 27, 41, 114, 0, 0};
const ThreePhaseSettingsLayout kThreePhaseSettings2{
    6, 9, kPhaseChannels2.firstVoltage, 19, kPhaseChannels2.parentId, 21, 22, 31, 107, 4, 10};

// First part: whole values, then (from `wholeGroups`) groups of four, then (from `precise`)
// power factors, tenths and the totals. Second part: currents in hundredths, then quantities
// in groups of four; the status words close it.
struct ThreePhaseReadingsLayout {
    int wholeGroups, precise, preciseCurrents, quantities, energy;
};
const ThreePhaseReadingsLayout kThreePhaseReadings1{28, 71, 4, 11, 48};
const ThreePhaseReadingsLayout kThreePhaseReadings2{22, 65, 5, 19, 0};

// Alarm and warning setpoints per condition, in the order of the settings blocks, as fractions
// of the breaker rating for currents and as plain values otherwise.
struct Condition {
    double alarm, warning;
    enum Unit { Plain, Amps, KiloWatts } unit;
};
constexpr Condition kBranchConditions[] = {
    {132, 128, Condition::Plain}, {108, 112, Condition::Plain},     {61, 60.5, Condition::Plain},
    {59, 59.5, Condition::Plain}, {0.70, 0.80, Condition::Plain},    {2.0, 1.8, Condition::Amps},
    {0.8, 0.7, Condition::Amps},  {0.02, 0.05, Condition::Amps},     {0.8, 0.7, Condition::KiloWatts},
    {0.8, 0.7, Condition::KiloWatts}, {30, 20, Condition::Plain}, {0.8, 0.7, Condition::Amps},
    {3.0, 2.5, Condition::Plain},
};
constexpr Condition kThreePhaseConditions[] = {
    {132, 128, Condition::Plain},    {108, 112, Condition::Plain}, {61, 60.5, Condition::Plain},
    {59, 59.5, Condition::Plain},    {0.70, 0.80, Condition::Plain}, {2.0, 1.8, Condition::Amps},
    {0.8, 0.7, Condition::Amps},     {0.02, 0.05, Condition::Amps}, {0.8, 0.7, Condition::KiloWatts},
    {0.8, 0.7, Condition::KiloWatts}, {8, 5, Condition::Plain},     {30, 20, Condition::Plain},
    {0.5, 0.4, Condition::Amps},     {0.05, 0.03, Condition::Amps}, {20, 10, Condition::Plain},
    {3, 2, Condition::Plain},        {0.8, 0.7, Condition::KiloWatts},
};

// Each condition's group: alarm delay, warning delay (seconds; tenths of a second for the
// short-time over current, so the same numbers), alarm and warning setpoints in hundredths.
template <size_t N, typename GroupStart>
void putConditions(RegisterImage& image, int base, const Condition (&conditions)[N], GroupStart groupStart,
                   double breakerAmps, double phases)
{
    for (size_t j = 0; j < N; ++j) {
        const Condition& c = conditions[j];
        const int reg = base + groupStart(int(j)) - 1;
        const double scale = c.unit == Condition::Amps ? breakerAmps
                           : c.unit == Condition::KiloWatts ? breakerAmps * 120.0 * phases / 1000.0
                                                            : 1.0;
        put(image, reg, 5);
        put(image, reg + 1, 10);
        put(image, reg + 2, c.alarm * scale, 100);
        put(image, reg + 3, c.warning * scale, 100);
    }
}

double ratio(double part, double whole)
{
    return whole > 0 ? part / whole : 0.0;
}

int poleConfiguration(int type)
{
    switch (type) {
    case kTypePduInput:
        return 1;
    case kTypePduOutput:
        return 3;
    default:
        return 2;
    }
}

// One phase's electrical state at a moment.
struct Phase {
    double volts, amps, powerFactor;
    double kw() const { return volts * amps * powerFactor / 1000.0; }
    double kva() const { return volts * amps / 1000.0; }
    double kvar() const { return std::sqrt(std::max(0.0, kva() * kva() - kw() * kw())); }
};

Phase phaseAt(const SimulatedMeters::Meter& meter, int phase, double seconds)
{
    const double seed = meter.index * 0.37 + phase * 2.1;
    // A ten-minute "day" so the change shows while one watches, with a little ripple on it.
    const double day = 1.0 + 0.15 * std::sin(2 * kPi * seconds / 600.0 + seed);
    const double ripple = 1.0 + 0.02 * std::sin(seconds * 0.7 + seed);
    Phase p;
    p.volts = 120.0 * (1.0 + 0.008 * std::sin(seconds / 37.0 + seed));
    p.amps = meter.profile.breakerAmps * meter.profile.loadPercent / 100.0 * day * ripple * (1.0 + 0.04 * phase);
    p.powerFactor = 0.93 + 0.03 * std::sin(seconds / 53.0 + seed);
    return p;
}

double frequencyAt(double seconds)
{
    return 60.0 + 0.02 * std::sin(seconds / 11.0);
}

} // namespace

SimulatedMeters::SimulatedMeters(const UnitProfile& profile, int mapVersion, int slaveId)
    : m_profile(profile), m_map(mapVersion == 1 ? 1 : 2), m_slaveId(slaveId)
{
    std::array<int, 16> ordinals{};
    int branches = 0;
    int others = 0;
    for (size_t i = 0; i < profile.meters.size(); ++i) {
        Meter meter;
        meter.profile = profile.meters[i];
        meter.index = int(i);
        meter.ordinal = ordinals[size_t(meter.profile.type)]++;
        const bool branch = meter.profile.type == kTypeBranch;
        meter.cursor = branch ? branches++ : others++;
        meter.panel = branch ? meter.cursor / kBranchesPerPanel + 1
                    : meter.profile.type == kTypeSubfeed || meter.profile.type == kTypePanel ? meter.ordinal + 1
                                                                                             : 0;
        m_meters.push_back(meter);
    }
}

void SimulatedMeters::install(RegisterImage& image)
{
    installSystem(image);
    for (const Meter& meter : m_meters) {
        if (meter.profile.type == kTypeBranch)
            installBranchSettings(image, meter);
        else
            installThreePhaseSettings(image, meter);
    }
    installThermalAndInputBoard(image);
    limitWrites(image);
    updateReadings(image, 0);
}

// Settings take 0..32767 (switches 0..1, channels 0..289); readings and status take nothing.
void SimulatedMeters::limitWrites(RegisterImage& image)
{
    constexpr quint16 kMaxSetting = 32767;
    constexpr quint16 kMaxChannel = 289;
    image.setRange(kParentRegister, 1, 1, 6);
    image.setRange(kParentRegister + 1, kGlobalCount, 0, kMaxSetting);
    for (int half = 0; half < 2; ++half)
        image.setReadOnly(RegisterMap::meterStatus(half).first, kMetersPerInfoBlock);
    for (const Meter& meter : m_meters) {
        const bool branch = meter.profile.type == kTypeBranch;
        const RegisterBlock settings = branch ? RegisterMap::branchSettings(m_map) : RegisterMap::threePhaseSettings(m_map);
        const int base = settings.firstOf(meter.cursor);
        const auto at = [&](int reg) { return base + reg - 1; };
        image.setRange(base, settings.count, 0, kMaxSetting);
        if (branch) {
            const BranchSettingsLayout& l = m_map == 1 ? kBranchSettings1 : kBranchSettings2;
            image.setRange(at(4), 1, 0, 1);
            image.setRange(at(l.currentChannel), 1, 1, kMaxChannel);
            image.setRange(at(l.voltageChannel), 1, 1, kMaxChannel);
            image.setRange(at(l.eventLog), 1, 0, 1);
            const RegisterBlock readings = RegisterMap::branchReadings(m_map);
            image.setReadOnly(readings.firstOf(meter.cursor), readings.count);
            continue;
        }
        const ThreePhaseSettingsLayout& l = m_map == 1 ? kThreePhaseSettings1 : kThreePhaseSettings2;
        if (l.neutralFitted)
            image.setRange(at(l.neutralFitted), 2, 0, 1);
        image.setRange(at(l.mapping), 8, 0, kMaxChannel);
        image.setRange(at(l.pole), 1, 1, 6);
        for (bool second : {false, true}) {
            const RegisterBlock readings = RegisterMap::threePhaseReadings(m_map, second);
            image.setReadOnly(readings.firstOf(meter.cursor), readings.count);
        }
    }
    const RegisterBlock thermal = RegisterMap::thermalSettings(false);
    const RegisterBlock thermalReadings = RegisterMap::thermalReadings();
    for (int module = 0; module < kNumThermalModules; ++module) {
        image.setRange(thermal.firstOf(module), thermal.stride, 0, kMaxSetting);
        for (int s = 0; s < kSensorsFitted; ++s)
            image.setRange(thermal.firstOf(module) + 10 * s, 2, 0, 1);
        image.setReadOnly(thermalReadings.firstOf(module), thermalReadings.count);
    }
    image.setReadOnly(RegisterMap::inputBoard().first, RegisterMap::inputBoard().count);
}

// Global register g is the setting of branch row g on Map 2 and of row g + 17 on Map 1.
void SimulatedMeters::registersWritten(RegisterImage& image, int first, int count)
{
    const BranchSettingsLayout& l = m_map == 1 ? kBranchSettings1 : kBranchSettings2;
    const RegisterBlock settings = RegisterMap::branchSettings(m_map);
    const int panel = image.value(kParentRegister);
    for (int g = std::max(first, kParentRegister + 1); g < first + count && g <= kParentRegister + kGlobalCount; ++g) {
        const int row = m_map == 1 ? g + 17 : g;
        for (const Meter& meter : m_meters) {
            const int base = settings.firstOf(meter.cursor);
            if (meter.profile.type == kTypeBranch && image.value(base + l.parent - 1) == panel)
                image.set(base + row - 1, image.value(g));
        }
    }
}

void SimulatedMeters::installSystem(RegisterImage& image)
{
    const RegisterBlock system = RegisterMap::systemInfo();
    image.add(system.first, system.count);
    bool anyAlarm = false;
    bool anyWarning = false;
    int panels = 0;
    for (const Meter& m : m_meters) {
        anyAlarm |= m.profile.alarmWord != 0;
        anyWarning |= m.profile.warningWord != 0;
        panels += m.profile.type == kTypePanel;
    }
    // Registers 12..14 take the calibration command, selection and reading, and report its status.
    const QVector<quint16> values = {
        quint16(m_slaveId), 5, quint16(m_profile.firmwareMajor << 8 | m_profile.firmwareMinor),
        quint16(m_profile.firmwareBuild), quint16(m_meters.size()), anyAlarm, anyWarning, quint16(panels),
        quint16(m_profile.thermalModules), 0, 120, 0, 0, 0, 60, quint16(m_map), 0x0001, 0x86A0, 3};
    image.add(system.first, values);
    image.set(24, 15);
    // Global values: over current, under current and over KW delays and setpoints.
    const QVector<quint16> globals = {0, 5, 10, 1600, 1400, 5, 10, 10, 20, 5, 10, 192, 168};
    image.add(51, globals);

    for (int half = 0; half < 2; ++half) {
        image.add(RegisterMap::meterInfo(half).first, kMetersPerInfoBlock);
        image.add(RegisterMap::meterStatus(half).first, kMetersPerInfoBlock);
    }
    for (const Meter& m : m_meters) {
        image.set(RegisterMap::meterInfo(0).first + m.index, quint16(m.profile.type << 12 | ((m.ordinal + 1) & 0xFF)));
        const quint16 status = quint16(m.panel << 4 | (m.profile.warningWord ? 0x2 : 0) | (m.profile.alarmWord ? 0x1 : 0));
        image.set(RegisterMap::meterStatus(0).first + m.index, status);
    }
}

void SimulatedMeters::installBranchSettings(RegisterImage& image, const Meter& meter)
{
    const RegisterBlock settings = RegisterMap::branchSettings(m_map);
    const int base = settings.firstOf(meter.cursor);
    image.add(base, settings.stride);
    const BranchSettingsLayout& l = m_map == 1 ? kBranchSettings1 : kBranchSettings2;
    const int panel = (meter.panel - 1) % 3;
    const int circuit = meter.cursor % kBranchesPerPanel;
    const auto at = [&](int reg) { return base + reg - 1; };
    put(image, at(1), meter.index + 1);
    put(image, at(2), meter.cursor + 1);
    put(image, at(3), meter.cursor / kBranchesPerPanel + 1);
    put(image, at(4), 1);
    put(image, at(l.currentChannel), panel * kChannelsPerPanel + circuit + 1);
    put(image, at(l.voltageChannel), kFirstAuxChannel + panel * 3 + circuit % 3);
    put(image, at(l.ctRatio), 100.0, 10);
    put(image, at(l.voltageRatio), 1.0, 10);
    put(image, at(l.currentGain), 1.0, 1000);
    put(image, at(l.poleCount), 1);
    put(image, at(l.breaker), meter.profile.breakerAmps);
    put(image, at(l.nominalVoltage), 120.0, 10);
    put(image, at(l.loadType), 1);
    put(image, at(l.circuit), circuit + 1);
    put(image, at(l.panel), meter.panel);
    put(image, at(l.demandInterval), 15);
    put(image, at(l.subIntervals), 3);
    put(image, at(l.parent), meter.panel);
    put(image, at(l.eventLog), 1);
    put(image, at(l.hysteresis), 2.0, 10);
    put(image, at(l.hysteresis + 1), 2.0, 10);
    put(image, at(l.hysteresis + 2), 0.1, 10);
    if (l.firstName) {
        // "P1-CB03": two characters per register, high byte first.
        const QByteArray name = QStringLiteral("P%1-CB%2").arg(meter.panel).arg(circuit + 1, 2, 10, QLatin1Char('0'))
                                    .toLatin1()
                                    .leftJustified(12, ' ');
        for (int i = 0; i < 6; ++i)
            image.set(at(l.firstName + i), quint16(quint8(name[2 * i]) << 8 | quint8(name[2 * i + 1])));
    }
    putConditions(image, base, kBranchConditions, [&](int j) { return l.groupStart(j); }, meter.profile.breakerAmps, 1);
}

void SimulatedMeters::installThreePhaseSettings(RegisterImage& image, const Meter& meter)
{
    const RegisterBlock settings = RegisterMap::threePhaseSettings(m_map);
    const int base = settings.firstOf(meter.cursor);
    image.add(base, std::min(settings.stride, RegisterImage::kLastRegister - base + 1));
    const ThreePhaseSettingsLayout& l = m_map == 1 ? kThreePhaseSettings1 : kThreePhaseSettings2;
    const auto at = [&](int reg) { return base + reg - 1; };
    const int type = meter.profile.type;
    const bool neutral = type != kTypePduInput;
    const bool ground = type == kTypePduOutput;
    put(image, at(1), meter.index + 1);
    put(image, at(2), meter.ordinal + 1);
    put(image, at(3), meter.cursor + 1);
    if (l.neutralFitted) {
        put(image, at(l.neutralFitted), neutral);
        put(image, at(l.neutralFitted + 1), ground);
    } else {
        put(image, at(4), 1);
    }
    for (int i = 0; i < 3; ++i)
        put(image, at(l.ctLine + i), 400.0, 10);
    put(image, at(l.voltageRatio), 1.0, 10);
    if (l.currentGain)
        put(image, at(l.currentGain), 1.0, 1000);
    const int panel = meter.cursor % 3;
    const int aux = kFirstAuxChannel + (meter.cursor % 4) * 3;
    for (int p = 0; p < 3; ++p) {
        put(image, at(l.mapping + p), aux + p);
        put(image, at(l.mapping + 3 + p), panel * kChannelsPerPanel + 43 + p);
    }
    put(image, at(l.mapping + 6), neutral ? panel * kChannelsPerPanel + 46 : 0);
    put(image, at(l.mapping + 7), ground ? panel * kChannelsPerPanel + 47 : 0);
    put(image, at(l.pole), poleConfiguration(type));
    put(image, at(l.parent), meter.panel);
    put(image, at(l.breaker), meter.profile.breakerAmps);
    put(image, at(l.nominalVoltage), 120.0, 10);
    if (l.neutralFitted) {
        put(image, at(l.nominalVoltage + 2), 60.0, 10);
        put(image, at(l.nominalVoltage + 3), 208.0, 10);
    }
    put(image, at(l.demandInterval), 15);
    put(image, at(l.hysteresis), 2.0, 10);
    put(image, at(l.hysteresis + 1), 2.0, 10);
    put(image, at(l.hysteresis + 2), 0.5, 10);
    putConditions(image, base, kThreePhaseConditions, [&](int j) { return l.groupStart(j); },
                  meter.profile.breakerAmps, 3);
}

void SimulatedMeters::installThermalAndInputBoard(RegisterImage& image)
{
    const RegisterBlock board = RegisterMap::inputBoard();
    image.add(board.first, board.count);
    if (m_profile.inputBoard)
        image.add(board.first, QVector<quint16>{1, 0x0103, 7, 31, 240});

    const RegisterBlock first = RegisterMap::thermalSettings(false);
    const RegisterBlock readings = RegisterMap::thermalReadings();
    for (int module = 0; module < kNumThermalModules; ++module) {
        image.add(first.firstOf(module), first.stride);
        image.add(readings.firstOf(module), readings.stride);
        if (module >= m_profile.thermalModules)
            continue;
        for (int s = 0; s < kSensorsFitted; ++s)
            image.add(first.firstOf(module) + 10 * s, QVector<quint16>{1, 1, 40, 35, 10, 5, 80});
    }
}

void SimulatedMeters::updateReadings(RegisterImage& image, double seconds)
{
    const double hours = std::max(0.0, seconds - m_lastSeconds) / 3600.0;
    m_lastSeconds = seconds;
    ++m_updates;
    for (Meter& meter : m_meters) {
        if (meter.profile.type == kTypeBranch)
            updateBranch(image, meter, seconds, hours);
        else
            updateThreePhase(image, meter, seconds, hours);
    }
    updateThermal(image, seconds);
    image.set(20, quint16(seconds / 3600.0));
}

void SimulatedMeters::updateBranch(RegisterImage& image, Meter& meter, double seconds, double hours)
{
    const RegisterBlock block = RegisterMap::branchReadings(m_map);
    const int base = block.firstOf(meter.cursor);
    const auto at = [&](int i) { return base + i; };
    const BranchReadingsLayout& l = m_map == 1 ? kBranchReadings1 : kBranchReadings2;
    const Phase p = phaseAt(meter, meter.cursor % 3, seconds);
    const double breaker = meter.profile.breakerAmps;
    meter.energyKwh += p.kw() * hours;

    put(image, at(0), meter.index + 1);
    put(image, at(1), meter.cursor + 1);
    put(image, at(2), meter.profile.alarmWord ? 2 : meter.profile.warningWord ? 1 : 0);
    put(image, at(3), 128);
    image.set(at(4), m_updates);
    put(image, at(11), p.volts);
    put(image, at(12), frequencyAt(seconds));
    put(image, at(13), 100.0 * ratio(p.amps, breaker));
    put(image, at(14), p.amps * 1.1);
    put(image, at(15), p.amps * 0.95);
    put(image, at(16), p.amps);
    putCounter(image, at(l.energyHigh), std::floor(meter.energyKwh / 65536.0));
    putCounter(image, at(l.energyHigh + 1), meter.energyKwh);
    put(image, at(l.energyRollover), 0);
    put(image, at(l.runTime), seconds / 3600.0);
    put(image, at(l.currentPrecise), p.amps, 100);
    const double tenths[] = {p.volts, frequencyAt(seconds), 100.0 * ratio(p.amps, breaker), p.volts * 1.02, p.volts * 0.98,
                             2.1, 12.5 + 3 * std::sin(seconds / 29.0), 1.45};
    for (int i = 0; i < 8; ++i)
        put(image, at(l.tenths + i), tenths[i], 10);
    put(image, at(l.demandCurrent), p.amps * 0.95, 100);
    put(image, at(l.maxDemandCurrent), p.amps * 1.12, 100);
    const double power[] = {p.kw(), p.kva(), p.kvar(), p.powerFactor, p.kw() * 1.12, meter.energyKwh,
                            meter.energyKwh / p.powerFactor, meter.energyKwh * 0.4, p.powerFactor + 0.02,
                            p.amps * 1.1, p.amps * 0.85, p.amps * 0.98, 0.01, 100.0 * ratio(p.amps, breaker), p.kw() * 0.97};
    const int powerCount = m_map == 1 ? 15 : 14;
    for (int i = 0; i < powerCount; ++i) {
        if (i == 5 || i == 6 || i == 7)
            putCounter(image, at(l.powerGroup + i), power[i], 100);
        else
            put(image, at(l.powerGroup + i), power[i], 100);
    }
    image.set(at(l.alarm), meter.profile.alarmWord);
    image.set(at(l.warning), meter.profile.warningWord);
}

void SimulatedMeters::updateThreePhase(RegisterImage& image, Meter& meter, double seconds, double hours)
{
    const RegisterBlock first = RegisterMap::threePhaseReadings(m_map, false);
    const RegisterBlock second = RegisterMap::threePhaseReadings(m_map, true);
    const int base1 = first.firstOf(meter.cursor);
    const int base2 = second.firstOf(meter.cursor);
    // Map 1 has room for 64 such meters below register 65536; the rest have no readings.
    if (!image.hasRange(base2, second.count))
        return;
    const ThreePhaseReadingsLayout& l = m_map == 1 ? kThreePhaseReadings1 : kThreePhaseReadings2;
    const bool neutral = meter.profile.type != kTypePduInput;
    const bool ground = meter.profile.type == kTypePduOutput;

    std::array<Phase, 3> ph;
    for (int i = 0; i < 3; ++i)
        ph[size_t(i)] = phaseAt(meter, i, seconds);
    double kw = 0, kva = 0, kvar = 0, amps = 0;
    for (const Phase& p : ph) {
        kw += p.kw();
        kva += p.kva();
        kvar += p.kvar();
        amps += p.amps;
    }
    meter.energyKwh += kw * hours;
    const double neutralAmps = neutral ? amps * 0.08 : 0;
    const double groundAmps = ground ? 0.3 : 0;
    const double breaker = meter.profile.breakerAmps;
    const double frequency = frequencyAt(seconds);
    const auto lineToLine = [&](int i) { return (ph[size_t(i)].volts + ph[size_t((i + 1) % 3)].volts) / 2 * std::sqrt(3.0); };
    // Per phase A, B, C and a fourth value (total, neutral or average) for each group of four.
    const auto group = [&](auto perPhase, double fourth) {
        return std::array<double, 4>{perPhase(ph[0]), perPhase(ph[1]), perPhase(ph[2]), fourth};
    };
    const auto load = group([&](const Phase& p) { return 100.0 * ratio(p.amps, breaker); }, 100.0 * ratio(amps, 3 * breaker));
    const auto kwGroup = group([](const Phase& p) { return p.kw(); }, kw);
    const auto kvaGroup = group([](const Phase& p) { return p.kva(); }, kva);
    const auto kvarGroup = group([](const Phase& p) { return p.kvar(); }, kvar);
    const auto energy = group([&](const Phase& p) { return meter.energyKwh * ratio(p.kw(), kw); }, meter.energyKwh);

    const auto at1 = [&](int i) { return base1 + i; };
    put(image, at1(0), meter.index + 1);
    put(image, at1(1), meter.ordinal + 1);
    put(image, at1(2), meter.profile.alarmWord ? 2 : meter.profile.warningWord ? 1 : 0);
    image.set(at1(3), m_updates);
    for (int i = 0; i < 3; ++i) {
        put(image, at1(4 + i), lineToLine(i));
        put(image, at1(7 + i), ph[size_t(i)].volts);
        put(image, at1(10 + i), ph[size_t(i)].amps);
        put(image, at1(15 + i), load[size_t(i)]);
    }
    put(image, at1(13), neutralAmps);
    put(image, at1(14), groundAmps);
    put(image, at1(18), load[3]);
    put(image, at1(19), frequency);
    const auto scaled = [](std::array<double, 4> values, double factor) {
        for (double& v : values)
            v *= factor;
        return values;
    };
    // Power, apparent and reactive power, energy, apparent energy (counters) and max demand.
    const std::array<std::array<double, 4>, 6> wholes = {kwGroup, kvaGroup, kvarGroup, energy,
                                                         scaled(energy, 1.0 / 0.93), scaled(kwGroup, 1.12)};
    for (int g = 0; g < int(wholes.size()); ++g) {
        for (int i = 0; i < 4; ++i) {
            const int reg = at1(l.wholeGroups + 4 * g + i);
            if (g == 3 || g == 4)
                putCounter(image, reg, wholes[size_t(g)][size_t(i)]);
            else
                put(image, reg, wholes[size_t(g)][size_t(i)]);
        }
    }
    for (int i = 0; i < 3; ++i)
        put(image, at1(l.wholeGroups + 24 + i), ph[size_t(i)].amps * 1.12);
    put(image, at1(l.wholeGroups + 27), neutralAmps * 1.12);
    put(image, at1(l.wholeGroups + 29), 120);
    put(image, at1(l.wholeGroups + 30), 240);
    put(image, at1(l.wholeGroups + 34), 128);
    put(image, at1(l.wholeGroups + 36), seconds / 3600.0);
    put(image, at1(l.wholeGroups + 37), seconds / 3600.0);

    const int p0 = l.precise;
    for (int i = 0; i < 3; ++i) {
        put(image, at1(p0 + i), ph[size_t(i)].powerFactor, 100);
        put(image, at1(p0 + 3 + i), lineToLine(i), 10);
        put(image, at1(p0 + 6 + i), ph[size_t(i)].volts, 10);
        put(image, at1(p0 + 10 + i), 2.0 + 0.3 * i, 10);
        put(image, at1(p0 + 13 + i), 8.0 + 0.5 * i + std::sin(seconds / 31.0), 10);
    }
    put(image, at1(p0 + 9), frequency, 10);
    put(image, at1(p0 + 16), neutral ? 25.0 : 0, 10);
    for (int i = 0; i < 4; ++i)
        put(image, at1(p0 + 17 + i), load[size_t(i)], 10);
    put(image, at1(p0 + 21), 4.0, 10);
    put(image, at1(p0 + 22), 0.6, 10);
    put(image, at1(p0 + 23), ratio(kw, kva), 100);
    put(image, at1(p0 + 24), std::min(1.0, ratio(kw, kva) + 0.02), 100);
    put(image, at1(p0 + 25), std::abs(frequency - 60.0), 100);
    put(image, at1(p0 + 26), neutralAmps, 100);

    const auto at2 = [&](int i) { return base2 + i; };
    const std::array<double, 5> currents = {ph[0].amps, ph[1].amps, ph[2].amps, neutralAmps, groundAmps};
    for (int i = 0; i < l.preciseCurrents; ++i)
        put(image, at2(i), currents[size_t(i)], 100);
    const auto perCurrent = [&](double factor) {
        return std::array<double, 4>{ph[0].amps * factor, ph[1].amps * factor, ph[2].amps * factor, neutralAmps * factor};
    };
    const std::array<std::array<double, 4>, 19> quantities = {
        kwGroup, kvaGroup, kvarGroup, std::array<double, 4>{25.0, 145.0, 265.0, 0.0}, scaled(kwGroup, 1.05),
        perCurrent(0.95), perCurrent(1.12), scaled(kwGroup, 0.95), scaled(kwGroup, 1.12), scaled(kvaGroup, 0.95),
        scaled(kvaGroup, 1.12), perCurrent(1.2), perCurrent(0.8),
        std::array<double, 4>{ph[0].volts * 1.02, ph[1].volts * 1.02, ph[2].volts * 1.02, 122.0},
        std::array<double, 4>{ph[0].volts * 0.98, ph[1].volts * 0.98, ph[2].volts * 0.98, 118.0},
        std::array<double, 4>{1.4, 1.5, 1.4, 1.9}, std::array<double, 4>{1.45, 1.47, 1.46, 1.6}, energy,
        scaled(energy, 1.0 / 0.93)};
    for (int q = 0; q < l.quantities; ++q) {
        for (int i = 0; i < 4; ++i) {
            const int reg = at2(l.preciseCurrents + 4 * q + i);
            if (q >= 17)
                putCounter(image, reg, quantities[size_t(q)][size_t(i)], 100);
            else
                put(image, reg, quantities[size_t(q)][size_t(i)], 100);
        }
    }
    if (l.energy) {
        for (int i = 0; i < 4; ++i)
            putCounter(image, at2(l.energy + i), energy[size_t(i)]);
    } else {
        putCounter(image, at2(81), std::floor(meter.energyKwh / 65536.0));
        putCounter(image, at2(82), meter.energyKwh);
        put(image, at2(84), 0.4, 10);
    }
    // The status words close the second part: alarm word, two registers, warning word, two
    // registers, third word.
    const int words = second.count - 7;
    image.set(at2(words), meter.profile.alarmWord);
    put(image, at2(words + 2), meter.profile.alarmWord ? 1 : 0);
    image.set(at2(words + 3), meter.profile.warningWord);
    put(image, at2(words + 5), meter.profile.warningWord ? 1 : 0);
}

void SimulatedMeters::updateThermal(RegisterImage& image, double seconds)
{
    const RegisterBlock readings = RegisterMap::thermalReadings();
    for (int module = 0; module < m_profile.thermalModules; ++module) {
        for (int s = 0; s < kSensorsFitted; ++s) {
            const int reg = readings.firstOf(module) + 5 * s;
            const double temperature = 24.0 + 2.0 * module + s + 1.5 * std::sin(seconds / 120.0 + s);
            put(image, reg, temperature);
            put(image, reg + 1, 45.0 + 5.0 * std::sin(seconds / 300.0 + module));
            put(image, reg + 2, 22.0 + 2.0 * module + s);
            put(image, reg + 3, 27.0 + 2.0 * module + s);
        }
    }
}

} // namespace halvana
