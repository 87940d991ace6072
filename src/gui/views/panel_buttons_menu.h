#pragma once

#include <QMenu>

#include <array>

namespace halvana {

// The popup of the branch grids (`mnuPanelButtons`): the label mode (`mnuViewMode` 0 current,
// 1 voltage, 2 parent ID), the column-width layout (`mnuBCM_ColWidth`) and "CopyText", which
// copies the clicked branch's circuit, label and value. "Rename" and "Enable"/"Disable" are
// shown as the unit's tools always showed them, but are not available in this program.
class PanelButtonsMenu : public QMenu {
    Q_OBJECT
public:
    explicit PanelButtonsMenu(QWidget* parent = nullptr);

    QAction* mnuRename() const { return m_rename; }
    QAction* mnuViewMode(int index) const { return m_viewModes.at(size_t(index)); }
    QAction* mnuBCM_ColWidth() const { return m_columnWidth; }
    QAction* mnuEnable() const { return m_enable; }
    QAction* mnuCopyText() const { return m_copyText; }

    // Sets the check marks from the views' state and the "Enable" caption from the clicked
    // branch's value cell ("Disable" when it shows "Off").
    void prepare(int labelMode, bool showParentId, bool columnWidthLayout, const QString& branchValue);

private:
    QAction* m_rename;
    std::array<QAction*, 3> m_viewModes{};
    QAction* m_columnWidth;
    QAction* m_enable;
    QAction* m_copyText;
};

} // namespace halvana
