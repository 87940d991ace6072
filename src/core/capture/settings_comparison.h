#pragma once

#include "core/grid/rgb.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace halvana {

class GridModel;

// A settings capture read for comparison: its data lines (the heading line dropped), each split
// at TAB.
struct CaptureTable {
    QString path;
    std::vector<QStringList> rows;
};

// The side-by-side comparison of settings captures (`frmCompare`) and the list of the registers
// in which the first two differ (`frmDifferences`).
namespace SettingsComparison {

inline constexpr Rgb kDifferenceYellow{255, 255, 0};
inline constexpr Rgb kVersionCyan{0, 255, 255};
// A capture of a 250-meter unit is well under this; a longer line is no capture line.
inline constexpr int kMaxLineChars = 64 * 1024;
inline constexpr qint64 kMaxCaptureBytes = 16 * 1024 * 1024;
// Default width (twips) of a file's value column.
inline constexpr int kDefaultValueWidth = 1400;

struct ReadResult {
    std::optional<CaptureTable> table;
    // Why the file is no capture, naming it and the line; empty for a capture.
    QString problem;
};

// Reads a capture's lines (CR LF, lone CR or lone LF). A file that is empty, holds binary data,
// has a line without a TAB or a line longer than kMaxLineChars is no capture.
ReadResult parseCapture(const QString& path, const QString& text);
ReadResult readCapture(const QString& path);

// The heading of a file's column: its name without folder and without everything from its
// first "." on.
QString fileHeading(const QString& path);

struct Outcome {
    // "File '...' not found.": the comparison stopped and the grid is as it was.
    QString missingFile;
    // One message per file that is no capture; those files are left out.
    QStringList problems;
    // Where rows do not line up (register of a later file against the first), naming the first
    // such row; empty when all line up.
    QString alignment;
    // The files in the grid, in column order.
    QStringList compared;
    // `LastComparedFilePath`: the last checked file, compared or not.
    QString LastComparedFilePath;

    bool ok() const { return missingFile.isEmpty(); }
};

// `Compare`: fills the grid with the files in order, rows matched by position, and highlights
// differences from the first file in yellow. valueWidth gives a file column's stored width.
Outcome Compare(const QStringList& paths, GridModel& grid, const std::function<int(int column)>& valueWidth = {});
// The grid from tables already read.
void fillComparison(const std::vector<CaptureTable>& tables, GridModel& grid,
                    const std::function<int(int column)>& valueWidth = {});
// The alignment note for tables compared by position.
QString alignmentNote(const std::vector<CaptureTable>& tables);

// `ListDiffs`: the rows of the comparison whose first two value columns differ, "Version" rows
// in cyan. The comparison needs two or more files.
void ListDiffs(const GridModel& comparison, GridModel& differences);

// `ResizeFlexGrid`: each column as wide as its widest text + 160 twips; textWidth measures a
// cell's text in twips (bold for the heading row).
void ResizeFlexGrid(GridModel& grid, const std::function<int(const QString& text, bool bold)>& textWidth);

// "Copy All to Clipboard": cells separated by TAB, rows by CR.
QString clipText(const GridModel& grid);
// The grid as halvana-cli prints it: a first column with "*" on highlighted rows, then the cells,
// TAB between cells and a line end after each row.
QString markedLines(const GridModel& grid);

} // namespace SettingsComparison

} // namespace halvana
