#pragma once

#include <QWidget>

namespace halvana {

class GridView;
class MeterTable;

// One meter table window (`frmMeterTable`): the table's grid `MSFlexGrid1`, register and
// description columns fixed on the left, one value column per meter. Its caption follows the
// table's (": Updated" once a full pass has been read). Its tag is the table index.
class FrmMeterTable : public QWidget {
    Q_OBJECT
public:
    // Shortest window that still shows a few rows: 2780 twips.
    static constexpr int kMinimumHeightTwips = 2780;

    explicit FrmMeterTable(MeterTable& table, QWidget* parent = nullptr);

    int tableIndex() const { return m_index; }
    GridView* MSFlexGrid1() const { return m_grid; }
    // The all-settings popup is offered once a pass completed, and always on the system
    // settings and meter info tables.
    bool allSettingsPopupAllowed() const;

private:
    MeterTable& m_table;
    const int m_index;
    GridView* m_grid;
};

} // namespace halvana
