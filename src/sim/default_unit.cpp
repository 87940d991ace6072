#include "sim/sim_options.h"
#include "sim/simulated_unit.h"
#include "sim/unit_feature.h"

#include <array>

namespace halvana {

namespace {

// The blocks every unit has: system information, the meter list and meter status, and the
// control registers around the reboot command. A fuller profile may change or add to them.
class DefaultUnit : public UnitFeature {
public:
    bool setUp(const QCommandLineParser&, const SimOptions& options, SimulatedUnit& unit, QString*) override
    {
        RegisterImage& image = unit.image();

        // System information: module baud code 5 (115200), firmware 02.05.013, map selector.
        image.add(1, 63);
        image.set(1, quint16(options.slaveId));
        image.set(2, 5);
        image.set(3, 0x0205);
        image.set(4, 13);
        image.set(5, quint16(kMeters.size()));
        image.set(16, quint16(options.mapVersion));

        // Meter information: type code in bits 12..15, the meter's number in bits 0..7.
        image.add(101, 250);
        for (int m = 0; m < int(kMeters.size()); ++m)
            image.set(101 + m, quint16(kMeters[size_t(m)].type << 12 | kMeters[size_t(m)].number));

        // Meter status: bit 0 alarm, bit 1 warning, bits 4..15 a status number.
        image.add(401, 250);
        image.set(401 + 1, quint16(3 << 4 | 0x2));

        image.add(801, 100);
        return true;
    }

private:
    struct Meter {
        int type;
        int number;
    };
    static constexpr std::array<Meter, 6> kMeters{{{2, 1}, {3, 1}, {4, 1}, {4, 2}, {1, 1}, {1, 2}}};
};

const UnitFeatureRegistration registration(0, [] { return std::make_unique<DefaultUnit>(); });

} // namespace

} // namespace halvana
