#pragma once

#include "core/grid/grid_model.h"

#include <QTableView>

namespace halvana {

class GridTableModel;

// A grid on screen: a table view over a GridModel with the grid's header row and first column
// as fixed headers, its column widths (twips), hidden rows and compact rows. Polling rewrites
// cells in place, so the scroll position, selection and current cell stay where the user left
// them. Positions in its signals are grid positions (header row 0, first column 0).
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(GridModel& grid, QWidget* parent = nullptr);

    GridModel& grid() const;
    GridTableModel* gridModel() const { return m_model; }

    // The grid cell at a point of the view's viewport; (-1, -1) outside the cells.
    QPoint gridCellAt(const QPoint& viewportPos) const;
    // Brings a grid column into view and selects it from its first to its last row.
    void selectGridColumn(int column);
    // Width of all columns and headers, in pixels, for windows that size themselves to a grid.
    int contentWidth() const;
    int contentHeight() const;
    // Makes the view exactly as large as its cells, without scroll bars, also when a column
    // widens or the font changes (the panelboards' small grids).
    void setSizedToContent(bool sized);

signals:
    // Any mouse button, on a cell or on a heading.
    void gridPressed(int row, int column, Qt::MouseButton button, const QPoint& globalPos);
    void gridDoubleClicked(int row, int column);

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Row height and bold font follow the view's font.
    void fitRowsToFont();
    void applyColumnFormat(int gridColumn);
    void applyAllFormats();
    void applyRowVisibility(int gridRow);
    void widenForNumbers(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    bool paintCorner(QWidget* corner);

    void fitSizeToContent();

    GridTableModel* m_model;
    QWidget* m_corner = nullptr;
    bool m_sizedToContent = false;
};

} // namespace halvana
