#include "core/device/channel_registers.h"
#include "core/device/register_map.h"
#include "core/scripts/script_builder.h"
#include "support/recording_messages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using namespace halvana;
using Kind = ScriptBuilder::SettingKind;

namespace {

const QString kData = QStringLiteral(HALVANA_SOURCE_DIR "/data");

QString crlf(const char* lines)
{
    return QString::fromLatin1(lines).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

// Two BCM grids; the third row of grid 0 has no current channel.
MappingChoice branchChoice(int firstMeter, QList<bool> grid0, QList<bool> grid1)
{
    MappingChoice c;
    c.configuration = 0;
    c.firstMeter = firstMeter;
    c.parent = 3;
    c.grids[0] = {{"J1-01", 1, 1}, {"J1-02", 2, 2}, {"J1-03", 0, 3}};
    c.grids[1] = {{"J2-01", 25, 1}};
    c.selected = {grid0, grid1};
    return c;
}

// SFCM groups of four rows (A, B, C, N), two meters' worth.
MappingChoice sfcmChoice(int configuration, int firstMeter, QList<bool> grid0 = {})
{
    MappingChoice c;
    c.configuration = configuration;
    c.firstMeter = firstMeter;
    c.parent = 2;
    c.grids[0] = {{"SF 1 A", 1, 1}, {"SF 1 B", 2, 2}, {"SF 1 C", 3, 3}, {"SF 1 N", 4, 0},
                  {"SF 2 A", 5, 1}, {"SF 2 B", 6, 2}, {"SF 2 C", 7, 3}, {"SF 2 N", 8, 0}};
    c.selected[0] = grid0;
    return c;
}

} // namespace

TEST(ScriptBuilder, GeneratorsWriteTheirLinesAndOneMeterSaveAtTheEnd)
{
    using Build = std::function<ScriptBuilder::Result(const ScriptBuilder&, const QString&)>;
    const struct {
        const char* name;
        int map;
        const char* before;
        Build build;
        const char* after;
        int problems;
    } cases[] = {
        {"add meters twice", 2, "meter add 1 1\nmeter add 1 2\nmeter save\n",
         [](const ScriptBuilder& b, const QString& s) { return b.addMeters(s, 9, {3}); },
         "meter add 1 1\nmeter add 1 2\nmeter add 9 4\nmeter save\n", 0},
        {"any spelling of meter save goes; a text without a line end gets one", 2, "Meter  SAVE\nmeter del",
         [](const ScriptBuilder& b, const QString& s) { return b.addMeters(s, 4, {0}); },
         "meter del\nmeter add 4 1\nmeter save\n", 0},
        {"meter 251 is past the list", 2, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addMeters(s, 1, {249, 250}); },
         "meter add 1 250\nmeter save\n", 1},
        {"Map 2 mapping: row 2 of grid 0 for meter 3, parent at register 20", 2, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addMapping(s, branchChoice(0, {false, true}, {false})); },
         "meter write 2305 2\nmeter write 2306 2\nmeter write 2320 3\n\nmeter save\n", 0},
        {"Map 1 mapping, both grids, Ich 0 row left out", 1, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addMapping(s, branchChoice(1, {}, {})); },
         "meter write 2211 1\nmeter write 2212 1\nmeter write 2216 3\n\n"
         "meter write 2611 2\nmeter write 2612 2\nmeter write 2616 3\n\n"
         "meter write 2411 1\nmeter write 2412 25\nmeter write 2416 3\n\nmeter save\n", 0},
        {"branch mapping past meter 250", 2, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addMapping(s, branchChoice(248, {}, {})); },
         "meter write 39205 1\nmeter write 39206 1\nmeter write 39220 3\n\n"
         "meter write 39355 1\nmeter write 39356 25\nmeter write 39370 3\n\nmeter save\n", 1},
        {"SFCM with neutrals: a group per meter, the neutral after the parent", 2, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addMapping(s, sfcmChoice(4, 1)); },
         "meter write 40361 1\nmeter write 40364 1\nmeter write 40362 2\nmeter write 40365 2\n"
         "meter write 40363 3\nmeter write 40366 3\nmeter write 40370 2\nmeter write 40367 4\n\n"
         "meter write 40711 1\nmeter write 40714 5\nmeter write 40712 2\nmeter write 40715 6\n"
         "meter write 40713 3\nmeter write 40716 7\nmeter write 40720 2\nmeter write 40717 8\n\nmeter save\n", 0},
        {"SFCM without neutrals: groups of three, only the selected second group", 1, "",
         [](const ScriptBuilder& b, const QString& s) {
             return b.addMapping(s, sfcmChoice(5, 0, {false, false, false, true, true, false, false, false}));
         },
         "meter write 43016 0\nmeter write 43019 4\nmeter write 43017 1\nmeter write 43020 5\n"
         "meter write 43025 2\n\nmeter save\n", 0},
        {"a three-phase meter past the map on Map 1", 1, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addMapping(s, sfcmChoice(4, 64)); },
         "meter write 65416 1\nmeter write 65419 1\nmeter write 65417 2\nmeter write 65420 2\n"
         "meter write 65418 3\nmeter write 65421 3\nmeter write 65425 2\nmeter write 65422 4\n\nmeter save\n", 1},
        {"system setting", 2, "\nmeter write 24 5\n\nmeter save\n",
         [](const ScriptBuilder& b, const QString& s) { return b.addSetting(s, "11\tNominal Voltage", "1200", Kind::System, {4}); },
         "\nmeter write 24 5\n\nmeter write 11 1200\nmeter save\n", 0},
        {"single-phase setting over meters 1 and 3 on Map 1", 1, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addSetting(s, " 2017 \tBreaker", "20", Kind::SinglePhase, {0, 2}); },
         "meter write 2017 20\nmeter write 2417 20\nmeter save\n", 0},
        {"single-phase setting on Map 2", 2, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addSetting(s, "2012\tBreaker", "20", Kind::SinglePhase, {1, 250}); },
         "meter write 2162 20\nmeter save\n", 1},
        {"three-phase setting: meter 75 is past the map", 2, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addSetting(s, "40021\tBreaker", "225", Kind::ThreePhase, {0, 1, 74}); },
         "meter write 40021 225\nmeter write 40371 225\nmeter save\n", 1},
        {"a value that is no register value changes nothing", 2, "meter add 1 1\nmeter save\n",
         [](const ScriptBuilder& b, const QString& s) { return b.addSetting(s, "2012\tBreaker", "2O", Kind::SinglePhase, {1}); },
         "meter add 1 1\nmeter save\n", 1},
        {"no setting chosen changes nothing", 2, "",
         [](const ScriptBuilder& b, const QString& s) { return b.addSetting(s, "", "5", Kind::System, {}); }, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScriptBuilder builder(c.map);
        const ScriptBuilder::Result result = c.build(builder, crlf(c.before));
        EXPECT_EQ(result.text, crlf(c.after));
        EXPECT_EQ(result.problems.size(), c.problems) << result.problems.join('\n').toStdString();
    }
}

TEST(ScriptBuilder, MakeReadFileAndDeleteAll)
{
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"meter write 1 2\nmeter save\n", "meter write 1 2\nmeter save"},
        {"tlm 5\nxtlm\nTLM 3\ntlm\n\n", "gtlm 5\nxtlm\nTLM 3\ngtlm\n"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScriptBuilder::makeReadFile(crlf(c.before)), crlf(c.after)) << c.before;
    EXPECT_EQ(ScriptBuilder::deleteAllMeters(), crlf("meter del\n"));
}

TEST(ChannelMapping, SectionsEndAtPageBreaksAndChannelsMoveWithTheSlot)
{
    QStringList lines{"A\t1\t2", "short", "B\t3", "\t0\t0", "page break"};
    for (int i = 1; i <= 50; ++i)
        lines << QStringLiteral("C%1\t%1\t1").arg(i);
    lines << "--- page break ---" << "D\t0\t5" << "page break" << "E\t7\t7" << "page break" << "F\t9\t9";
    const ChannelMapping mapping = ChannelMapping::parse(lines);
    EXPECT_EQ(mapping.sections[0], (QList<MappingRow>{{"A", 1, 2}, {"B", 3, 0}}));
    EXPECT_EQ(mapping.sections[1].size(), ChannelMapping::kEntriesPerSection);
    EXPECT_EQ(mapping.sections[2], (QList<MappingRow>{{"D", 0, 5}}));
    EXPECT_EQ(mapping.grid(0, 2), (QList<MappingRow>{{"A", 97, 98}, {"B", 99, 0}}));
    EXPECT_EQ(mapping.grid(2, 1), (QList<MappingRow>{{"D", 0, 53}}));
}

// The files shipped in data/ must agree with the channel table the decoders and the builder use.
TEST(ScriptBuilderData, ShippedFilesMatchTheChannelTableAndLoad)
{
    for (int map : {1, 2}) {
        SCOPED_TRACE(map);
        test::RecordingMessages messages;
        const QStringList single = ScriptBuilder::loadSettingsList(kData, Kind::SinglePhase, map, messages);
        const QStringList three = ScriptBuilder::loadSettingsList(kData, Kind::ThreePhase, map, messages);
        const QStringList system = ScriptBuilder::loadSettingsList(kData, Kind::System, map, messages);
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
        const auto description = [](const QStringList& rows, int reg) {
            for (const QString& row : rows)
                if (row.section('\t', 0, 0).toInt() == reg)
                    return row.section('\t', 1);
            return QString();
        };
        const int branchFirst = RegisterMap::branchSettings(map).first - 1;
        const BranchChannelRegisters b = ChannelRegisters::branch(map);
        EXPECT_TRUE(description(single, branchFirst + b.voltageChannel).startsWith("Voltage Channel"));
        EXPECT_TRUE(description(single, branchFirst + b.currentChannel).startsWith("Current Channel"));
        EXPECT_TRUE(description(single, branchFirst + b.parentId).startsWith("Parent ID"));
        const int phaseFirst = RegisterMap::threePhaseSettings(map).first - 1;
        const ThreePhaseChannelRegisters t = ChannelRegisters::threePhase(map);
        EXPECT_TRUE(description(three, phaseFirst + t.firstVoltage).startsWith("Voltage Channel Phase A"));
        EXPECT_TRUE(description(three, phaseFirst + t.firstCurrent).startsWith("Current Channel Phase A"));
        EXPECT_TRUE(description(three, phaseFirst + t.neutralCurrent).startsWith("Current Channel Neutral"));
        EXPECT_TRUE(description(three, phaseFirst + t.parentId).startsWith("Parent ID"));
        EXPECT_FALSE(system.isEmpty());
        EXPECT_FALSE(system.join('\n').contains("Not Used"));
    }
    test::RecordingMessages messages;
    for (int config = 0; config < ScriptBuilder::kConfigurationCount; ++config) {
        const ChannelMapping mapping = ScriptBuilder::loadMapping(kData, config, messages).value();
        EXPECT_FALSE(mapping.sections[0].isEmpty()) << config;
        EXPECT_EQ(mapping.sections[1].isEmpty(), !ScriptBuilder::isBranchConfiguration(config)) << config;
        if (!ScriptBuilder::isBranchConfiguration(config)) {
            EXPECT_EQ(mapping.sections[0].size() % ScriptBuilder::groupSize(config), 0) << config;
        }
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();

    QTemporaryDir empty;
    ScriptBuilder::loadMapping(empty.path(), 6, messages);
    ScriptBuilder::loadSettingsList(empty.path(), Kind::System, 1, messages);
    ASSERT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(messages.texts[0].contains("Panel_Mapping.txt"));
    EXPECT_TRUE(messages.texts[1].contains("SystemSettings2.txt"));
}
