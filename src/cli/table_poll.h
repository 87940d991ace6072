#pragma once

#include <QString>

#include <optional>

namespace halvana::cli {

class CliContext;

// TABLE as the user gives it to `table` and `capture`: "system" or the number of a meter
// table the readout can read.
std::optional<int> tableOfArgument(const QString& text);
// What is wrong with a TABLE argument; empty when it names a table.
QString checkTableArgument(const QString& text);

// Polls as the program does while only that table's window is open until the table has
// completed one full pass, with a progress line on a terminal's stderr. False, with why, when
// the unit or the link failed first.
bool readTablePass(CliContext& ctx, int table, QString* failure);
// readTablePass, with its failure reported: kExitOk or the failure's exit status.
int pollTableOnce(CliContext& ctx, int table);

// The grid of a table read by pollTableOnce; kExitUsage after a report when a meter table
// has no rows (its definition file is missing or empty), otherwise kExitOk.
int checkTableHasRows(CliContext& ctx, int table);

} // namespace halvana::cli
