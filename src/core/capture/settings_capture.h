#pragma once

#include <QString>

namespace halvana {

class GridModel;

// The settings capture: a table's grid as the capture files and "Copy All to Clipboard" write
// it, and the numbered capture files themselves.
namespace SettingsCapture {

// A meter table (0..11), one line per grid row, each ended by CR LF: cells joined by one TAB,
// rows whose description contains "Not Used" left out, the value headings of the three-phase
// tables (2, 3) on one line ("M3 (SF1)", "Value)"). The last grid row, the empty row that ends
// a table built from its header file, is left out; "All Settings" (11) has no such row and
// keeps its last setting.
QString meterTableText(const GridModel& grid, int tableIndex);

// The system settings grid whole, heading row included: TAB between cells, a lone CR between
// rows and nothing at the end.
QString systemSettingsBlock(const GridModel& grid);

// What "Capture to File" writes for `ActiveTableIndex` (0..11, or MeterTables::kSystemSettingsGrid):
// the meter table lines, or the system settings block followed by CR LF.
QString fileText(const GridModel& grid, int activeTableIndex);
// What "Copy All to Clipboard" puts on the clipboard: the meter table lines, or the block alone.
QString clipboardText(const GridModel& grid, int activeTableIndex);

} // namespace SettingsCapture

// Writes capture files into the downloads folder and remembers the last one
// (`CaptureFileName`, `CaptureFilePath`).
class SettingsCaptureFiles {
public:
    struct Result {
        QString path;
        // Empty on success; otherwise why nothing was written, naming the path.
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    // Creates the folder when it is missing, then writes the text (Windows-1252) to the next
    // Settings_###.txt in it, chosen in this folder: the last capture's name when that file was
    // deleted meanwhile, otherwise the lowest free number. A failed capture writes nothing and
    // leaves earlier captures untouched.
    Result write(const QString& downloadsFolder, const QString& text);

    QString CaptureFileName;
    QString CaptureFilePath;
};

} // namespace halvana
