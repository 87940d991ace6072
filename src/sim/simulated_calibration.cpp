#include "core/calibration/calibration_form.h"
#include "core/calibration/calibration_sequence.h"
#include "core/device/meter_types.h"
#include "sim/simulated_meters.h"
#include "sim/simulated_unit.h"
#include "sim/unit_feature.h"

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <map>

namespace halvana {

namespace {

// Calibration as the unit does it. A system-level command (registers 12..14: command,
// selection, reading) sets register 14 to "in progress" at once and, the profile's
// calibration-time later, to "succeeded", or "failed" when a selected meter is one the profile
// makes fail. At meter level the command word written to a meter's command register does the
// same to the status register after it.
class SimulatedCalibration : public UnitFeature {
public:
    bool setUp(const QCommandLineParser&, const SimOptions&, SimulatedUnit& unit, QString*) override
    {
        m_meters = unit.meters();
        if (!m_meters)
            return true;
        const UnitProfile& profile = m_meters->profile();
        m_timeMs = profile.calibrationTimeMs;
        m_failing = profile.calibrationFailMeters;
        RegisterImage& image = unit.image();
        for (const SimulatedMeters::Meter& meter : m_meters->meters()) {
            const bool threePhase = meter.profile.type != kTypeBranch;
            if (meter.cursor >= CalibrationForm::meterLevelMeters(threePhase, m_meters->mapVersion()))
                continue;
            const int target = CalibrationForm::meterTargetRegister(threePhase, m_meters->mapVersion(), meter.cursor);
            m_commandRegisters[target - 1] = &meter;
            for (int reg = target - 1; reg <= target + 2; ++reg) {
                if (!image.has(reg))
                    image.add(reg, 1);
            }
        }
        return true;
    }

    void registersWritten(SimulatedUnit& unit, int first, int count) override
    {
        if (!m_meters)
            return;
        constexpr int command = CalibrationForm::kCommandRegister;
        if (first <= command && command < first + count)
            calibrate(unit, CalibrationSequence::kSystemStatusRegister, systemCalibrationFails(unit.image().value(command + 1)));
        for (auto it = m_commandRegisters.lower_bound(first); it != m_commandRegisters.end() && it->first < first + count;
             ++it)
            calibrate(unit, it->first + 1, fails(*it->second));
    }

private:
    bool fails(const SimulatedMeters::Meter& meter) const
    {
        return std::find(m_failing.begin(), m_failing.end(), meter.index + 1) != m_failing.end();
    }

    // Selection word 4096 m + 256 n + k: meter type m, panel n and the k-th meter of those
    // (0: all of them). Nothing selected fails too.
    bool systemCalibrationFails(quint16 selection) const
    {
        const int type = selection >> 12;
        const int panel = (selection >> 8) & 0xF;
        const int k = selection & 0xFF;
        int matched = 0;
        bool any = false;
        for (const SimulatedMeters::Meter& meter : m_meters->meters()) {
            if ((type != 0 && meter.profile.type != type) || (panel != 0 && meter.panel != panel))
                continue;
            ++matched;
            if (k != 0 && matched != k)
                continue;
            any = true;
            if (fails(meter))
                return true;
        }
        return !any;
    }

    void calibrate(SimulatedUnit& unit, int statusRegister, bool fail)
    {
        RegisterImage& image = unit.image();
        image.set(statusRegister, CalibrationSequence::kStatusInProgress);
        // A command given again starts the calibration over; the earlier one's verdict is dropped.
        const int run = ++m_runs[statusRegister];
        QTimer::singleShot(m_timeMs, &m_context, [this, &image, statusRegister, fail, run] {
            if (m_runs[statusRegister] == run)
                image.set(statusRegister, fail ? CalibrationSequence::kStatusFailed : CalibrationSequence::kStatusSucceeded);
        });
    }

    const SimulatedMeters* m_meters = nullptr;
    int m_timeMs = 3000;
    std::vector<int> m_failing;
    std::map<int, const SimulatedMeters::Meter*> m_commandRegisters;
    std::map<int, int> m_runs;
    QObject m_context;
};

const UnitFeatureRegistration registration(20, [] { return std::make_unique<SimulatedCalibration>(); });

} // namespace

} // namespace halvana
