#include "core/device/table_headers.h"

#include "core/device/register_map.h"

namespace halvana::TableHeaders {

QString caption(int index)
{
    switch (index) {
    case kBranchSettingsTable:
        return QStringLiteral("1\u00f8 Branch Meter Settings");
    case kBranchReadingsTable:
        return QStringLiteral("1\u00f8 Branch Meter Readings");
    case kThreePhaseSettingsTable:
        return QStringLiteral("3\u00f8 Meter Settings");
    case kThreePhaseReadingsTable:
        return QStringLiteral("3\u00f8 Meter Readings");
    case kSystemSettingsTable:
        return QStringLiteral("System Settings");
    case kMeterInfoTable:
        return QStringLiteral("Meter Info");
    case kInputBoardTable:
        return QStringLiteral("Input Board Status");
    case kThermalSettingsTable:
        return QStringLiteral("Thermal Settings");
    case kThermalReadingsTable:
        return QStringLiteral("Thermal Readings");
    case kAllSettingsTable:
        return QStringLiteral("All Settings");
    default:
        return QString();
    }
}

QString headerFileName(int index, int mapVersion)
{
    const QString suffix = mapVersion == 1 ? QString() : QStringLiteral("2");
    switch (index) {
    case kBranchSettingsTable:
        return QStringLiteral("SinglePhaseSettings%1.txt").arg(suffix);
    case kBranchReadingsTable:
        return QStringLiteral("SinglePhaseReadings%1.txt").arg(suffix);
    case kThreePhaseSettingsTable:
        return QStringLiteral("ThreePhaseSettings%1.txt").arg(suffix);
    case kThreePhaseReadingsTable:
        return QStringLiteral("ThreePhaseReadings%1.txt").arg(suffix);
    case kSystemSettingsTable:
        return QStringLiteral("SystemSettings.txt");
    case kMeterInfoTable:
        return QStringLiteral("MeterInfo.txt");
    case kInputBoardTable:
        return QStringLiteral("InputBoardStatus.txt");
    case kThermalSettingsTable:
        return QStringLiteral("ThermalSettings.txt");
    case kThermalReadingsTable:
        return QStringLiteral("ThermalReadings.txt");
    default:
        return QString();
    }
}

std::vector<HeaderRow> parseHeaderLines(const QStringList& lines)
{
    std::vector<HeaderRow> rows;
    rows.reserve(size_t(lines.size()));
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 2)
            rows.push_back({fields.at(0), fields.at(1)});
    }
    return rows;
}

namespace {
void addRange(std::vector<int>& rows, int first, int last)
{
    for (int r = first; r <= last; ++r)
        rows.push_back(r);
}
} // namespace

std::vector<int> hiddenRows(int index, int mapVersion)
{
    const bool map1 = mapVersion == 1;
    std::vector<int> rows;
    switch (index) {
    case kBranchReadingsTable:
        addRange(rows, 6, map1 ? 11 : 8);
        addRange(rows, map1 ? 32 : 30, 33);
        addRange(rows, 50, map1 ? 53 : 52);
        break;
    case kThreePhaseSettingsTable:
        if (map1) {
            addRange(rows, 29, 40);
            addRange(rows, 66, 69);
        } else {
            addRange(rows, 26, 30);
        }
        break;
    case kThreePhaseReadingsTable:
        if (map1) {
            addRange(rows, 21, 28);
            addRange(rows, 151, 159);
            addRange(rows, 201, 208);
        } else {
            addRange(rows, 21, 22);
            addRange(rows, 178, 178);
            addRange(rows, 220, 227);
        }
        break;
    case kSystemSettingsTable:
        addRange(rows, 10, 10);
        addRange(rows, 26, 50);
        break;
    case kInputBoardTable:
        addRange(rows, 13, 20);
        break;
    case kThermalSettingsTable:
        for (int group = 0; group < 15; ++group)
            addRange(rows, 10 * group + 8, 10 * group + 10);
        break;
    default:
        break;
    }
    return rows;
}

} // namespace halvana::TableHeaders
