#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace halvana {

// What the simulated unit is made of: its meters in meter-list order, the conditions raised on
// them, its thermal modules and input board. Read from a small text file (--profile FILE):
//
//   # comment
//   firmware 2.5.13              firmware version major.minor.build
//   meter branch count=84        meters of a kind: pdu-input, pdu-output, subfeed, multipole,
//                                panel, branch, or type=N for any other type code; options
//                                count=N, breaker=A (rating), load=P (% of the rating)
//   alarm 9 0x0001               alarm word of meter 9 (1-based, in list order)
//   warning 20 0x0004            warning word of meter 20
//   thermal-modules 2            modules 1..N have sensors fitted (the unit has six slots)
//   input-board on|off
//   calibration-time 3000        how long a calibration runs before its verdict (ms)
//   calibration-fail 5           calibrating meter 5 (1-based, in list order) fails
struct UnitProfile {
    struct Meter {
        int type = 1;
        int breakerAmps = 20;
        int loadPercent = 30;
        quint16 alarmWord = 0;
        quint16 warningWord = 0;
    };

    int firmwareMajor = 2;
    int firmwareMinor = 5;
    int firmwareBuild = 13;
    std::vector<Meter> meters;
    int thermalModules = 2;
    bool inputBoard = true;
    int calibrationTimeMs = 3000;
    // 1-based meter numbers whose calibration fails.
    std::vector<int> calibrationFailMeters;

    static constexpr int kMaxMeters = 250;

    // Two PDU meters, two subfeeds, two panels of 42 branches each, with an alarm and two
    // warnings raised.
    static UnitProfile defaultProfile();
    // Nothing, with a message naming the file and line, when the text is not a profile.
    static std::optional<UnitProfile> parse(const QString& text, const QString& fileName, QString* error);
    static std::optional<UnitProfile> load(const QString& path, QString* error);
};

} // namespace halvana
