#include "core/calibration/calibration_form.h"

#include "core/modbus/modbus_frames.h"

#include <algorithm>
#include <cmath>

namespace halvana {

namespace {

struct TargetBlock {
    int base;
    int stride;
};

TargetBlock targetBlock(bool threePhase, int mapVersion)
{
    if (threePhase)
        return mapVersion == 1 ? TargetBlock{43345, 350} : TargetBlock{40348, 350};
    return mapVersion == 1 ? TargetBlock{2196, 200} : TargetBlock{2149, 150};
}

// The meter-level steps write `WriteRegister` - 1 and read up to `WriteRegister` + 2.
constexpr int kLastTouchedOffset = 2;

} // namespace

const QStringList& CalibrationForm::meterTypeLabels()
{
    static const QStringList labels = {QStringLiteral("All"),        QStringLiteral("Branch"),
                                       QStringLiteral("PDU Input"),  QStringLiteral("PDU Output"),
                                       QStringLiteral("Subfeed"),    QStringLiteral("Panel")};
    return labels;
}

const QStringList& CalibrationForm::panelLabels()
{
    static const QStringList labels = {QStringLiteral("All"), QStringLiteral("1"), QStringLiteral("2"),
                                       QStringLiteral("3"), QStringLiteral("4")};
    return labels;
}

const QStringList& CalibrationForm::paramLabels()
{
    static const QStringList labels = {QStringLiteral("All"), QStringLiteral("\u00f8A"), QStringLiteral("\u00f8B"),
                                       QStringLiteral("\u00f8C"), QStringLiteral("Neutral"), QStringLiteral("Ground")};
    return labels;
}

CalibrationForm::CalibrationForm()
{
    chooseLevel(MeterLevel);
    chooseThreePhase(false);
}

void CalibrationForm::chooseLevel(Level level)
{
    m_level = level;
    m_meter = 0;
    if (level == SystemLevel) {
        m_calType = Current;
        m_meterType = AllTypes;
    } else {
        m_param = 0;
        m_meterType = -1;
    }
}

void CalibrationForm::chooseThreePhase(bool threePhase)
{
    m_threePhase = threePhase;
    if (!threePhase) {
        m_param = 0;
        m_calType = Current;
    }
    m_meter = std::min(m_meter, int(meterNumbers().size()) - 1);
}

void CalibrationForm::chooseMeterType(int index)
{
    m_meterType = index;
    if (index == Branch)
        m_param = 0;
}

void CalibrationForm::setRegisterMapVersion(int version)
{
    m_map = version == 1 ? 1 : 2;
    m_meter = std::min(m_meter, int(meterNumbers().size()) - 1);
}

QStringList CalibrationForm::meterNumbers() const
{
    QStringList numbers;
    if (m_level == SystemLevel)
        numbers << QStringLiteral("All");
    const int count = m_level == SystemLevel ? kSystemMeters : meterLevelMeters(m_threePhase, m_map);
    for (int n = 1; n <= count; ++n)
        numbers << QString::number(n);
    return numbers;
}

bool CalibrationForm::parameterFrameVisible() const
{
    return m_level == SystemLevel ? m_meterType != Branch : m_threePhase;
}

std::optional<double> CalibrationForm::readingValue() const
{
    bool ok = false;
    const double value = m_reading.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

bool CalibrationForm::calibrateEnabled() const
{
    if (m_running)
        return false;
    const std::optional<double> value = readingValue();
    return m_command == Offset || (value && *value > 0);
}

std::optional<CalibrationRequest> CalibrationForm::request(QString* refusal) const
{
    const auto refuse = [refusal](const QString& text) -> std::optional<CalibrationRequest> {
        if (refusal)
            *refusal = text;
        return std::nullopt;
    };
    CalibrationRequest r;
    r.systemLevel = m_level == SystemLevel;
    if (m_command == Gain) {
        const std::optional<double> value = readingValue();
        const double rounded = value ? std::round(*value) : -1;
        if (!value || *value <= 0 || rounded > 65535)
            return refuse(QStringLiteral("The standard meter reading must be a whole number from 0 to 65535."));
        r.reading = int(rounded);
    }
    if (m_meter < 0 || m_meter >= meterNumbers().size())
        return refuse(QStringLiteral("Choose a meter number from the list."));
    if (r.systemLevel) {
        if (m_meterType < AllTypes || m_meterType > Panel || m_panel < 0 || m_panel > kPanelCount)
            return refuse(QStringLiteral("Choose a meter type and a panel from the lists."));
        r.WriteRegister = kCommandRegister;
        r.commandWord = commandWord(Current, m_param, m_command);
        r.selectionWord = selectionWord(m_meterType, m_panel, m_meter);
    } else {
        r.WriteRegister = meterTargetRegister(m_threePhase, m_map, m_meter);
        r.commandWord = commandWord(m_calType, m_param, m_command);
    }
    return r;
}

QString CalibrationForm::readingAfterCalibrate() const
{
    return m_level == SystemLevel && m_command == Offset ? QStringLiteral("0") : m_reading;
}

int CalibrationForm::commandWord(CalType type, int param, Command command)
{
    return 256 * (type == Voltage ? 1 : 2) + 16 * param + (command == Gain ? 1 : 2);
}

int CalibrationForm::selectionWord(int meterTypeIndex, int panel, int meter)
{
    const int type = meterTypeIndex == Panel ? kPanelTypeCode : meterTypeIndex;
    return 4096 * type + 256 * panel + meter;
}

int CalibrationForm::meterTargetRegister(bool threePhase, int mapVersion, int k)
{
    const TargetBlock block = targetBlock(threePhase, mapVersion);
    return block.base + block.stride * k;
}

int CalibrationForm::meterLevelMeters(bool threePhase, int mapVersion)
{
    const TargetBlock block = targetBlock(threePhase, mapVersion);
    // Register r has wire address r - 1.
    const int lastK = (kMaxWireAddress + 1 - kLastTouchedOffset - block.base) / block.stride;
    return std::min(kMeterLevelMeters, lastK + 1);
}

} // namespace halvana
