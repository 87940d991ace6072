#include "core/grid/grid_model.h"

#include <algorithm>

namespace halvana {

GridModel::GridModel(QObject* parent) : QObject(parent) {}

void GridModel::reset(int rows, int columns)
{
    emit modelAboutToBeReset();
    m_columnCount = std::max(0, columns);
    m_columns.assign(size_t(m_columnCount), Column{});
    m_rows.assign(size_t(std::max(0, rows)), Row{std::vector<Cell>(size_t(m_columnCount)), false});
    m_batchDirty = false;
    emit modelReset();
}

void GridModel::setRowCount(int rows)
{
    rows = std::max(0, rows);
    const int old = rowCount();
    if (rows > old) {
        emit rowsAboutToBeInserted(old, rows - 1);
        m_rows.resize(size_t(rows), Row{std::vector<Cell>(size_t(m_columnCount)), false});
        emit rowsInserted(old, rows - 1);
    } else if (rows < old) {
        emit rowsAboutToBeRemoved(rows, old - 1);
        m_rows.resize(size_t(rows));
        emit rowsRemoved(rows, old - 1);
    }
}

void GridModel::setColumnCount(int columns)
{
    columns = std::max(0, columns);
    const int old = m_columnCount;
    if (columns == old)
        return;
    if (columns > old)
        emit columnsAboutToBeInserted(old, columns - 1);
    else
        emit columnsAboutToBeRemoved(columns, old - 1);
    m_columnCount = columns;
    m_columns.resize(size_t(columns));
    for (Row& row : m_rows)
        row.cells.resize(size_t(columns));
    if (columns > old)
        emit columnsInserted(old, columns - 1);
    else
        emit columnsRemoved(columns, old - 1);
}

int GridModel::appendRow(const QStringList& cells)
{
    const int row = rowCount();
    emit rowsAboutToBeInserted(row, row);
    Row added{std::vector<Cell>(size_t(m_columnCount)), false};
    for (int c = 0; c < m_columnCount && c < cells.size(); ++c)
        added.cells[size_t(c)].text = cells.at(c);
    m_rows.push_back(std::move(added));
    emit rowsInserted(row, row);
    return row;
}

void GridModel::setStale(bool stale)
{
    if (stale == m_stale)
        return;
    m_stale = stale;
    emit staleChanged(stale);
}

bool GridModel::contains(int row, int column) const
{
    return row >= 0 && row < rowCount() && column >= 0 && column < m_columnCount;
}

GridModel::Cell* GridModel::cell(int row, int column)
{
    return contains(row, column) ? &m_rows[size_t(row)].cells[size_t(column)] : nullptr;
}

const GridModel::Cell* GridModel::cell(int row, int column) const
{
    return contains(row, column) ? &m_rows[size_t(row)].cells[size_t(column)] : nullptr;
}

QString GridModel::text(int row, int column) const
{
    const Cell* c = cell(row, column);
    return c ? c->text : QString();
}

bool GridModel::setText(int row, int column, const QString& text)
{
    Cell* c = cell(row, column);
    if (!c || c->text == text)
        return false;
    c->text = text;
    cellChanged(row, column);
    return true;
}

bool GridModel::setTextAndBackground(int row, int column, const QString& text, Rgb background)
{
    Cell* c = cell(row, column);
    if (!c || c->text == text)
        return false;
    c->text = text;
    c->background = background;
    cellChanged(row, column);
    return true;
}

std::optional<Rgb> GridModel::background(int row, int column) const
{
    const Cell* c = cell(row, column);
    return c ? c->background : std::nullopt;
}

void GridModel::setBackground(int row, int column, std::optional<Rgb> colour)
{
    Cell* c = cell(row, column);
    if (!c || c->background == colour)
        return;
    c->background = colour;
    cellChanged(row, column);
}

std::optional<Rgb> GridModel::foreground(int row, int column) const
{
    const Cell* c = cell(row, column);
    return c ? c->foreground : std::nullopt;
}

void GridModel::setForeground(int row, int column, std::optional<Rgb> colour)
{
    Cell* c = cell(row, column);
    if (!c || c->foreground == colour)
        return;
    c->foreground = colour;
    cellChanged(row, column);
}

bool GridModel::isBold(int row, int column) const
{
    const Cell* c = cell(row, column);
    return c && c->bold;
}

void GridModel::setBold(int row, int column, bool bold)
{
    Cell* c = cell(row, column);
    if (!c || c->bold == bold)
        return;
    c->bold = bold;
    cellChanged(row, column);
}

GridModel::Alignment GridModel::columnAlignment(int column) const
{
    return column >= 0 && column < m_columnCount ? m_columns[size_t(column)].alignment : Alignment::General;
}

void GridModel::setColumnAlignment(int column, Alignment alignment)
{
    if (column < 0 || column >= m_columnCount || m_columns[size_t(column)].alignment == alignment)
        return;
    m_columns[size_t(column)].alignment = alignment;
    emit columnFormatChanged(column);
}

int GridModel::columnWidth(int column) const
{
    return column >= 0 && column < m_columnCount ? m_columns[size_t(column)].width : 0;
}

void GridModel::setColumnWidth(int column, int twips)
{
    if (column < 0 || column >= m_columnCount || m_columns[size_t(column)].width == twips)
        return;
    m_columns[size_t(column)].width = twips;
    emit columnFormatChanged(column);
}

bool GridModel::isRowHidden(int row) const
{
    return row >= 0 && row < rowCount() && m_rows[size_t(row)].hidden;
}

void GridModel::setRowHidden(int row, bool hidden)
{
    if (row < 0 || row >= rowCount() || m_rows[size_t(row)].hidden == hidden)
        return;
    m_rows[size_t(row)].hidden = hidden;
    emit rowVisibilityChanged(row);
}

void GridModel::cellChanged(int row, int column)
{
    if (m_batchDepth == 0) {
        emit cellsChanged(row, column, row, column);
        return;
    }
    if (!m_batchDirty) {
        m_batchDirty = true;
        m_dirtyTop = m_dirtyBottom = row;
        m_dirtyLeft = m_dirtyRight = column;
        return;
    }
    m_dirtyTop = std::min(m_dirtyTop, row);
    m_dirtyBottom = std::max(m_dirtyBottom, row);
    m_dirtyLeft = std::min(m_dirtyLeft, column);
    m_dirtyRight = std::max(m_dirtyRight, column);
}

void GridModel::flushBatch()
{
    if (!m_batchDirty)
        return;
    m_batchDirty = false;
    // The shape may have shrunk inside the batch; never announce cells that are gone.
    const int bottom = std::min(m_dirtyBottom, rowCount() - 1);
    const int right = std::min(m_dirtyRight, m_columnCount - 1);
    if (m_dirtyTop <= bottom && m_dirtyLeft <= right)
        emit cellsChanged(m_dirtyTop, m_dirtyLeft, bottom, right);
}

GridModel::UpdateBatch::UpdateBatch(GridModel& grid) : m_grid(grid)
{
    ++m_grid.m_batchDepth;
}

GridModel::UpdateBatch::~UpdateBatch()
{
    if (--m_grid.m_batchDepth == 0)
        m_grid.flushBatch();
}

} // namespace halvana
