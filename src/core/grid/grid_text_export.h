#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace halvana {

class GridModel;

// A grid as plain text for the world outside the program: its headings and its rows, cell by
// cell as the window shows them.
struct GridText {
    // Names the table in JSON: its index, or a name such as "system".
    QJsonValue table;
    QString caption;
    // Row 0 of the grid; a heading with a line break is already flattened (headingText).
    QStringList headings;
    std::vector<QStringList> rows;
    // JSON names of a row's leading cells ("register", "description"); the cells after them
    // are the row's "values".
    QStringList rowKeys;

    // The heading row and grid rows 1..rowCount, hidden rows included.
    static GridText fromGrid(const GridModel& grid, int rowCount);
};

namespace GridTextExport {

enum class Format { Tsv, Csv, Json };

// "tsv", "csv" or "json"; nothing for anything else.
std::optional<Format> formatFromName(const QString& name);

// A heading made of two lines, such as a meter number over the meter's name, on one line as
// the capture files write it: every line break becomes " (" and ")" closes it. Headings
// without a line break stay as they are.
QString headingText(const QString& cell);

// One line per row, cells joined by a TAB. A TAB or line break inside a cell becomes a blank,
// so that every line stays one row.
QString toTsv(const GridText& text);
// RFC 4180: comma-separated, a cell quoted when it holds a comma, a quote or a line break,
// lines ended by CR LF.
QString toCsv(const GridText& text);
// One line of cells quoted as toCsv quotes them, CR LF included.
QString csvLine(const QStringList& cells);
// {"table", "caption", "headings", "rows": [{"register", "description", "values": [...]}]},
// one row to a line.
QString toJson(const GridText& text);

QString write(const GridText& text, Format format);

} // namespace GridTextExport

} // namespace halvana
