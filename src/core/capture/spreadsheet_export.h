#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace halvana {

class GridModel;

// "Open in Excel" without a spreadsheet application: the grid as a real .xlsx workbook, every
// cell as text from A1, the grid's highlights as fills, bold headings, columns fitted to the text.
namespace SpreadsheetExport {

// `LastComparedFilePath` with its final ".txt" replaced by ".xlsx", or ".xlsx" appended.
QString targetPath(const QString& LastComparedFilePath);

// Writes the workbook as writeFileAtomically does: the target is replaced all or nothing. A target that is one of the inputs (the compared captures) is refused. Gives what went
// wrong, naming the path; nothing on success.
std::optional<QString> write(const GridModel& grid, const QString& path, const QStringList& inputs);

} // namespace SpreadsheetExport

} // namespace halvana
