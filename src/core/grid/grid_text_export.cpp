#include "core/grid/grid_text_export.h"

#include "core/grid/grid_model.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

namespace halvana {

namespace {

const QRegularExpression& lineBreak()
{
    static const QRegularExpression pattern(QStringLiteral("\r\n|\r|\n"));
    return pattern;
}

QString joinedLine(const QStringList& cells, const QString& separator, QString (*cellText)(const QString&),
                   const QString& end)
{
    QStringList out;
    out.reserve(cells.size());
    for (const QString& cell : cells)
        out << cellText(cell);
    return out.join(separator) + end;
}

QString lines(const GridText& text, const QString& separator, QString (*cellText)(const QString&), const QString& end)
{
    QString out = joinedLine(text.headings, separator, cellText, end);
    for (const QStringList& row : text.rows)
        out += joinedLine(row, separator, cellText, end);
    return out;
}

QString tsvCell(const QString& cell)
{
    static const QRegularExpression breaks(QStringLiteral("\t|\r\n|\r|\n"));
    return QString(cell).replace(breaks, QStringLiteral(" "));
}

QString csvCell(const QString& cell)
{
    static const QRegularExpression needsQuotes(QStringLiteral("[,\"\r\n]"));
    if (!cell.contains(needsQuotes))
        return cell;
    return QLatin1Char('"') + QString(cell).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

GridText GridText::fromGrid(const GridModel& grid, int rowCount)
{
    GridText text;
    for (int c = 0; c < grid.columnCount(); ++c)
        text.headings << GridTextExport::headingText(grid.text(0, c));
    const int last = std::min(rowCount, grid.rowCount() - 1);
    for (int r = 1; r <= last; ++r) {
        QStringList row;
        for (int c = 0; c < grid.columnCount(); ++c)
            row << grid.text(r, c);
        text.rows.push_back(row);
    }
    return text;
}

namespace GridTextExport {

std::optional<Format> formatFromName(const QString& name)
{
    if (name == QLatin1String("tsv"))
        return Format::Tsv;
    if (name == QLatin1String("csv"))
        return Format::Csv;
    if (name == QLatin1String("json"))
        return Format::Json;
    return std::nullopt;
}

QString headingText(const QString& cell)
{
    if (!cell.contains(lineBreak()))
        return cell;
    return QString(cell).replace(lineBreak(), QStringLiteral(" (")) + QLatin1Char(')');
}

QString toTsv(const GridText& text)
{
    return lines(text, QStringLiteral("\t"), tsvCell, QStringLiteral("\n"));
}

QString toCsv(const GridText& text)
{
    return lines(text, QStringLiteral(","), csvCell, QStringLiteral("\r\n"));
}

QString toJson(const GridText& text)
{
    QJsonArray rows;
    for (const QStringList& row : text.rows) {
        QJsonObject object;
        const int keys = int(std::min(text.rowKeys.size(), row.size()));
        for (int i = 0; i < keys; ++i)
            object.insert(text.rowKeys.at(i), row.at(i));
        object.insert(QStringLiteral("values"), QJsonArray::fromStringList(row.mid(keys)));
        rows.append(object);
    }
    const QJsonObject document{
        {QStringLiteral("table"), text.table},
        {QStringLiteral("caption"), text.caption},
        {QStringLiteral("headings"), QJsonArray::fromStringList(text.headings)},
        {QStringLiteral("rows"), rows},
    };
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
}

QString write(const GridText& text, Format format)
{
    switch (format) {
    case Format::Csv:
        return toCsv(text);
    case Format::Json:
        return toJson(text);
    default:
        return toTsv(text);
    }
}

} // namespace GridTextExport

} // namespace halvana
