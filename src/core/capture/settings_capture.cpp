#include "core/capture/settings_capture.h"

#include "core/device/meter_tables.h"
#include "core/files/numbered_file.h"
#include "core/files/text_file.h"
#include "core/grid/grid_model.h"

#include <QDir>
#include <QStringList>

namespace halvana {

namespace SettingsCapture {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

bool hasMeterHeadings(int tableIndex)
{
    return tableIndex == kThreePhaseSettingsTable || tableIndex == kThreePhaseReadingsTable;
}

// Every CR LF of a value heading becomes " (" and ")" closes it, line break or not.
QString oneLineHeading(const QString& cell)
{
    return QString(cell).replace(kLineEnd, QStringLiteral(" (")) + QLatin1Char(')');
}

} // namespace

QString meterTableText(const GridModel& grid, int tableIndex)
{
    const int lastRow = grid.rowCount() - (tableIndex == kAllSettingsTable ? 1 : 2);
    QString out;
    for (int r = 0; r <= lastRow; ++r) {
        if (grid.text(r, 1).contains(QLatin1String("Not Used")))
            continue;
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c) {
            const QString& cell = grid.text(r, c);
            cells << (r == 0 && c >= 2 && hasMeterHeadings(tableIndex) ? oneLineHeading(cell) : cell);
        }
        out += cells.join(QLatin1Char('\t')) + kLineEnd;
    }
    return out;
}

QString systemSettingsBlock(const GridModel& grid)
{
    QStringList rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << grid.text(r, c);
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows.join(QLatin1Char('\r'));
}

QString fileText(const GridModel& grid, int activeTableIndex)
{
    if (activeTableIndex == MeterTables::kSystemSettingsGrid)
        return systemSettingsBlock(grid) + kLineEnd;
    return meterTableText(grid, activeTableIndex);
}

QString clipboardText(const GridModel& grid, int activeTableIndex)
{
    if (activeTableIndex == MeterTables::kSystemSettingsGrid)
        return systemSettingsBlock(grid);
    return meterTableText(grid, activeTableIndex);
}

} // namespace SettingsCapture

SettingsCaptureFiles::Result SettingsCaptureFiles::write(const QString& downloadsFolder, const QString& text)
{
    if (!QDir().mkpath(downloadsFolder))
        return {QString(), QStringLiteral("The folder '%1' could not be created; nothing was captured.")
                               .arg(QDir::toNativeSeparators(downloadsFolder))};
    const QString path = NumberedFileName::settingsCapture().nextFreePath(downloadsFolder, CaptureFileName);
    if (const std::optional<QString> error = writeTextFile1252(path, text))
        return {path, *error};
    CaptureFilePath = path;
    CaptureFileName = QDir(downloadsFolder).relativeFilePath(path);
    return {path, QString()};
}

} // namespace halvana
