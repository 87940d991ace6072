#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace halvana {

// The meter tables' captions, header files and fixed layout. The header files beside the
// program name each table's rows: one line per register, "register TAB description".
namespace TableHeaders {

struct HeaderRow {
    QString reg;
    QString description;
};

QString caption(int index);
// File name of the table's rows for a register map version; empty for table 11.
QString headerFileName(int index, int mapVersion);
// Lines with fewer than two TAB-separated fields give no row; fields past the second are ignored.
std::vector<HeaderRow> parseHeaderLines(const QStringList& lines);
// Rows that hold registers the views do not show.
std::vector<int> hiddenRows(int index, int mapVersion);

} // namespace TableHeaders

} // namespace halvana
