#pragma once

#include "sim/register_image.h"
#include "sim/unit_feature.h"

#include <QObject>

#include <memory>
#include <vector>

namespace halvana {

class SimulatedMeters;

// The unit behind the simulator's ports: its register image, its features and its restart.
class SimulatedUnit : public QObject {
    Q_OBJECT
public:
    // Writing 1 here makes the unit restart.
    static constexpr int kRebootRegister = 858;

    explicit SimulatedUnit(QObject* parent = nullptr);
    ~SimulatedUnit() override;

    RegisterImage& image() { return m_image; }
    const RegisterImage& image() const { return m_image; }

    void addFeature(std::unique_ptr<UnitFeature> feature);
    // The meters the profile made, for the features set up after it; null before.
    const SimulatedMeters* meters() const { return m_meters; }
    void setMeters(const SimulatedMeters* meters) { m_meters = meters; }
    // The command-line options of all features.
    QList<QCommandLineOption> featureOptions() const;
    // Sets every feature up in turn, then applies the --set presets; false with a message.
    bool setUp(const QCommandLineParser& parser, const SimOptions& options, QString* error);

    // While restarting the unit answers nothing.
    bool isRebooting() const { return m_rebooting; }

    // Called after the master wrote registers first .. first + count - 1.
    void registersWritten(int first, int count);

signals:
    // Emitted once the acknowledgement of the reboot command is on its way.
    void rebootStarted();
    void rebootFinished();

private:
    RegisterImage m_image;
    std::vector<std::unique_ptr<UnitFeature>> m_features;
    const SimulatedMeters* m_meters = nullptr;
    int m_rebootTimeMs = 3000;
    bool m_rebooting = false;
};

} // namespace halvana
