#pragma once

#include "core/scripts/script_language.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace halvana {

class MessageSink;

// Where the builder's writes go on one map version: the voltage channel of the first branch
// meter, the current channel and parent beside it, and the three-phase mapping block.
struct BuilderLayout {
    int singlePhaseStride = 0;
    int firstSinglePhaseBase = 0;
    int currentOffset = 0;
    int parentOffset = 0;
    int threePhaseBase = 0;
    int threePhaseCurrentOffset = 0;
    int threePhaseNeutralOffset = 0;
    int threePhaseParentOffset = 0;

    static BuilderLayout of(int mapVersion);
};

// One row of a channel-mapping grid: connector label, current and voltage channel (0: none).
struct MappingRow {
    QString label;
    int ich = 0;
    int vch = 0;

    bool operator==(const MappingRow& other) const
    {
        return label == other.label && ich == other.ich && vch == other.vch;
    }
};

// A channel-mapping file: up to three sections ended by a "page break" line, of up to 49
// entries each; an entry is "label TAB Ich TAB Vch".
struct ChannelMapping {
    static constexpr int kSections = 3;
    static constexpr int kEntriesPerSection = 49;
    static constexpr int kChannelsPerSlot = 48;
    static constexpr int kSlotCount = 6;

    std::array<QList<MappingRow>, kSections> sections;

    static ChannelMapping parse(const QStringList& lines);
    // The section as its grid shows it: the channels moved to slot `slotIndex` (0-based); a
    // channel 0 stays 0.
    QList<MappingRow> grid(int section, int slotIndex) const;
};

// The choices behind "Add Mapping". Rows not listed in `selected` count as selected, so an
// empty list selects every row.
struct MappingChoice {
    int configuration = 0;
    int firstMeter = 0; // 0-based: the branch meter (BCM) or the three-phase meter
    int parent = 1;     // parent ID, 1-based
    std::array<QList<MappingRow>, 2> grids;
    std::array<QList<bool>, 2> selected;

    bool isSelected(int grid, int row) const;
};

// The script generators of "Create Scripts". Each takes the script text and returns it with its
// lines appended and exactly one "meter save" at the end; what it could not write (a meter past
// the last one, a register past the map, a value that is no register value) it leaves out and
// names in `problems`.
class ScriptBuilder {
public:
    enum class SettingKind { System, SinglePhase, ThreePhase };

    static constexpr int kMeterCount = 250;
    static constexpr int kThreePhaseStride = 350;
    // The last 1-based register, wire address 65535: a write never wraps past it.
    static constexpr int kLastRegister = script::kMaxRegister;
    static constexpr int kMaxValue = 65535;
    static constexpr int kMaxChannel = 289;
    static constexpr int kConfigurationCount = 9;

    struct Result {
        QString text;
        QStringList problems;
    };

    explicit ScriptBuilder(int mapVersion);
    int mapVersion() const { return m_mapVersion; }
    const BuilderLayout& layout() const { return m_layout; }

    // "meter add TYPE N" for each meter row (0-based).
    Result addMeters(const QString& script, int typeCode, const QList<int>& meterRows) const;
    // "meter write REG VALUE" for a setting line "REG TAB description", once for the system or
    // once per meter row at the meter stride of the kind.
    Result addSetting(const QString& script, const QString& settingLine, const QString& value, SettingKind kind,
                      const QList<int>& meterRows) const;
    Result addMapping(const QString& script, const MappingChoice& choice) const;

    // "Delete All Meters" replaces the script.
    static QString deleteAllMeters();
    // Every line starting "tlm" becomes "gtlm"; the final line end goes.
    static QString makeReadFile(const QString& script);
    // Lines as the script text box holds them: each ended by CR LF.
    static QString textOfLines(const QStringList& lines);
    // The script without its "meter save" lines (any case, any blanks).
    static QString withoutMeterSave(const QString& script);

    // Fixed lists of the window.
    static const QStringList& meterTypeLabels();
    static int meterTypeCode(int index);
    static bool isMeterTypeCode(int code);
    static const QStringList& configurationNames();
    static QString mappingFileName(int configuration);
    static bool isBranchConfiguration(int configuration) { return configuration <= 1; }
    // Rows of a three-phase meter's group: phases A, B, C and, for most configurations, the neutral.
    static int groupSize(int configuration);
    static QString settingsFileName(SettingKind kind, int mapVersion);

    // The mapping file of a configuration from the program folder; a missing or unreadable file
    // is reported through `messages` by name and gives nothing.
    static std::optional<ChannelMapping> loadMapping(const QString& programFolder, int configuration,
                                                     MessageSink& messages);
    // `GetModbusSettingsList`: every line of the kind's settings file not containing "Not Used".
    static QStringList loadSettingsList(const QString& programFolder, SettingKind kind, int mapVersion,
                                        MessageSink& messages);

private:
    void addBranchMapping(const MappingChoice& choice, QStringList& lines, QStringList& problems) const;
    void addThreePhaseMapping(const MappingChoice& choice, QStringList& lines, QStringList& problems) const;

    int m_mapVersion;
    BuilderLayout m_layout;
};

} // namespace halvana
