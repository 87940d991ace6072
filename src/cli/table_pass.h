#pragma once

#include <QString>

namespace halvana::cli {

class CliContext;

// Polls as the program does while only `table`'s window is open until the table completed one
// pass (the table readout), with a progress line while stderr is a terminal. False, with why,
// when the unit or the link failed first.
bool readTablePass(CliContext& ctx, int table, QString* failure);

} // namespace halvana::cli
