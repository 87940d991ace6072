#pragma once

#include <QString>
#include <QStringList>

namespace halvana {

class GridModel;

// `CreateScriptText`: the script that writes the first file's values of the differences grid to
// a unit: an empty first line, "meter write REG VALUE" per differing register ("Version" rows
// left out), an empty line, "meter save" and a line end.
struct CompareScript {
    // The captures hold display text ("12.34"); the script writes the register's raw integer
    // (1234), by the change-setting dialog's scale rule. Rows without a whole register number, or
    // whose value gives no whole number in 0..65535, are left out and counted here.
    static constexpr int kMaxRawValue = 65535;
    static constexpr int kNamedLeftOut = 3;

    QString text;
    int leftOutCount = 0;
    // The first kNamedLeftOut rows left out, as "REG NAME = VALUE".
    QStringList leftOut;

    // Empty when nothing was left out; otherwise how many rows, naming the first few.
    QString leftOutNote() const;

    static CompareScript CreateScriptText(const GridModel& differences);
};

} // namespace halvana
