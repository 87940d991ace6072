#include "core/grid/grid_text_export.h"

#include "core/grid/grid_model.h"

#include <QJsonArray>
#include <QJsonDocument>
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

// A value as compact JSON text: written inside an array, then taken out of it.
QString jsonText(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
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

QString csvLine(const QStringList& cells)
{
    return joinedLine(cells, QStringLiteral(","), csvCell, QStringLiteral("\r\n"));
}

// Indented by hand so that each row is one line, which line-oriented tools can take apart.
QString toJson(const GridText& text)
{
    QString out = QStringLiteral("{\n    \"table\": %1,\n    \"caption\": %2,\n    \"headings\": %3,\n    \"rows\": [")
                      .arg(jsonText(text.table), jsonText(text.caption),
                           jsonText(QJsonArray::fromStringList(text.headings)));
    for (size_t r = 0; r < text.rows.size(); ++r) {
        const QStringList& row = text.rows[r];
        QStringList fields;
        const int keys = int(std::min(text.rowKeys.size(), row.size()));
        for (int i = 0; i < keys; ++i)
            fields << jsonText(text.rowKeys.at(i)) + QStringLiteral(": ") + jsonText(row.at(i));
        fields << QStringLiteral("\"values\": ") + jsonText(QJsonArray::fromStringList(row.mid(keys)));
        out += (r ? QStringLiteral(",\n        {") : QStringLiteral("\n        {")) + fields.join(QStringLiteral(", "))
            + QLatin1Char('}');
    }
    out += text.rows.empty() ? QStringLiteral("]\n}\n") : QStringLiteral("\n    ]\n}\n");
    return out;
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
