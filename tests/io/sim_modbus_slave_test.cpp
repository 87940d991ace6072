#include "sim/modbus_slave.h"
#include "core/device/register_map.h"
#include "sim/simulated_meters.h"
#include "sim/simulated_unit.h"
#include "sim/unit_profile.h"

#include <gtest/gtest.h>

using namespace halvana;

namespace {

struct SmallUnit {
    SmallUnit()
    {
        // Registers 101..104 and 858, as a unit has them; everything else is missing.
        unit.image().add(101, {1, 2, 0xBEEF, 4});
        unit.image().add(858, 1);
    }
    SimulatedUnit unit;
    ModbusSlave slave{unit};
};

} // namespace

// A refused write leaves every register as it was.
TEST(ModbusSlave, AnswersWhatItCanAndRefusesTheRestWholly)
{
    struct Case {
        const char* request;
        const char* reply;
        std::array<quint16, 4> after = {1, 2, 0xBEEF, 4}; // registers 101..104
    } cases[] = {
        {"0300640004", "030800010002BEEF0004"}, // registers 101..104 (wire address 100)
        {"0300660001", "0302BEEF"},
        {"0300640005", "8302"}, // runs past register 104
        {"0300630001", "8302"}, // register 100 is missing
        {"03FFFF0002", "8302"}, // past the last register
        {"0300640000", "8303"}, // no registers
        {"030064007E", "8303"}, // 126 is more than one reply holds
        {"03006400", "8303"},   // truncated
        {"0600640001", "8601"}, // only functions 3 and 16
        {"", ""},
        {"10006500020400070008", "1000650002", {1, 7, 8, 4}},
        {"10006600030600090009000A", "9002"}, // register 105 is missing
        {"100065000204000700", "9003"},       // fewer data bytes than announced
        {"10006500020300070008", "9003"},     // byte count is not 2 x count
    };
    for (const Case& c : cases) {
        SmallUnit fresh;
        EXPECT_EQ(fresh.slave.reply(QByteArray::fromHex(c.request)).toHex(), QByteArray(c.reply).toLower())
            << c.request;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(fresh.unit.image().value(101 + i), c.after[size_t(i)]) << c.request << " register " << 101 + i;
    }
}

TEST(ModbusSlave, RebootCommandSilencesTheUnitOnlyForValueOne)
{
    SmallUnit small;
    // 858 holds 1 from the start: only a write of 1 counts, not the value already there.
    for (const auto& [request, rebooting] : {std::pair{"1003590001020000", false}, std::pair{"1003590001020100", false},
                                             std::pair{"1003590001020001", true}}) {
        EXPECT_EQ(small.slave.reply(QByteArray::fromHex(request)).toHex(), QByteArray("1003590001"));
        EXPECT_EQ(small.unit.isRebooting(), rebooting) << request;
    }
    EXPECT_EQ(small.unit.image().value(858), 0);
}

// That the readings move is seen in the log of a running simulator (cli_log_test).
TEST(SimulatedMeters, EnergyRunsUp)
{
    for (int map : {1, 2}) {
        RegisterImage image;
        SimulatedMeters meters(UnitProfile::defaultProfile(), map, 1);
        meters.install(image);
        meters.updateReadings(image, 150);
        meters.updateReadings(image, 7200);
        EXPECT_GT(image.value(RegisterMap::branchReadings(map).first + (map == 1 ? 39 : 40)), 0) << "map " << map;
    }
}
