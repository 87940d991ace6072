#include "core/capture/spreadsheet_export.h"

#include "core/files/text_file.h"
#include "core/grid/grid_model.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <map>
#include <vector>

namespace halvana::SpreadsheetExport {

namespace {

int colourValue(const Rgb& c)
{
    return (c.red << 16) | (c.green << 8) | c.blue;
}

// One workbook format per (bold, fill) pair the grid uses.
class Formats {
public:
    explicit Formats(lxw_workbook* book) : m_book(book) {}

    lxw_format* get(bool bold, std::optional<Rgb> fill)
    {
        if (!bold && !fill)
            return nullptr;
        const int key = (fill ? colourValue(*fill) : -1) * 2 + (bold ? 1 : 0);
        auto found = m_formats.find(key);
        if (found != m_formats.end())
            return found->second;
        lxw_format* format = workbook_add_format(m_book);
        if (bold)
            format_set_bold(format);
        if (fill) {
            format_set_pattern(format, LXW_PATTERN_SOLID);
            format_set_bg_color(format, lxw_color_t(colourValue(*fill)));
        }
        m_formats.emplace(key, format);
        return format;
    }

private:
    lxw_workbook* m_book;
    std::map<int, lxw_format*> m_formats;
};

bool writeWorkbook(const GridModel& grid, const QByteArray& file)
{
    lxw_workbook* book = workbook_new(file.constData());
    if (!book)
        return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    Formats formats(book);
    std::vector<int> widest(size_t(grid.columnCount()), 0);
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            const QString& text = grid.text(r, c);
            lxw_format* format = formats.get(grid.isBold(r, c), grid.background(r, c));
            if (!text.isEmpty())
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), text.toUtf8().constData(), format);
            else if (format)
                worksheet_write_blank(sheet, lxw_row_t(r), lxw_col_t(c), format);
            widest[size_t(c)] = std::max(widest[size_t(c)], int(text.size()));
        }
    }
    for (int c = 0; c < grid.columnCount(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widest[size_t(c)] + 2, nullptr);
    return workbook_close(book) == LXW_NO_ERROR;
}

} // namespace

QString targetPath(const QString& LastComparedFilePath)
{
    const QString txt = QStringLiteral(".txt");
    if (LastComparedFilePath.endsWith(txt, Qt::CaseInsensitive))
        return LastComparedFilePath.left(LastComparedFilePath.size() - txt.size()) + QStringLiteral(".xlsx");
    return LastComparedFilePath + QStringLiteral(".xlsx");
}

std::optional<QString> write(const GridModel& grid, const QString& path, const QStringList& inputs)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (isOneOfTheFiles(path, inputs))
        return QStringLiteral("'%1' is one of the compared files; the spreadsheet is not written over it.").arg(shown);
    // libxlsxwriter writes only to a named file: the workbook is built in a scratch folder and its
    // bytes then replace the target all or nothing.
    const QTemporaryDir scratch;
    const QString built = scratch.filePath(QStringLiteral("workbook.xlsx"));
    QFile workbook(built);
    if (!scratch.isValid() || !writeWorkbook(grid, QFile::encodeName(built)) || !workbook.open(QIODevice::ReadOnly))
        return QStringLiteral("The spreadsheet '%1' cannot be written: the workbook could not be built.").arg(shown);
    return writeFileAtomically(path, workbook.readAll());
}

} // namespace halvana::SpreadsheetExport
