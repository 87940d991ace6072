#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace halvana {

// One line of a script as the Modbus runner sees it.
struct ScriptLine {
    enum class Kind {
        Short,        // under 6 characters (empty lines too): nothing to do
        MeterWrite,   // "meter write REG VALUE": one register write
        BadWrite,     // a "meter write" line that cannot be written: `problem` says why
        NotAWrite,    // any other command ("meter save", "meter add 1 3"): the Modbus runner skips it
    };
    Kind kind = Kind::Short;
    int reg = 0;    // 1-based register, 1..65536
    int value = 0;  // 0..65535
    QString problem;
};

// The script language: "meter write", "meter add", "meter del", "meter save" and the unit's
// other service-port commands, one per line.
namespace script {

inline constexpr int kShortLineLength = 6;
inline constexpr int kMaxRegister = 65536;
inline constexpr int kMaxValue = 65535;

// The lines of a script file (CR LF, a lone CR or a lone LF ends a line; empty lines kept);
// nothing when the file cannot be read.
std::optional<QStringList> readScriptFile(const QString& path);

// Runs of blanks made one blank, as the runner reads a line before splitting it into words.
QString collapseBlanks(const QString& line);

// The value of a number word: decimal with an optional fraction, or "&H" and hexadecimal
// digits; a fraction is rounded to the nearest integer, halves to even. Nothing when the word
// is not wholly a number: "2O54" is not 2.
std::optional<double> numberValue(const QString& word);

ScriptLine classify(const QString& line);

// The terminal runner waits its long delay after a line that deletes meters.
bool deletesMeters(const QString& line);

} // namespace script

} // namespace halvana
