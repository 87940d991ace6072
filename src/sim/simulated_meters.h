#pragma once

#include "sim/unit_profile.h"

#include <vector>

namespace halvana {

class RegisterImage;

// The unit's whole register map for one map version, built from a profile: system
// information, the meter list and status, every meter's settings and readings block, the input
// board and the thermal modules. Settings are written once and then belong to the master;
// readings follow a slow daily rhythm with some ripple and the energy counters run up.
class SimulatedMeters {
public:
    SimulatedMeters(const UnitProfile& profile, int mapVersion, int slaveId);

    // Adds every block to the image with its settings and a first set of readings.
    void install(RegisterImage& image);
    // Readings at `seconds` since the unit started.
    void updateReadings(RegisterImage& image, double seconds);
    // The master wrote registers first .. first + count - 1: a global value (registers 52..63)
    // goes to every branch meter of the panel named in register 51.
    void registersWritten(RegisterImage& image, int first, int count);

    struct Meter {
        UnitProfile::Meter profile;
        int index = 0;   // place in the meter list
        int ordinal = 0; // among the meters of its type
        int cursor = 0;  // among the branch meters, or among the others
        int panel = 0;   // parent ID: the panel it belongs to or feeds
        double energyKwh = 0;
    };
    const std::vector<Meter>& meters() const { return m_meters; }
    const UnitProfile& profile() const { return m_profile; }
    int mapVersion() const { return m_map; }

private:
    void installSystem(RegisterImage& image);
    void installBranchSettings(RegisterImage& image, const Meter& meter);
    void installThreePhaseSettings(RegisterImage& image, const Meter& meter);
    void installThermalAndInputBoard(RegisterImage& image);
    void limitWrites(RegisterImage& image);
    void updateBranch(RegisterImage& image, Meter& meter, double seconds, double hours);
    void updateThreePhase(RegisterImage& image, Meter& meter, double seconds, double hours);
    void updateThermal(RegisterImage& image, double seconds);

    UnitProfile m_profile;
    int m_map;
    int m_slaveId;
    std::vector<Meter> m_meters;
    double m_lastSeconds = 0;
    quint16 m_updates = 0;
};

} // namespace halvana
