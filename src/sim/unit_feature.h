#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QCommandLineParser;

namespace halvana {

class SimulatedUnit;
struct SimOptions;

// One part of the simulated unit: the registers it adds to the image, the command-line options
// it understands and what it does when the master writes. A feature is added to halvana-sim by
// adding a source file that registers it:
//     const UnitFeatureRegistration registration(20, [] { return std::make_unique<MyFeature>(); });
class UnitFeature {
public:
    virtual ~UnitFeature() = default;

    virtual QList<QCommandLineOption> options() const { return {}; }
    // Fills the register image; false with a message (naming the option or file) on bad input.
    virtual bool setUp(const QCommandLineParser& parser, const SimOptions& options, SimulatedUnit& unit,
                       QString* error) = 0;
    // The master wrote registers first .. first + count - 1.
    virtual void registersWritten(SimulatedUnit& unit, int first, int count)
    {
        Q_UNUSED(unit);
        Q_UNUSED(first);
        Q_UNUSED(count);
    }
};

using UnitFeatureFactory = std::function<std::unique_ptr<UnitFeature>()>;

// Features are set up in ascending order, so a later one may change what an earlier one added.
struct UnitFeatureRegistration {
    UnitFeatureRegistration(int order, UnitFeatureFactory factory);
};

std::vector<std::unique_ptr<UnitFeature>> createUnitFeatures();

} // namespace halvana
