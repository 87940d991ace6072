#include "gui/views/grid_table_model.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

namespace halvana {

namespace {
QColor toColor(Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Old values are drawn in grey, their status colours faded towards white.
const QColor kStaleText(128, 128, 128);

QColor faded(const QColor& colour)
{
    return QColor((colour.red() + 255) / 2, (colour.green() + 255) / 2, (colour.blue() + 255) / 2);
}
} // namespace

GridTableModel::GridTableModel(GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent),
      m_grid(grid),
      m_headerRows(std::clamp(grid.fixedRows(), 0, 1)),
      m_headerColumns(std::clamp(grid.fixedColumns(), 0, 1))
{
    m_boldFont.setBold(true);

    connect(&grid, &GridModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&grid, &GridModel::modelReset, this, [this] { endResetModel(); });
    const auto beginning = [this](Pending change) {
        return [this, change](int first, int last) { beginBodyChange(change, first, last); };
    };
    connect(&grid, &GridModel::rowsAboutToBeInserted, this, beginning(Pending::InsertRows));
    connect(&grid, &GridModel::rowsAboutToBeRemoved, this, beginning(Pending::RemoveRows));
    connect(&grid, &GridModel::columnsAboutToBeInserted, this, beginning(Pending::InsertColumns));
    connect(&grid, &GridModel::columnsAboutToBeRemoved, this, beginning(Pending::RemoveColumns));
    connect(&grid, &GridModel::rowsInserted, this, [this](int first, int) { onRowsChanged(first); });
    connect(&grid, &GridModel::rowsRemoved, this, [this](int first, int) { onRowsChanged(first); });
    connect(&grid, &GridModel::columnsInserted, this, [this](int first, int) { onColumnsChanged(first); });
    connect(&grid, &GridModel::columnsRemoved, this, [this](int first, int) { onColumnsChanged(first); });
    connect(&grid, &GridModel::cellsChanged, this, &GridTableModel::onCellsChanged);
    connect(&grid, &GridModel::columnFormatChanged, this, &GridTableModel::onColumnFormatChanged);
    connect(&grid, &GridModel::staleChanged, this, [this] {
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::ForegroundRole, Qt::BackgroundRole});
    });
}

void GridTableModel::setBaseFont(const QFont& font)
{
    m_boldFont = font;
    m_boldFont.setBold(true);
}

QModelIndex GridTableModel::indexOfCell(int gridRow, int gridColumn) const
{
    return index(modelRow(gridRow), modelColumn(gridColumn));
}

int GridTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, m_grid.rowCount() - m_headerRows);
}

int GridTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, m_grid.columnCount() - m_headerColumns);
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QVariant value = cellData(gridRow(index.row()), gridColumn(index.column()), role);
    if (!m_grid.isStale())
        return value;
    if (role == Qt::ForegroundRole)
        return QBrush(kStaleText);
    if (role == Qt::BackgroundRole && value.isValid())
        return QBrush(faded(value.value<QBrush>().color()));
    return value;
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (m_headerRows == 0)
            return role == Qt::DisplayRole ? QVariant(QString::number(section + 1)) : QVariant();
        // Headings are centred over their columns whatever the cells below do.
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return cellData(0, gridColumn(section), role);
    }
    if (m_headerColumns == 0)
        return role == Qt::DisplayRole ? QVariant(QString::number(section + 1)) : QVariant();
    return cellData(gridRow(section), 0, role);
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

Qt::Alignment GridTableModel::alignmentFor(GridModel::Alignment alignment, const QString& text)
{
    switch (alignment) {
    case GridModel::Alignment::LeftCentre:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case GridModel::Alignment::CentreCentre:
        return Qt::AlignCenter;
    case GridModel::Alignment::RightCentre:
        return Qt::AlignRight | Qt::AlignVCenter;
    case GridModel::Alignment::General:
        break;
    }
    bool number = false;
    text.toDouble(&number);
    return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QVariant GridTableModel::cellData(int row, int column, int role) const
{
    if (!m_grid.contains(row, column))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_grid.text(row, column);
    case Qt::BackgroundRole:
        if (const auto colour = m_grid.background(row, column))
            return QBrush(toColor(*colour));
        return {};
    case Qt::ForegroundRole:
        if (const auto colour = m_grid.foreground(row, column))
            return QBrush(toColor(*colour));
        return {};
    case Qt::FontRole:
        return m_grid.isBold(row, column) ? QVariant(m_boldFont) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentFor(m_grid.columnAlignment(column), m_grid.text(row, column)));
    default:
        return {};
    }
}

// Grid lines before the header count become header changes, the rest body rows or columns.
void GridTableModel::beginBodyChange(Pending change, int first, int last)
{
    const bool rows = change == Pending::InsertRows || change == Pending::RemoveRows;
    const int headers = rows ? m_headerRows : m_headerColumns;
    const int from = std::max(0, first - headers);
    const int to = last - headers;
    if (to < from)
        return;
    m_pending = change;
    switch (change) {
    case Pending::InsertRows:
        beginInsertRows(QModelIndex(), from, to);
        break;
    case Pending::RemoveRows:
        beginRemoveRows(QModelIndex(), from, to);
        break;
    case Pending::InsertColumns:
        beginInsertColumns(QModelIndex(), from, to);
        break;
    case Pending::RemoveColumns:
        beginRemoveColumns(QModelIndex(), from, to);
        break;
    case Pending::None:
        break;
    }
}

void GridTableModel::endBodyChange()
{
    switch (std::exchange(m_pending, Pending::None)) {
    case Pending::InsertRows:
        endInsertRows();
        break;
    case Pending::RemoveRows:
        endRemoveRows();
        break;
    case Pending::InsertColumns:
        endInsertColumns();
        break;
    case Pending::RemoveColumns:
        endRemoveColumns();
        break;
    case Pending::None:
        break;
    }
}

void GridTableModel::onRowsChanged(int first)
{
    endBodyChange();
    if (first < m_headerRows && columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void GridTableModel::onColumnsChanged(int first)
{
    endBodyChange();
    if (first < m_headerColumns && rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void GridTableModel::onCellsChanged(int firstRow, int firstColumn, int lastRow, int lastColumn)
{
    if (firstRow < m_headerRows) {
        const int from = std::max(0, modelColumn(firstColumn));
        const int to = std::min(modelColumn(lastColumn), columnCount() - 1);
        if (from <= to)
            emit headerDataChanged(Qt::Horizontal, from, to);
    }
    if (firstColumn < m_headerColumns) {
        const int from = std::max(0, modelRow(firstRow));
        const int to = std::min(modelRow(lastRow), rowCount() - 1);
        if (from <= to)
            emit headerDataChanged(Qt::Vertical, from, to);
    }
    const int top = std::max(0, modelRow(firstRow));
    const int left = std::max(0, modelColumn(firstColumn));
    const int bottom = std::min(modelRow(lastRow), rowCount() - 1);
    const int right = std::min(modelColumn(lastColumn), columnCount() - 1);
    if (top <= bottom && left <= right)
        emit dataChanged(index(top, left), index(bottom, right));
}

void GridTableModel::onColumnFormatChanged(int column)
{
    // Alignment belongs to the cells; the width is the view's business.
    if (column < m_headerColumns) {
        if (rowCount() > 0)
            emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
        return;
    }
    const int c = modelColumn(column);
    if (c < columnCount() && rowCount() > 0)
        emit dataChanged(index(0, c), index(rowCount() - 1, c), {Qt::TextAlignmentRole});
}

} // namespace halvana
