#pragma once

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;

namespace halvana {

class GridView;
class PanelboardView;

// A panelboard window (`frmBCM_Panel`), one per view kind. The branch view lays the branch
// meters out as they are wired: four group frames `fraSeqNum` of two grids `grdSeqNum` each
// (odd circuits left, even right; or 21 consecutive branches per grid in the column-width
// layout). The subfeed, panel and PDU views show four three-phase meter frames `fraPanel` with
// their grids `grdPanel2`. The decoders write the grids; this window only shows them.
class FrmBCMPanel : public QWidget {
    Q_OBJECT
public:
    explicit FrmBCMPanel(PanelboardView& view, QWidget* parent = nullptr);

    int kind() const { return m_kind; }
    // `grdSeqNum(grid)` (branch view only) and `grdPanel2(frame)` (the other views).
    GridView* grdSeqNum(int grid) const { return m_branchGrids.at(size_t(grid)); }
    GridView* grdPanel2(int frame) const { return m_meterGrids.at(size_t(frame)); }
    // Names the panel whose registers TCP requests address (branch view only).
    void showActivePanel(int panel, int offset);

    QSize sizeHint() const override;

signals:
    // A press on a branch grid or a meter grid; positions are grid positions.
    void branchGridPressed(int grid, int row, Qt::MouseButton button, const QPoint& globalPos);
    void meterGridPressed(int frame, int row, int column, Qt::MouseButton button, const QPoint& globalPos);

private:
    QWidget* buildBranchGroups();
    QWidget* buildMeterFrames();
    void refreshCaptions();

    PanelboardView& m_view;
    const int m_kind;
    QWidget* m_content = nullptr;
    std::array<GridView*, 8> m_branchGrids{};
    std::array<QGroupBox*, 4> m_groupFrames{};
    std::array<GridView*, 4> m_meterGrids{};
    std::array<QGroupBox*, 4> m_meterFrames{};
    QLabel* m_activePanel = nullptr;
};

} // namespace halvana
