#include "e2e/e2e_support.h"

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

// Two subfeeds (panels 1 and 2), a panel and four branches; calibrating meter 2 fails.
const char* const kCalibrationProfile = "meter subfeed count=2\n"
                                        "meter panel\n"
                                        "meter branch count=4\n"
                                        "calibration-time 900\n"
                                        "calibration-fail 2\n";

class CalibrateAgainstSim : public ::testing::TestWithParam<Wire> {};

} // namespace

TEST_P(CalibrateAgainstSim, PrintsEachResultAndExitsOnTheVerdict)
{
    SimProcess sim;
    ASSERT_TRUE(sim.startWithProfile(GetParam(), kCalibrationProfile)) << qPrintable(sim.output());
    const struct {
        const char* options;
        const char* out;
        int exitCode;
    } cases[] = {
        {"--level system --type subfeed --panel 1 --command offset", "In Progress\nSuccess\n", 0},
        {"--level system --type subfeed --panel 2 --reading 120", "In Progress\nFail\n", 1},
        // Branch 3 is meter 6; the register after its response register is meter 7's first.
        {"--level meter --type 1-phase --meter 3 --reading 5", "In Progress\nSuccess\nResponse: 7\n", 0},
        {"--level meter --type 3-phase --meter 2 --cal-type voltage --param c --reading 230",
         "In Progress\nFail\nResponse: 0\n", 1},
    };
    for (const auto& c : cases) {
        const RunResult r = runCli(sim.connection(), QStringLiteral("calibrate ") + QLatin1String(c.options));
        EXPECT_EQ(r.out, QLatin1String(c.out)) << c.options << ": " << qPrintable(r.err);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.options;
    }
}

INSTANTIATE_TEST_SUITE_P(Wires, CalibrateAgainstSim, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);
