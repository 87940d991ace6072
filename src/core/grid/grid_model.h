#pragma once

#include "core/grid/rgb.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace halvana {

// The one table type of the program: rows x columns of cell text with colours, bold cells,
// column alignment and width (twips), and hidden rows. Row 0 and column 0 are the fixed
// header row and column unless set otherwise. Decoders fill it, views show it, captures save it.
//
// Change notification follows QAbstractItemModel: shape changes are announced before and
// after, cell changes after. Writing a cell with the text it already holds changes nothing
// and notifies nobody, so a view redraws only what really changed.
class GridModel : public QObject {
    Q_OBJECT
public:
    enum class Alignment { General, LeftCentre, CentreCentre, RightCentre };

    explicit GridModel(QObject* parent = nullptr);

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return m_columnCount; }
    // The header row and column that do not scroll: one each unless a grid says otherwise.
    int fixedRows() const { return m_fixedRows; }
    int fixedColumns() const { return m_fixedColumns; }
    void setFixed(int rows, int columns)
    {
        m_fixedRows = rows;
        m_fixedColumns = columns;
    }

    // Empties the grid and gives it a new shape; widths, alignments and hidden rows reset.
    void reset(int rows, int columns);
    // Grows or shrinks keeping the cells that remain.
    void setRowCount(int rows);
    void setColumnCount(int columns);
    // Adds a row at the end; returns its index.
    int appendRow(const QStringList& cells);

    bool contains(int row, int column) const;

    QString text(int row, int column) const;
    // False when the cell is outside the grid or already holds the text.
    bool setText(int row, int column, const QString& text);
    // Text and background in one: both are left alone when the text is unchanged, so status
    // cells ("OK"/"Active") are rewritten only when their state changes.
    bool setTextAndBackground(int row, int column, const QString& text, Rgb background);

    std::optional<Rgb> background(int row, int column) const;
    void setBackground(int row, int column, std::optional<Rgb> colour);
    std::optional<Rgb> foreground(int row, int column) const;
    void setForeground(int row, int column, std::optional<Rgb> colour);
    bool isBold(int row, int column) const;
    void setBold(int row, int column, bool bold);

    Alignment columnAlignment(int column) const;
    void setColumnAlignment(int column, Alignment alignment);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int twips);
    bool isRowHidden(int row) const;
    void setRowHidden(int row, bool hidden);

    // The values are old: the link was lost after they were read. Views draw them greyed
    // until the block has been read again.
    bool isStale() const { return m_stale; }
    void setStale(bool stale);

    // Gathers the cell changes made while it lives into one cellsChanged signal (the bounding
    // range), as the old grids suspended redraw around a group of writes. Batches nest.
    class UpdateBatch {
    public:
        explicit UpdateBatch(GridModel& grid);
        ~UpdateBatch();
        UpdateBatch(const UpdateBatch&) = delete;
        UpdateBatch& operator=(const UpdateBatch&) = delete;

    private:
        GridModel& m_grid;
    };

    static constexpr int kDefaultColumnWidth = 600;

signals:
    void cellsChanged(int firstRow, int firstColumn, int lastRow, int lastColumn);
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved(int first, int last);
    void columnsAboutToBeInserted(int first, int last);
    void columnsInserted(int first, int last);
    void columnsAboutToBeRemoved(int first, int last);
    void columnsRemoved(int first, int last);
    void modelAboutToBeReset();
    void modelReset();
    void rowVisibilityChanged(int row);
    void columnFormatChanged(int column);
    void staleChanged(bool stale);

private:
    struct Cell {
        QString text;
        std::optional<Rgb> background;
        std::optional<Rgb> foreground;
        bool bold = false;
    };
    struct Row {
        std::vector<Cell> cells;
        bool hidden = false;
    };
    struct Column {
        int width = kDefaultColumnWidth;
        Alignment alignment = Alignment::General;
    };

    Cell* cell(int row, int column);
    const Cell* cell(int row, int column) const;
    void cellChanged(int row, int column);
    void flushBatch();

    std::vector<Row> m_rows;
    std::vector<Column> m_columns;
    int m_columnCount = 0;
    int m_fixedRows = 1;
    int m_fixedColumns = 1;
    bool m_stale = false;

    int m_batchDepth = 0;
    bool m_batchDirty = false;
    int m_dirtyTop = 0;
    int m_dirtyLeft = 0;
    int m_dirtyBottom = 0;
    int m_dirtyRight = 0;
};

} // namespace halvana
