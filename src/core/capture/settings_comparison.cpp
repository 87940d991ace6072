#include "core/capture/settings_comparison.h"

#include "core/capture/settings_capture.h"
#include "core/files/text_file.h"
#include "core/grid/grid_model.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace halvana::SettingsComparison {

namespace {

const QChar kTab = QLatin1Char('\t');

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString notACapture(const QString& path, const QString& why)
{
    return QStringLiteral("'%1' is not a settings capture: %2; it is left out.").arg(shown(path), why);
}

bool holdsBinary(const QString& line)
{
    return std::any_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x20 && c != kTab; });
}

QString lineProblem(const QString& line)
{
    if (line.size() > kMaxLineChars)
        return QStringLiteral("is longer than %1 characters").arg(kMaxLineChars);
    if (holdsBinary(line))
        return QStringLiteral("holds binary data");
    if (!line.contains(kTab))
        return QStringLiteral("has no TAB");
    return {};
}

QString registerText(const std::vector<QStringList>& rows, size_t k)
{
    return k < rows.size() ? rows[k].value(0) : QString();
}

} // namespace

ReadResult parseCapture(const QString& path, const QString& text)
{
    const QStringList lines = splitLines(text);
    if (lines.isEmpty())
        return {std::nullopt, notACapture(path, QStringLiteral("it is empty"))};
    CaptureTable table{path, {}};
    table.rows.reserve(size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const QString problem = lineProblem(lines[i]); !problem.isEmpty())
            return {std::nullopt, notACapture(path, QStringLiteral("line %1 %2").arg(i + 1).arg(problem))};
        if (i > 0)
            table.rows.push_back(lines[i].split(kTab));
    }
    return {std::move(table), {}};
}

ReadResult readCapture(const QString& path)
{
    const std::optional<QString> text = readWholeTextFile(path, kMaxCaptureBytes);
    if (!text)
        return {std::nullopt, notACapture(path, QStringLiteral("it cannot be read or is larger than 16 MB"))};
    return parseCapture(path, *text);
}

QString fileHeading(const QString& path)
{
    return QFileInfo(path).fileName().section(QLatin1Char('.'), 0, 0);
}

Outcome Compare(const QStringList& paths, GridModel& grid, const std::function<int(int column)>& valueWidth)
{
    Outcome outcome;
    outcome.LastComparedFilePath = paths.value(paths.size() - 1);
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) {
            outcome.missingFile = QStringLiteral("File '%1' not found.").arg(shown(path));
            return outcome;
        }
    }
    std::vector<CaptureTable> tables;
    for (const QString& path : paths) {
        ReadResult read = readCapture(path);
        if (read.table) {
            outcome.compared << path;
            tables.push_back(std::move(*read.table));
        } else {
            outcome.problems << read.problem;
        }
    }
    fillComparison(tables, grid, valueWidth);
    outcome.alignment = alignmentNote(tables);
    return outcome;
}

void fillComparison(const std::vector<CaptureTable>& tables, GridModel& grid,
                    const std::function<int(int column)>& valueWidth)
{
    GridModel::UpdateBatch batch(grid);
    const int columns = int(tables.size()) + 2;
    grid.reset(1, columns);
    grid.setText(0, 0, QStringLiteral("Reg."));
    grid.setText(0, 1, QStringLiteral("SETPOINT NAME"));
    grid.setColumnWidth(0, 500);
    grid.setColumnWidth(1, 2700);
    grid.setColumnAlignment(0, GridModel::Alignment::RightCentre);
    grid.setColumnAlignment(1, GridModel::Alignment::LeftCentre);
    for (int c = 2; c < columns; ++c) {
        grid.setText(0, c, fileHeading(tables[size_t(c - 2)].path));
        grid.setColumnWidth(c, valueWidth ? valueWidth(c) : kDefaultValueWidth);
        grid.setColumnAlignment(c, GridModel::Alignment::RightCentre);
    }
    for (int c = 0; c < columns; ++c)
        grid.setBold(0, c, true);
    if (tables.empty())
        return;

    const std::vector<QStringList>& first = tables.front().rows;
    grid.setRowCount(int(first.size()) + 1);
    for (size_t k = 0; k < first.size(); ++k) {
        const QStringList& fields = first[k];
        for (int f = 0; f < std::min<int>(3, int(fields.size())); ++f)
            grid.setText(int(k) + 1, f, fields[f]);
    }
    // Later files by position: their extra lines have no row to go to.
    for (size_t i = 1; i < tables.size(); ++i) {
        const std::vector<QStringList>& rows = tables[i].rows;
        for (size_t k = 0; k < std::min(rows.size(), first.size()); ++k) {
            if (rows[k].size() >= 3)
                grid.setText(int(k) + 1, int(i) + 2, rows[k][2]);
        }
    }
    for (int r = 1; r < grid.rowCount(); ++r) {
        for (int c = 3; c < columns; ++c) {
            if (grid.text(r, c) == grid.text(r, 2))
                continue;
            for (int h : {0, 1, 2, c})
                grid.setBackground(r, h, kDifferenceYellow);
        }
    }
}

QString alignmentNote(const std::vector<CaptureTable>& tables)
{
    if (tables.size() < 2)
        return {};
    const CaptureTable& first = tables.front();
    int misaligned = 0;
    QString firstCase;
    for (size_t k = 0; k < first.rows.size(); ++k) {
        bool rowCounted = false;
        for (size_t i = 1; i < tables.size(); ++i) {
            const QString reg = registerText(tables[i].rows, k);
            if (reg == first.rows[k].value(0))
                continue;
            if (!rowCounted)
                ++misaligned;
            rowCounted = true;
            if (firstCase.isEmpty()) {
                const QString has = k < tables[i].rows.size() ? QStringLiteral("register '%1'").arg(reg)
                                                              : QStringLiteral("no row");
                firstCase = QStringLiteral("row %1: '%2' has %3 where '%4' has register '%5'")
                                .arg(k + 1)
                                .arg(fileHeading(tables[i].path), has, fileHeading(first.path), first.rows[k].value(0));
            }
        }
    }
    QStringList notes;
    if (misaligned > 0)
        notes << QStringLiteral("%1 row(s) do not line up by register; the first is %2.").arg(misaligned).arg(firstCase);
    for (size_t i = 1; i < tables.size(); ++i) {
        if (tables[i].rows.size() > first.rows.size())
            notes << QStringLiteral("'%1' has %2 more row(s) than '%3'; they are left out.")
                         .arg(fileHeading(tables[i].path))
                         .arg(tables[i].rows.size() - first.rows.size())
                         .arg(fileHeading(first.path));
    }
    return notes.join(QLatin1Char(' '));
}

void ListDiffs(const GridModel& comparison, GridModel& differences)
{
    GridModel::UpdateBatch batch(differences);
    differences.reset(1, 4);
    for (int c = 0; c < 4; ++c) {
        differences.setText(0, c, comparison.text(0, c));
        differences.setBold(0, c, true);
        differences.setColumnWidth(c, comparison.columnWidth(c));
        differences.setColumnAlignment(c, comparison.columnAlignment(c));
    }
    for (int r = 1; r < comparison.rowCount(); ++r) {
        if (comparison.text(r, 2) == comparison.text(r, 3))
            continue;
        const int row =
            differences.appendRow({comparison.text(r, 0), comparison.text(r, 1), comparison.text(r, 2), comparison.text(r, 3)});
        if (comparison.text(r, 1).contains(QLatin1String("Version"))) {
            for (int c = 0; c < 4; ++c)
                differences.setBackground(row, c, kVersionCyan);
        }
    }
}

void ResizeFlexGrid(GridModel& grid, const std::function<int(const QString& text, bool bold)>& textWidth)
{
    for (int c = 0; c < grid.columnCount(); ++c) {
        int widest = 0;
        for (int r = 0; r < grid.rowCount(); ++r)
            widest = std::max(widest, textWidth(grid.text(r, c), r == 0));
        grid.setColumnWidth(c, widest + 160);
    }
}

QString clipText(const GridModel& grid)
{
    // The whole-selection text of any grid, as the system settings capture writes its block.
    return SettingsCapture::systemSettingsBlock(grid);
}

QString markedLines(const GridModel& grid)
{
    QString out;
    for (int r = 0; r < grid.rowCount(); ++r) {
        bool marked = false;
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c) {
            marked = marked || (r > 0 && grid.background(r, c).has_value());
            cells << grid.text(r, c);
        }
        out += (marked ? QStringLiteral("*") : QString()) + kTab + cells.join(kTab) + QLatin1Char('\n');
    }
    return out;
}

} // namespace halvana::SettingsComparison
