#include "core/device/register_map.h"

namespace halvana {

bool isTableIndex(int index)
{
    return index >= 0 && index < kTableCount && index != 6 && index != 8;
}

namespace RegisterMap {

namespace {
bool isMap1(int mapVersion)
{
    return mapVersion == 1;
}
} // namespace

RegisterBlock systemInfo()
{
    return {1, 0, 63};
}

RegisterBlock meterInfo(int half)
{
    return {101 + kMetersPerInfoBlock * half, 0, kMetersPerInfoBlock};
}

RegisterBlock meterStatus(int half)
{
    return {401 + kMetersPerInfoBlock * half, 0, kMetersPerInfoBlock};
}

RegisterBlock branchSettings(int mapVersion)
{
    return isMap1(mapVersion) ? RegisterBlock{2001, 200, 99} : RegisterBlock{2001, 150, 92};
}

RegisterBlock branchReadings(int mapVersion)
{
    return isMap1(mapVersion) ? RegisterBlock{2139, 200, 55} : RegisterBlock{2093, 150, 54};
}

RegisterBlock threePhaseSettings(int mapVersion)
{
    return isMap1(mapVersion) ? RegisterBlock{43001, 350, 116} : RegisterBlock{40001, 350, 111};
}

RegisterBlock threePhaseReadings(int mapVersion, bool secondPart)
{
    if (isMap1(mapVersion))
        return secondPart ? RegisterBlock{43275, 350, 68} : RegisterBlock{43167, 350, 98};
    return secondPart ? RegisterBlock{40253, 350, 93} : RegisterBlock{40153, 350, 92};
}

RegisterBlock inputBoard()
{
    return {63451, 0, 21};
}

RegisterBlock thermalSettings(bool secondPart)
{
    return secondPart ? RegisterBlock{64121, 150, 30} : RegisterBlock{64001, 150, 120};
}

RegisterBlock thermalReadings()
{
    return {63501, 75, 75};
}

int settingsStride(int table, int mapVersion)
{
    switch (table) {
    case kBranchSettingsTable:
        return branchSettings(mapVersion).stride;
    case kThreePhaseSettingsTable:
        return threePhaseSettings(mapVersion).stride;
    case kThermalSettingsTable:
        return thermalSettings(false).stride;
    default:
        return 0;
    }
}

int tableOfStep(int step)
{
    switch (step) {
    case kStepBranchSettings:
        return kBranchSettingsTable;
    case kStepBranchReadings:
        return kBranchReadingsTable;
    case kStepThreePhaseSettings:
        return kThreePhaseSettingsTable;
    case kStepThreePhaseReadings:
        return kThreePhaseReadingsTable;
    case kStepInputBoard:
        return kInputBoardTable;
    case kStepThermalSettings:
        return kThermalSettingsTable;
    case kStepThermalReadings:
        return kThermalReadingsTable;
    default:
        return -1;
    }
}

bool isMeterStep(int step)
{
    return (step >= kStepBranchSettings && step <= kStepThreePhaseReadings)
        || step == kStepThermalSettings || step == kStepThermalReadings;
}

bool isTwoPartStep(int step)
{
    return step == kStepThreePhaseReadings || step == kStepThermalSettings;
}

int mapVersionFromSelector(quint16 selector)
{
    return selector == 1 ? 1 : 2;
}

RegisterBlock stepRead(int step, int mapVersion, int cursor, bool secondPart)
{
    RegisterBlock block;
    switch (step) {
    case kStepSystemInfo:
        return systemInfo();
    case kStepMeterInfo1:
    case kStepMeterInfo2:
        return meterInfo(step - kStepMeterInfo1);
    case kStepMeterStatus1:
    case kStepMeterStatus2:
        return meterStatus(step - kStepMeterStatus1);
    case kStepInputBoard:
        return inputBoard();
    case kStepBranchSettings:
        block = branchSettings(mapVersion);
        break;
    case kStepBranchReadings:
        block = branchReadings(mapVersion);
        break;
    case kStepThreePhaseSettings:
        block = threePhaseSettings(mapVersion);
        break;
    case kStepThreePhaseReadings:
        block = threePhaseReadings(mapVersion, secondPart);
        break;
    case kStepThermalSettings:
        block = thermalSettings(secondPart);
        break;
    case kStepThermalReadings:
        block = thermalReadings();
        break;
    default:
        return {};
    }
    return {block.firstOf(cursor), block.stride, block.count};
}

} // namespace RegisterMap

} // namespace halvana
