#include "core/capture/spreadsheet_export.h"

#include "core/grid/grid_model.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace halvana::SpreadsheetExport {

namespace {

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.exists() ? fa.canonicalFilePath() : fa.absoluteFilePath();
    const QString cb = fb.exists() ? fb.canonicalFilePath() : fb.absoluteFilePath();
    return ca == cb;
}

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
    for (const QString& input : inputs) {
        if (sameFile(input, path))
            return QStringLiteral("'%1' is one of the compared files; the spreadsheet is not written over it.").arg(shown);
    }
    QTemporaryFile temp(QFileInfo(path).absolutePath() + QStringLiteral("/.compare_XXXXXX.xlsx"));
    if (!temp.open())
        return QStringLiteral("The spreadsheet '%1' cannot be written: %2").arg(shown, temp.errorString());
    temp.close();
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    if (!writeWorkbook(grid, tempName) || std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0)
        return QStringLiteral("The spreadsheet '%1' cannot be written.").arg(shown);
    temp.setAutoRemove(false);
    return std::nullopt;
}

} // namespace halvana::SpreadsheetExport
