#include "sim/simulated_unit.h"

#include "sim/sim_options.h"

#include <QTimer>

namespace halvana {

SimulatedUnit::SimulatedUnit(QObject* parent) : QObject(parent) {}

SimulatedUnit::~SimulatedUnit() = default;

void SimulatedUnit::addFeature(std::unique_ptr<UnitFeature> feature)
{
    m_features.push_back(std::move(feature));
}

QList<QCommandLineOption> SimulatedUnit::featureOptions() const
{
    QList<QCommandLineOption> options;
    for (const auto& feature : m_features)
        options << feature->options();
    return options;
}

bool SimulatedUnit::setUp(const QCommandLineParser& parser, const SimOptions& options, QString* error)
{
    m_rebootTimeMs = options.rebootMs;
    for (auto& feature : m_features) {
        if (!feature->setUp(parser, options, *this, error))
            return false;
    }
    for (const RegisterPreset& preset : options.presets)
        m_image.add(preset.first, preset.values);
    return true;
}

void SimulatedUnit::registersWritten(int first, int count)
{
    for (auto& feature : m_features)
        feature->registersWritten(*this, first, count);

    const bool rebootCommand = first <= kRebootRegister && kRebootRegister < first + count
                               && m_image.value(kRebootRegister) == 1;
    if (!rebootCommand || m_rebooting)
        return;
    m_rebooting = true;
    m_image.set(kRebootRegister, 0);
    // Queued, so the acknowledgement leaves before the ports go quiet.
    QTimer::singleShot(0, this, &SimulatedUnit::rebootStarted);
    QTimer::singleShot(m_rebootTimeMs, this, [this] {
        m_rebooting = false;
        emit rebootFinished();
    });
}

} // namespace halvana
