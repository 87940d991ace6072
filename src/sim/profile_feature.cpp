#include "sim/register_image.h"
#include "sim/sim_options.h"
#include "sim/simulated_meters.h"
#include "sim/simulated_unit.h"
#include "sim/unit_feature.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

namespace halvana {

namespace {

// The unit's meters, blocks and moving readings from the built-in profile or --profile FILE.
class UnitProfileFeature : public UnitFeature {
public:
    QList<QCommandLineOption> options() const override
    {
        return {QCommandLineOption(QStringLiteral("profile"),
                                   QStringLiteral("The unit's meters, raised alarms and warnings, thermal modules, input "
                                                  "board and calibration, from a profile file (see README.md): "
                                                  "\"calibration-fail N\" makes calibrating meter N fail, "
                                                  "\"calibration-time MS\" sets how long a calibration takes "
                                                  "(default 3000)."),
                                   QStringLiteral("FILE"))};
    }

    bool setUp(const QCommandLineParser& parser, const SimOptions& options, SimulatedUnit& unit, QString* error) override
    {
        const std::optional<UnitProfile> profile = parser.isSet(QStringLiteral("profile"))
            ? UnitProfile::load(parser.value(QStringLiteral("profile")), error)
            : UnitProfile::defaultProfile();
        if (!profile)
            return false;
        m_meters = std::make_unique<SimulatedMeters>(*profile, options.mapVersion, options.slaveId);
        m_meters->install(unit.image());
        unit.setMeters(m_meters.get());

        m_sinceStart.start();
        m_readingsTimer.setInterval(kUpdateMs);
        QObject::connect(&m_readingsTimer, &QTimer::timeout, [this, &unit] {
            m_meters->updateReadings(unit.image(), double(m_sinceStart.elapsed()) / 1000.0);
        });
        m_readingsTimer.start();
        return true;
    }

    void registersWritten(SimulatedUnit& unit, int first, int count) override
    {
        m_meters->registersWritten(unit.image(), first, count);
    }

private:
    static constexpr int kUpdateMs = 1000;

    std::unique_ptr<SimulatedMeters> m_meters;
    QElapsedTimer m_sinceStart;
    QTimer m_readingsTimer;
};

const UnitFeatureRegistration registration(10, [] { return std::make_unique<UnitProfileFeature>(); });

} // namespace

} // namespace halvana
