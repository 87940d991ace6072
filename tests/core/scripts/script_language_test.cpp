#include "core/scripts/script_language.h"
#include "support/file_bytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace halvana;
using Kind = ScriptLine::Kind;

TEST(ScriptLanguage, MeterWriteLines)
{
    const struct {
        const char* line;
        Kind kind;
        int reg;
        int value;
    } cases[] = {
        {"meter write 2054 5", Kind::MeterWrite, 2054, 5},
        {"meter   write  2054     5", Kind::MeterWrite, 2054, 5},
        {"  meter write 7 9 ", Kind::MeterWrite, 7, 9},
        {"meter write &H1F &h10", Kind::MeterWrite, 31, 16},
        {"meter write 100 12.5", Kind::MeterWrite, 100, 12},
        {"meter write 100 13.5", Kind::MeterWrite, 100, 14},
        {"meter write 65536 65535", Kind::MeterWrite, 65536, 65535},
        {"meter write 1 0", Kind::MeterWrite, 1, 0},
        {"METER WRITE 2054 5", Kind::NotAWrite, 0, 0},
        {"meter save", Kind::NotAWrite, 0, 0},
        {"meter add 1 3", Kind::NotAWrite, 0, 0},
        {"x", Kind::Short, 0, 0},
        {"", Kind::Short, 0, 0},
        {"meter", Kind::Short, 0, 0},
        {"ab     c", Kind::Short, 0, 0},
        {"meter write 2054", Kind::BadWrite, 0, 0},
        {"meter write ", Kind::BadWrite, 0, 0},
        {"meter write 2O54 5", Kind::BadWrite, 0, 0},
        {"meter write 2054 5x", Kind::BadWrite, 0, 0},
        {"meter write 0 5", Kind::BadWrite, 0, 0},
        {"meter write 70000 5", Kind::BadWrite, 0, 0},
        {"meter write 5 70000", Kind::BadWrite, 0, 0},
        {"meter write 5 -1", Kind::BadWrite, 0, 0},
        {"meter write 5 &H10000", Kind::BadWrite, 0, 0},
        {"meter write 5 &H", Kind::BadWrite, 0, 0},
        {"meter write 5 1e3", Kind::BadWrite, 0, 0},
        {"meter write 5 6 7", Kind::BadWrite, 0, 0},
        {"do meter write 5 6", Kind::BadWrite, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const ScriptLine line = script::classify(QString::fromLatin1(c.line));
        EXPECT_EQ(line.kind, c.kind);
        EXPECT_EQ(line.problem.isEmpty(), c.kind != Kind::BadWrite);
        if (c.kind == Kind::MeterWrite) {
            EXPECT_EQ(line.reg, c.reg);
            EXPECT_EQ(line.value, c.value);
        }
    }
}

TEST(ScriptLanguage, FileLinesAndTheLongDelay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.txt");
    ASSERT_TRUE(test::writeFileBytes(path, "meter del\r\n\r\nmeter write 1 2\rMeTeR  DeL\nmeter save\r\n"));
    const auto lines = script::readScriptFile(path);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{"meter del", "", "meter write 1 2", "MeTeR  DeL", "meter save"}));
    const QList<bool> longDelay{true, false, false, true, false};
    for (int i = 0; i < lines->size(); ++i)
        EXPECT_EQ(script::deletesMeters(lines->at(i)), longDelay[i]) << i;
    EXPECT_FALSE(script::readScriptFile(dir.filePath("missing.txt")));
}
