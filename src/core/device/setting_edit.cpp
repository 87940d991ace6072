#include "core/device/setting_edit.h"

#include "core/device/register_map.h"
#include "core/device/sequencer.h"
#include "core/device/setting_writes.h"

namespace halvana {

namespace SettingEdit {

namespace {

// A decimal number as typed: value = digits x 10^-fractionDigits, sign apart.
struct Decimal {
    bool negative = false;
    QString digits;
    int fractionDigits = 0;
};

std::optional<Decimal> parseDecimal(const QString& text)
{
    QString s = text.trimmed();
    Decimal d;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        d.negative = s.front() == QLatin1Char('-');
        s.remove(0, 1);
    }
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    if (point >= 0) {
        d.fractionDigits = int(s.size() - point - 1);
        s.remove(point, 1);
    }
    if (s.isEmpty())
        return std::nullopt;
    for (const QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    d.digits = s;
    return d;
}

int decimalPlaces(int scale)
{
    switch (scale) {
    case 10:
        return 1;
    case 100:
        return 2;
    case 1000:
        return 3;
    default:
        return 0;
    }
}

bool hasNonZeroDigit(const QString& digits)
{
    for (const QChar c : digits) {
        if (c != QLatin1Char('0'))
            return true;
    }
    return false;
}

bool inRows(int row, int first, int last)
{
    return row >= first && row <= last;
}

int resumeStep(int table)
{
    switch (table) {
    case kBranchSettingsTable:
        return kStepMeterStatus2;
    case kThreePhaseSettingsTable:
        return kStepBranchReadings;
    default:
        return kStepThermalSettings;
    }
}

} // namespace

bool rowLocked(int table, int row, LoginLevel level, int mapVersion)
{
    if (level != LoginLevel::Administrator || mapVersion != 2)
        return false;
    if (table == kThreePhaseSettingsTable)
        return inRows(row, 1, 10) || inRows(row, 20, 23);
    if (table == kBranchSettingsTable)
        return inRows(row, 1, 4) || inRows(row, 7, 9) || row == 11 || row == 13;
    return false;
}

int singleWriteRegister(int table, int mapVersion, int row, int column)
{
    RegisterBlock block;
    switch (table) {
    case kBranchSettingsTable:
        block = RegisterMap::branchSettings(mapVersion);
        break;
    case kThreePhaseSettingsTable:
        block = RegisterMap::threePhaseSettings(mapVersion);
        break;
    case kThermalSettingsTable:
        block = RegisterMap::thermalSettings(false);
        break;
    default:
        return 0;
    }
    return block.first - 1 + row + (column - 2) * block.stride;
}

// Both maps keep the panel's global values in registers 52..63; each table lists them at its
// own rows.
int globalWriteRegister(int table, int mapVersion, int row)
{
    int first = 0;
    if (table == kBranchSettingsTable)
        first = mapVersion == 1 ? 69 : 52;
    else if (table == kThreePhaseSettingsTable)
        first = mapVersion == 1 ? 70 : 63;
    constexpr int kFirstGlobal = SettingWrites::kGlobalParentRegister + 1;
    constexpr int kGlobalCount = 12;
    if (first == 0 || !inRows(row, first, first + kGlobalCount - 1))
        return 0;
    return kFirstGlobal + row - first;
}

SettingEditTarget target(const SettingCell& cell)
{
    const bool levelMayEdit = cell.level == LoginLevel::Administrator || cell.level == LoginLevel::Supervisor;
    const bool settingsTable = cell.table == kBranchSettingsTable || cell.table == kThreePhaseSettingsTable
                            || cell.table == kThermalSettingsTable;
    if (!cell.caption.contains(QLatin1String("Updated")) || !levelMayEdit || cell.row <= 0 || cell.column <= 0
        || rowLocked(cell.table, cell.row, cell.level, cell.RegisterMapVersion) || !settingsTable
        || cell.text.isEmpty())
        return {};

    SettingEditTarget t;
    if (cell.column == 1) {
        t.GlobalWriteRegister = globalWriteRegister(cell.table, cell.RegisterMapVersion, cell.row);
        if (t.GlobalWriteRegister != 0)
            t.kind = SettingEditTarget::Kind::Global;
        return t;
    }
    t.kind = SettingEditTarget::Kind::Single;
    t.WriteRegister = singleWriteRegister(cell.table, cell.RegisterMapVersion, cell.row, cell.column);
    t.PollStep = resumeStep(cell.table);
    return t;
}

int scaleOf(const QString& text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        return 1;
    switch (text.size() - point - 1) {
    case 1:
        return 10;
    case 2:
        return 100;
    case 3:
        return 1000;
    default:
        return 1;
    }
}

bool isNumeric(const QString& text)
{
    return parseDecimal(text).has_value();
}

std::optional<int> scaledValue(const QString& text, int scale, int maxValue, Fraction rounding)
{
    std::optional<Decimal> d = parseDecimal(text);
    if (!d)
        return std::nullopt;
    // Multiplying by 10^k moves the point k places: exact, whatever was typed.
    int fraction = d->fractionDigits - decimalPlaces(scale);
    QString digits = d->digits;
    if (fraction < 0) {
        digits.append(QString(-fraction, QLatin1Char('0')));
        fraction = 0;
    }
    QString whole = digits.left(digits.size() - fraction);
    const QString rest = digits.right(fraction);
    while (whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    const bool restIsZero = !hasNonZeroDigit(rest);
    if (whole.isEmpty() && restIsZero)
        return 0;
    if (d->negative || whole.size() > 5 || (rounding == Fraction::MustBeWhole && !restIsZero))
        return std::nullopt;
    int value = whole.toInt();
    if (value > maxValue || (value == maxValue && !restIsZero))
        return std::nullopt;
    if (!rest.isEmpty()) {
        const QChar first = rest.front();
        const bool beyondHalf = hasNonZeroDigit(rest.mid(1));
        if (first > QLatin1Char('5') || (first == QLatin1Char('5') && (beyondHalf || value % 2 == 1)))
            ++value;
    }
    return value;
}

QString panelBoxText(const QString& text)
{
    const double value = isNumeric(text) ? text.trimmed().toDouble() : 0.0;
    return value >= 1.0 && value <= 6.0 ? text : QStringLiteral("1");
}

bool start(const SettingEditTarget& target, int value, int panel, SettingWrites& writes, Sequencer& sequencer)
{
    bool queued = false;
    if (target.kind == SettingEditTarget::Kind::Global) {
        queued = writes.requestGlobalWrite(panel, target.GlobalWriteRegister, value);
        if (queued)
            sequencer.setPollStep(sequencer.PollStep());
    } else if (target.kind == SettingEditTarget::Kind::Single) {
        queued = writes.requestWrite(target.WriteRegister, {value});
        if (queued)
            sequencer.setPollStep(target.PollStep);
    }
    // The dialog stopped polling; the write leaves on the next tick even so.
    if (queued)
        sequencer.setMainTimerEnabled(true);
    return queued;
}

} // namespace SettingEdit

ChangeSettingForm::ChangeSettingForm(const QString& CurrentSettingText, bool global)
    : m_current(global ? QString() : CurrentSettingText),
      m_global(global),
      m_scale(global ? 1 : SettingEdit::scaleOf(CurrentSettingText))
{
}

QString ChangeSettingForm::valueTextChanged(const QString& text) const
{
    return SettingEdit::isNumeric(text) ? text : m_current;
}

ChangeSettingForm::Result ChangeSettingForm::accept(const QString& valueText, const QString& panelText) const
{
    Result result;
    result.value = SettingEdit::scaledValue(valueText, m_scale);
    if (!result.value && SettingEdit::isNumeric(valueText))
        result.refusal = SettingEdit::kRangeMessage;
    if (m_global)
        result.PanelNumber = SettingEdit::scaledValue(SettingEdit::panelBoxText(panelText), 1).value_or(1);
    return result;
}

} // namespace halvana
