#pragma once

#include "core/grid/grid_model.h"

#include <QAbstractTableModel>
#include <QFont>

namespace halvana {

// Shows a GridModel to Qt's item views. The grid's fixed header row and first column become the
// view's horizontal and vertical headers, so they stay in place while the body scrolls; the body
// is everything else. Cell changes reach the view as the grid announces them and no more often.
class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridTableModel(GridModel& grid, QObject* parent = nullptr);

    GridModel& grid() const { return m_grid; }
    // How many grid rows (columns) lead as headers: 0 or 1.
    int headerRows() const { return m_headerRows; }
    int headerColumns() const { return m_headerColumns; }

    int gridRow(int modelRow) const { return modelRow + m_headerRows; }
    int gridColumn(int modelColumn) const { return modelColumn + m_headerColumns; }
    int modelRow(int gridRow) const { return gridRow - m_headerRows; }
    int modelColumn(int gridColumn) const { return gridColumn - m_headerColumns; }
    // The body index of a grid cell; invalid for header cells and cells outside the grid.
    QModelIndex indexOfCell(int gridRow, int gridColumn) const;

    // The font bold cells and headings are drawn in, bold, is this one.
    void setBaseFont(const QFont& font);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The alignment a column's cells are drawn with. "General" is the old grids' rule: numbers
    // to the right, text to the left.
    static Qt::Alignment alignmentFor(GridModel::Alignment alignment, const QString& text);

private:
    QVariant cellData(int row, int column, int role) const;

    // Which begin...() call is waiting for its end...() (none when the change touched only a
    // header line).
    enum class Pending { None, InsertRows, RemoveRows, InsertColumns, RemoveColumns };
    void beginBodyChange(Pending change, int first, int last);
    void endBodyChange();
    void onRowsChanged(int first);
    void onColumnsChanged(int first);
    void onCellsChanged(int firstRow, int firstColumn, int lastRow, int lastColumn);
    void onColumnFormatChanged(int column);

    GridModel& m_grid;
    const int m_headerRows;
    const int m_headerColumns;
    QFont m_boldFont;
    Pending m_pending = Pending::None;
};

} // namespace halvana
