#include "core/scripts/script_builder.h"

#include "core/app/definition_file.h"
#include "core/device/channel_registers.h"
#include "core/device/register_map.h"
#include "core/scripts/script_language.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace halvana {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kMeterSave = QStringLiteral("meter save");

QString meterWrite(int reg, int value)
{
    return QStringLiteral("meter write %1 %2").arg(reg).arg(value);
}

QString pastLastMeter(int meterNumber)
{
    return QStringLiteral("Meter %1 is past the last meter (%2): no line was written for it.")
        .arg(meterNumber)
        .arg(ScriptBuilder::kMeterCount);
}

QString pastMap(int reg, const QString& what)
{
    return QStringLiteral("Register %1 (%2) is past the end of the register map (%3): no line was written for it.")
        .arg(reg)
        .arg(what)
        .arg(ScriptBuilder::kLastRegister);
}

// The script with `lines` appended on lines of their own and one "meter save" closing it.
ScriptBuilder::Result finish(const QString& script, const QStringList& lines, const QStringList& problems)
{
    QString text = ScriptBuilder::withoutMeterSave(script);
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r')))
        text += kLineEnd;
    for (const QString& line : lines)
        text += line + kLineEnd;
    text += kMeterSave + kLineEnd;
    return {text, problems};
}

bool channelInRange(const MappingRow& row, QStringList& problems)
{
    if (row.ich <= ScriptBuilder::kMaxChannel && row.vch <= ScriptBuilder::kMaxChannel)
        return true;
    problems << QStringLiteral("Connector '%1' maps channel %2 past the last channel (%3): no line was written for it.")
                    .arg(row.label)
                    .arg(std::max(row.ich, row.vch))
                    .arg(ScriptBuilder::kMaxChannel);
    return false;
}

std::optional<int> wholeNumber(const QString& text, int min, int max)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= min && n <= max ? std::optional<int>(n) : std::nullopt;
}

} // namespace

BuilderLayout BuilderLayout::of(int mapVersion)
{
    const BranchChannelRegisters branch = ChannelRegisters::branch(mapVersion);
    const ThreePhaseChannelRegisters phase = ChannelRegisters::threePhase(mapVersion);
    const RegisterBlock branchBlock = RegisterMap::branchSettings(mapVersion);
    const RegisterBlock phaseBlock = RegisterMap::threePhaseSettings(mapVersion);
    BuilderLayout layout;
    layout.singlePhaseStride = branchBlock.stride;
    layout.firstSinglePhaseBase = branchBlock.first + branch.voltageChannel - 1;
    layout.currentOffset = branch.currentChannel - branch.voltageChannel;
    // The parent goes where the views read it (Map 2: register 20, not 11).
    layout.parentOffset = branch.parentId - branch.voltageChannel;
    layout.threePhaseBase = phaseBlock.first + phase.firstVoltage - 1;
    layout.threePhaseCurrentOffset = phase.firstCurrent - phase.firstVoltage;
    layout.threePhaseNeutralOffset = phase.neutralCurrent - phase.firstVoltage;
    layout.threePhaseParentOffset = phase.parentId - phase.firstVoltage;
    return layout;
}

ChannelMapping ChannelMapping::parse(const QStringList& lines)
{
    ChannelMapping mapping;
    int section = 0;
    for (const QString& line : lines) {
        if (line.contains(QStringLiteral("page break"), Qt::CaseInsensitive)) {
            if (++section == kSections)
                break;
            continue;
        }
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 2 || mapping.sections[size_t(section)].size() >= kEntriesPerSection)
            continue;
        MappingRow row{fields[0].trimmed(), fields[1].trimmed().toInt(), fields.size() > 2 ? fields[2].trimmed().toInt() : 0};
        if (row.label.isEmpty() && row.ich == 0 && row.vch == 0)
            continue;
        mapping.sections[size_t(section)] << MappingRow{row.label, std::max(row.ich, 0), std::max(row.vch, 0)};
    }
    return mapping;
}

QList<MappingRow> ChannelMapping::grid(int section, int slotIndex) const
{
    QList<MappingRow> rows;
    if (section < 0 || section >= kSections)
        return rows;
    const int offset = kChannelsPerSlot * std::max(slotIndex, 0);
    for (const MappingRow& row : sections[size_t(section)])
        rows << MappingRow{row.label, row.ich ? row.ich + offset : 0, row.vch ? row.vch + offset : 0};
    return rows;
}

bool MappingChoice::isSelected(int grid, int row) const
{
    const QList<bool>& flags = selected[size_t(grid)];
    return row >= flags.size() || flags[row];
}

ScriptBuilder::ScriptBuilder(int mapVersion) : m_mapVersion(mapVersion == 1 ? 1 : 2), m_layout(BuilderLayout::of(m_mapVersion))
{
}

ScriptBuilder::Result ScriptBuilder::addMeters(const QString& script, int typeCode, const QList<int>& meterRows) const
{
    QStringList lines, problems;
    for (int r : meterRows) {
        if (r >= kMeterCount) {
            problems << pastLastMeter(r + 1);
            continue;
        }
        lines << QStringLiteral("meter add %1 %2").arg(typeCode).arg(r + 1);
    }
    return finish(script, lines, problems);
}

ScriptBuilder::Result ScriptBuilder::addSetting(const QString& script, const QString& settingLine, const QString& value,
                                                SettingKind kind, const QList<int>& meterRows) const
{
    const QStringList fields = settingLine.split(QLatin1Char('\t'));
    const std::optional<int> reg = fields.size() >= 2 ? wholeNumber(fields[0], 1, kLastRegister) : std::nullopt;
    if (!reg)
        return {script, {QStringLiteral("Select a setting from the list first.")}};
    const std::optional<int> newValue = wholeNumber(value, 0, kMaxValue);
    if (!newValue)
        return {script, {QStringLiteral("The new setting '%1' is not a whole number from 0 to %2.").arg(value).arg(kMaxValue)}};

    if (kind == SettingKind::System)
        return finish(script, {meterWrite(*reg, *newValue)}, {});
    QStringList lines, problems;
    const int stride = kind == SettingKind::ThreePhase ? kThreePhaseStride : m_layout.singlePhaseStride;
    for (int r : meterRows) {
        const int target = *reg + stride * r;
        if (r >= kMeterCount)
            problems << pastLastMeter(r + 1);
        else if (target > kLastRegister)
            problems << pastMap(target, QStringLiteral("meter %1").arg(r + 1));
        else
            lines << meterWrite(target, *newValue);
    }
    return finish(script, lines, problems);
}

ScriptBuilder::Result ScriptBuilder::addMapping(const QString& script, const MappingChoice& choice) const
{
    QStringList lines, problems;
    if (isBranchConfiguration(choice.configuration))
        addBranchMapping(choice, lines, problems);
    else
        addThreePhaseMapping(choice, lines, problems);
    return finish(script, lines, problems);
}

// Grid 0 holds the odd-numbered meters from the first one chosen, grid 1 the even ones: row r
// of grid g maps meter m + g + 2r.
void ScriptBuilder::addBranchMapping(const MappingChoice& choice, QStringList& lines, QStringList& problems) const
{
    const BuilderLayout& l = m_layout;
    for (int g = 0; g < 2; ++g) {
        const QList<MappingRow>& rows = choice.grids[size_t(g)];
        for (int r = 0; r < rows.size(); ++r) {
            const MappingRow& row = rows[r];
            if (row.ich == 0 || !choice.isSelected(g, r) || !channelInRange(row, problems))
                continue;
            const int meter = choice.firstMeter + g + 2 * r;
            if (meter >= kMeterCount) {
                problems << pastLastMeter(meter + 1);
                continue;
            }
            const int base = l.firstSinglePhaseBase + l.singlePhaseStride * meter;
            lines << meterWrite(base, row.vch) << meterWrite(base + l.currentOffset, row.ich)
                  << meterWrite(base + l.parentOffset, choice.parent) << QString();
        }
    }
}

// Each three-phase meter takes a group of consecutive rows (A, B, C and maybe the neutral); the
// g-th group with a selected, mapped row goes to the meter g blocks after the one chosen.
void ScriptBuilder::addThreePhaseMapping(const MappingChoice& choice, QStringList& lines, QStringList& problems) const
{
    const BuilderLayout& l = m_layout;
    const int size = groupSize(choice.configuration);
    int g = 0;
    for (int grid = 0; grid < 2; ++grid) {
        const QList<MappingRow>& rows = choice.grids[size_t(grid)];
        for (int first = 0; first < rows.size(); first += size) {
            QList<int> used;
            for (int j = 0; j < size && first + j < rows.size(); ++j) {
                const MappingRow& row = rows[first + j];
                if (row.ich != 0 && choice.isSelected(grid, first + j) && channelInRange(row, problems))
                    used << j;
            }
            if (used.isEmpty())
                continue;
            const int meter = choice.firstMeter + g++;
            const int block = l.threePhaseBase + kThreePhaseStride * meter;
            if (meter >= kMeterCount) {
                problems << pastLastMeter(meter + 1);
                continue;
            }
            if (block + l.threePhaseParentOffset > kLastRegister) {
                problems << pastMap(block + l.threePhaseParentOffset, QStringLiteral("three-phase meter %1").arg(meter + 1));
                continue;
            }
            for (int j : used) {
                const MappingRow& row = rows[first + j];
                if (j < 3)
                    lines << meterWrite(block + j, row.vch) << meterWrite(block + l.threePhaseCurrentOffset + j, row.ich);
            }
            lines << meterWrite(block + l.threePhaseParentOffset, choice.parent);
            if (size > 3 && used.contains(3))
                lines << meterWrite(block + l.threePhaseNeutralOffset, rows[first + 3].ich);
            lines << QString();
        }
    }
}

QString ScriptBuilder::deleteAllMeters()
{
    return QStringLiteral("meter del") + kLineEnd;
}

QString ScriptBuilder::makeReadFile(const QString& script)
{
    QStringList lines = script.split(kLineEnd);
    for (QString& line : lines) {
        if (line.startsWith(QStringLiteral("tlm")))
            line.prepend(QLatin1Char('g'));
    }
    QString text = lines.join(kLineEnd);
    if (text.endsWith(kLineEnd))
        text.chop(kLineEnd.size());
    return text;
}

QString ScriptBuilder::textOfLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + kLineEnd;
    return text;
}

QString ScriptBuilder::withoutMeterSave(const QString& script)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList kept;
    for (const QString& line : script.split(lineEnd)) {
        if (script::collapseBlanks(line.trimmed()).compare(kMeterSave, Qt::CaseInsensitive) != 0)
            kept << line;
    }
    return kept.join(kLineEnd);
}

const QStringList& ScriptBuilder::meterTypeLabels()
{
    static const QStringList labels{QStringLiteral("1)  Branch"),          QStringLiteral("2)  PDU Input"),
                                    QStringLiteral("3)  PDU Output"),      QStringLiteral("4)  Subfeed"),
                                    QStringLiteral("5)  Branch Multipole"), QStringLiteral("9)  Panel")};
    return labels;
}

int ScriptBuilder::meterTypeCode(int index)
{
    static constexpr int codes[] = {1, 2, 3, 4, 5, 9};
    return index >= 0 && index < 6 ? codes[index] : 0;
}

bool ScriptBuilder::isMeterTypeCode(int code)
{
    for (int i = 0; i < meterTypeLabels().size(); ++i) {
        if (meterTypeCode(i) == code)
            return true;
    }
    return false;
}

const QStringList& ScriptBuilder::configurationNames()
{
    static const QStringList names{QStringLiteral("BCM (Standard)"),        QStringLiteral("BCM (Column-Width)"),
                                   QStringLiteral("PDU Input"),             QStringLiteral("PDU Output"),
                                   QStringLiteral("SFCM with Neutrals"),    QStringLiteral("SFCM without Neutrals"),
                                   QStringLiteral("Panel"),                 QStringLiteral("PSB PDU Input"),
                                   QStringLiteral("PSB PDU Output")};
    return names;
}

QString ScriptBuilder::mappingFileName(int configuration)
{
    static const QStringList files{
        QStringLiteral("BCM_Mapping.txt"),          QStringLiteral("BCM_CW_Mapping.txt"),
        QStringLiteral("PDU_Input_Mapping.txt"),    QStringLiteral("PDU_Output_Mapping.txt"),
        QStringLiteral("SFCM_w_Neut_Mapping.txt"),  QStringLiteral("SFCM_wo_Neut_Mapping.txt"),
        QStringLiteral("Panel_Mapping.txt"),        QStringLiteral("PSB_PDU_Input_Mapping.txt"),
        QStringLiteral("PSB_PDU_Output_Mapping.txt")};
    return configuration >= 0 && configuration < files.size() ? files[configuration] : QString();
}

int ScriptBuilder::groupSize(int configuration)
{
    return configuration == 5 ? 3 : 4;
}

QString ScriptBuilder::settingsFileName(SettingKind kind, int mapVersion)
{
    const QString suffix = mapVersion == 1 ? QString() : QStringLiteral("2");
    switch (kind) {
    case SettingKind::System:
        return QStringLiteral("SystemSettings2.txt");
    case SettingKind::SinglePhase:
        return QStringLiteral("SinglePhaseSettings%1.txt").arg(suffix);
    case SettingKind::ThreePhase:
        break;
    }
    return QStringLiteral("ThreePhaseSettings%1.txt").arg(suffix);
}

std::optional<ChannelMapping> ScriptBuilder::loadMapping(const QString& programFolder, int configuration,
                                                         MessageSink& messages)
{
    const QString name = mappingFileName(configuration);
    if (name.isEmpty())
        return std::nullopt;
    const QString path = QDir(programFolder).filePath(name);
    const QStringList lines = readDefinitionFileLines(path, messages);
    if (lines.isEmpty() && !QFileInfo(path).isFile())
        return std::nullopt;
    return ChannelMapping::parse(lines);
}

QStringList ScriptBuilder::loadSettingsList(const QString& programFolder, SettingKind kind, int mapVersion,
                                            MessageSink& messages)
{
    QStringList rows;
    const QString path = QDir(programFolder).filePath(settingsFileName(kind, mapVersion));
    for (const QString& line : readDefinitionFileLines(path, messages)) {
        if (!line.isEmpty() && !line.contains(QStringLiteral("Not Used")))
            rows << line;
    }
    return rows;
}

} // namespace halvana
