#pragma once

#include "core/device/meter_types.h"
#include "core/device/register_map.h"

#include <QString>

#include <array>

namespace halvana {

// What the program knows of the unit: system information, the meter list and status, and the
// per-meter values the decoders keep for other views. Rewritten every cycle; never cleared on
// disconnect, so the views keep showing the last values.
struct DeviceModel {
    static constexpr int kSystemInfoCount = 63;
    // Kept arrays are indexed by `MeterCursor` and hold one slot more than the meter list.
    static constexpr int kKeptSize = kMaxMeters + 1;

    std::array<quint16, kSystemInfoCount> systemInfo{};
    bool hasSystemInfo = false;

    // Meters read, at most kMaxMeters; reportedNumMeters is what the unit said.
    int NumMeters = 0;
    int reportedNumMeters = 0;
    // Before the first system information reply the tables use Map 2's files.
    int RegisterMapVersion = 2;

    std::array<int, kMaxMeters> MeterType{};
    std::array<quint16, kMaxMeters> meterInfoWord{};
    std::array<quint16, kMaxMeters> meterStatusWord{};
    std::array<int, kMeterTypeCountSize> MeterTypeCount{};
    // A meter's 0-based ordinal among the meters of its own type (PDU input, PDU output,
    // subfeed, multipole, panel), counted in meter-number order.
    std::array<int, kMaxMeters> MeterOrdinal{};
    int LastSubfeedMeter = 0;

    // Branch meters, by branch ordinal: current channel, voltage channel, parent ID.
    std::array<quint16, kKeptSize> BranchKeptWord1{};
    std::array<quint16, kKeptSize> BranchKeptWord2{};
    std::array<QString, kKeptSize> BranchKeptText{};
    // Three-phase meters, by ordinal among the non-branch meters: the eight channel
    // mappings (voltage A, B, C; current A, B, C, neutral, ground), parent ID, and whether a
    // neutral and a ground CT are fitted.
    std::array<std::array<quint16, kKeptSize>, 8> ThreePhaseKeptWords{};
    std::array<QString, kKeptSize> ThreePhaseKeptText{};
    std::array<bool, kKeptSize> ThreePhaseFlagA{};
    std::array<bool, kKeptSize> ThreePhaseFlagB{};

    quint16 systemRegister(int reg) const;
    // "02.05.013" from registers 3 and 4.
    QString firmwareVersionText() const;
    static QString firmwareVersionText(quint16 version, quint16 build);
    // Meters 0..NumMeters - 1 only; 0 elsewhere.
    int meterType(int meter) const;
    int meterOrdinal(int meter) const;
    // Sum of the counts shown as three-phase meters: PDU inputs and outputs, subfeeds,
    // panels and multipoles.
    int threePhaseMeterCount() const;
};

} // namespace halvana
