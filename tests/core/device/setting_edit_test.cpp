#include "core/device/setting_edit.h"

#include "core/device/register_map.h"

#include <gtest/gtest.h>

using namespace halvana;
using Kind = SettingEditTarget::Kind;

namespace {

const QString kUpdated = QStringLiteral("1ø (Branch) Meter Settings: Updated");

SettingCell cell(int table, int row, int column, LoginLevel level = LoginLevel::Supervisor, int map = 2,
                 const QString& text = QStringLiteral("5"))
{
    return {table, kUpdated, level, map, row, column, text};
}

} // namespace

TEST(SettingEdit, RegisterAndResumeStepByTableAndMap)
{
    const struct {
        int table, map, row, column;
        int reg, step;
    } cases[] = {
        {kBranchSettingsTable, 1, 20, 3, 2220, kStepMeterStatus2},
        {kBranchSettingsTable, 2, 20, 3, 2170, kStepMeterStatus2},
        {kBranchSettingsTable, 2, 5, 85, 2000 + 5 + 83 * 150, kStepMeterStatus2},
        {kThreePhaseSettingsTable, 2, 5, 2, 40005, kStepBranchReadings},
        {kThreePhaseSettingsTable, 1, 5, 4, 43705, kStepBranchReadings},
        {kThermalSettingsTable, 2, 1, 2, 64001, kStepThermalSettings},
        {kThermalSettingsTable, 1, 30, 7, 64000 + 30 + 5 * 150, kStepThermalSettings},
    };
    for (const auto& c : cases) {
        const SettingEditTarget t = SettingEdit::target(cell(c.table, c.row, c.column, LoginLevel::Supervisor, c.map));
        EXPECT_EQ(t.kind, Kind::Single) << c.table << " " << c.row;
        EXPECT_EQ(t.WriteRegister, c.reg) << c.table << " map " << c.map << " row " << c.row << " column " << c.column;
        EXPECT_EQ(t.PollStep, c.step) << c.table;
    }
}

// The global rows of both maps all select registers 52..63, the branch and three-phase tables alike.
TEST(SettingEdit, GlobalRowsSelectRegisters52To63)
{
    const struct {
        int table, map, firstRow;
    } cases[] = {{kBranchSettingsTable, 2, 52}, {kBranchSettingsTable, 1, 69},
                 {kThreePhaseSettingsTable, 2, 63}, {kThreePhaseSettingsTable, 1, 70}};
    for (const auto& c : cases) {
        for (int row = c.firstRow - 1; row <= c.firstRow + 12; ++row) {
            const bool inside = row >= c.firstRow && row < c.firstRow + 12;
            const SettingEditTarget t = SettingEdit::target(cell(c.table, row, 1, LoginLevel::Administrator, c.map));
            EXPECT_EQ(t.kind, inside ? Kind::Global : Kind::None) << c.table << " map " << c.map << " row " << row;
            EXPECT_EQ(t.GlobalWriteRegister, inside ? 52 + row - c.firstRow : 0) << c.table << " row " << row;
        }
    }
    EXPECT_EQ(SettingEdit::target(cell(kThermalSettingsTable, 5, 1)).kind, Kind::None) << "no global thermal values";
}

TEST(SettingEdit, TheGateOpensOnlyForAnEditableCell)
{
    const auto with = [](auto change) {
        SettingCell c = cell(kBranchSettingsTable, 5, 2, LoginLevel::Administrator);
        change(c);
        return SettingEdit::target(c).kind;
    };
    EXPECT_EQ(with([](SettingCell&) {}), Kind::Single);
    EXPECT_EQ(with([](SettingCell& c) { c.caption = QStringLiteral("1ø (Branch) Meter Settings"); }), Kind::None);
    for (int table : {int(kBranchReadingsTable), int(kThreePhaseReadingsTable), int(kSystemSettingsTable),
                      int(kMeterInfoTable), int(kInputBoardTable), int(kThermalReadingsTable), int(kAllSettingsTable)})
        EXPECT_EQ(with([table](SettingCell& c) { c.table = table; }), Kind::None) << table;
    for (LoginLevel level : {LoginLevel::LoggedOut, LoginLevel::Default})
        EXPECT_EQ(with([level](SettingCell& c) { c.level = level; }), Kind::None);
    EXPECT_EQ(with([](SettingCell& c) { c.row = 0; }), Kind::None);
    EXPECT_EQ(with([](SettingCell& c) { c.column = 0; }), Kind::None);
    EXPECT_EQ(with([](SettingCell& c) { c.text.clear(); }), Kind::None);

    // Level 1 on a map-2 unit: locked rows; level 2 and map 1 have none.
    const struct {
        int table, row;
        bool locked;
    } rows[] = {{0, 3, true}, {0, 13, true}, {0, 5, false}, {0, 11, true}, {0, 12, false}, {0, 7, true},
                {2, 1, true}, {2, 10, true}, {2, 11, false}, {2, 20, true}, {2, 23, true}, {2, 24, false}, {9, 1, false}};
    for (const auto& r : rows) {
        EXPECT_EQ(SettingEdit::target(cell(r.table, r.row, 2, LoginLevel::Administrator)).editable(), !r.locked)
            << r.table << " row " << r.row;
        EXPECT_TRUE(SettingEdit::target(cell(r.table, r.row, 2, LoginLevel::Supervisor)).editable());
        EXPECT_TRUE(SettingEdit::target(cell(r.table, r.row, 2, LoginLevel::Administrator, 1)).editable());
    }
}

TEST(SettingEdit, ScaleAndExactDecimalValue)
{
    const struct {
        const char* current;
        const char* typed;
        std::optional<int> value;
    } cases[] = {
        {"7", "250", 250},        {"7", "40000", std::nullopt}, {"12.5", "13.2", 132},    {"1.25", "1.5", 150},
        {"1.00", "1.15", 115},    {"0.001", "2.345", 2345},     {"1.15", "1.15", 115},   {"7", "32767", 32767},
        {"7", "32768", std::nullopt}, {"7", "-1", std::nullopt}, {"7", "-0", 0},         {"7", " 12 ", 12},
        {"7", "12.5", 12},        {"7", "13.5", 14},            {"7", "12.51", 13},      {"1.0", "0.05", 0},
        {"1.0", "0.15", 2},       {"7", "32766.5", 32766},      {"7", "32767.1", std::nullopt},
        {"7", "-0.2", std::nullopt}, {"7", "000000000000012", 12}, {"7", "99999999999", std::nullopt},
        {"7", ".5", 0},           {"7", "5.", 5},               {"1.2345", "3", 3},      {"P1-CB03", "4", 4},
    };
    for (const auto& c : cases) {
        const ChangeSettingForm form(QLatin1String(c.current), false);
        const ChangeSettingForm::Result r = form.accept(QLatin1String(c.typed), {});
        EXPECT_EQ(r.value, c.value) << c.current << " typed " << c.typed;
        EXPECT_EQ(r.refusal.isEmpty(), c.value.has_value()) << c.typed;
    }
    EXPECT_EQ(ChangeSettingForm(QStringLiteral("12.5"), false).scale(), 10);
    EXPECT_EQ(ChangeSettingForm(QStringLiteral("1.250"), false).scale(), 1000);
    EXPECT_EQ(ChangeSettingForm(QStringLiteral("12"), false).scale(), 1);
    EXPECT_EQ(SettingEdit::kRangeMessage, QStringLiteral("Please enter a value from 0 to 32767."));
}

TEST(SettingEdit, NonNumericTextRevertsAndIsNeverAccepted)
{
    const ChangeSettingForm form(QStringLiteral("12.5"), false);
    EXPECT_EQ(form.initialText(), QStringLiteral("12.5"));
    for (const char* text : {"", "-", ".", "+", "1e3", "1.2.3", "12a", "0x10", "1,5", "- 1"}) {
        EXPECT_EQ(form.valueTextChanged(QLatin1String(text)), QStringLiteral("12.5")) << text;
        EXPECT_FALSE(form.canAccept(QLatin1String(text))) << text;
        EXPECT_FALSE(form.accept(QLatin1String(text), {}).value) << text;
    }
    for (const char* text : {"13", "-4", "0.5", "5.", ".5"})
        EXPECT_EQ(form.valueTextChanged(QLatin1String(text)), QLatin1String(text)) << text;
}

// The description cell is no value: the global prompt starts empty at scale 1.
TEST(SettingEdit, TheGlobalPromptStartsEmptyAtScaleOne)
{
    const ChangeSettingForm form(QStringLiteral("Over Current Alarm Setpoint (A)"), true);
    EXPECT_EQ(form.initialText(), QString());
    EXPECT_EQ(form.scale(), 1);
    EXPECT_EQ(form.valueTextChanged(QStringLiteral("x")), QString());
    EXPECT_FALSE(form.canAccept(QString()));
    const ChangeSettingForm dotted(QStringLiteral("Setpoint (0.1 s)"), true);
    const ChangeSettingForm::Result r = dotted.accept(QStringLiteral("20"), QStringLiteral("3"));
    EXPECT_EQ(r.value, 20);
    EXPECT_EQ(r.PanelNumber, 3);

    const struct {
        const char* typed;
        const char* kept;
        int panel;
    } panels[] = {{"6", "6", 6}, {"7", "1", 1}, {"", "1", 1}, {"0", "1", 1}, {"x", "1", 1}, {"2.5", "2.5", 2}, {"-3", "1", 1}};
    for (const auto& p : panels) {
        EXPECT_EQ(SettingEdit::panelBoxText(QLatin1String(p.typed)), QLatin1String(p.kept)) << p.typed;
        EXPECT_EQ(form.accept(QStringLiteral("1"), QLatin1String(p.typed)).PanelNumber, p.panel) << p.typed;
    }
}
