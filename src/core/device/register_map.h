#pragma once

#include <QString>

namespace halvana {

// Sizes of the unit's meter list and of the read buffer.
inline constexpr int kMaxMeters = 250;
inline constexpr int kNumThermalModules = 6;
inline constexpr int kRegDataSize = 201;
inline constexpr int kMetersPerInfoBlock = 125;
inline constexpr int kPollStepCount = 12;

// Meter-table indices (`MeterTableForms`, `MeterTableWindowOpenFlag`); 6 and 8 are not used.
enum TableIndex : int {
    kBranchSettingsTable = 0,
    kBranchReadingsTable = 1,
    kThreePhaseSettingsTable = 2,
    kThreePhaseReadingsTable = 3,
    kSystemSettingsTable = 4,
    kMeterInfoTable = 5,
    kInputBoardTable = 7,
    kThermalSettingsTable = 9,
    kThermalReadingsTable = 10,
    kAllSettingsTable = 11,
};
inline constexpr int kTableCount = 12;
bool isTableIndex(int index);

// The steps of the polling cycle (`PollStep`).
enum PollStepId : int {
    kStepSystemInfo = 0,
    kStepMeterInfo1 = 1,
    kStepMeterInfo2 = 2,
    kStepMeterStatus1 = 3,
    kStepMeterStatus2 = 4,
    kStepBranchSettings = 5,
    kStepBranchReadings = 6,
    kStepThreePhaseSettings = 7,
    kStepThreePhaseReadings = 8,
    kStepInputBoard = 9,
    kStepThermalSettings = 10,
    kStepThermalReadings = 11,
};

// A block of the register map: meter k's copy starts at first + stride x k (1-based registers).
struct RegisterBlock {
    int first = 0;
    int stride = 0;
    int count = 0;

    int firstOf(int k) const { return first + stride * k; }
    int last() const { return first + count - 1; }
};

namespace RegisterMap {

RegisterBlock systemInfo();
// half 0: meters 0..124, half 1: meters 125..249.
RegisterBlock meterInfo(int half);
RegisterBlock meterStatus(int half);
RegisterBlock branchSettings(int mapVersion);
RegisterBlock branchReadings(int mapVersion);
RegisterBlock threePhaseSettings(int mapVersion);
RegisterBlock threePhaseReadings(int mapVersion, bool secondPart);
RegisterBlock inputBoard();
RegisterBlock thermalSettings(bool secondPart);
RegisterBlock thermalReadings();

// The stride between meters of the per-meter block of a settings table (0, 2, 9); the
// register of a row of meter k is row register + stride x k.
int settingsStride(int table, int mapVersion);

// The table whose open flag gates a step; -1 for steps 0..4, which always run.
int tableOfStep(int step);
// Steps that read one meter (or module) per request and walk a list.
bool isMeterStep(int step);
// Steps that read each meter in two requests ("BCM1", "BCM2").
bool isTwoPartStep(int step);

// Register map version chosen by system information register 16.
int mapVersionFromSelector(quint16 selector);

// What the request of a step reads for the meter with `MeterCursor` = cursor.
RegisterBlock stepRead(int step, int mapVersion, int cursor, bool secondPart);

} // namespace RegisterMap

} // namespace halvana
