#pragma once

#include "core/device/register_map.h"
#include "core/trend/trend_set.h"

#include <QObject>

#include <array>

class QAction;
class QPoint;

namespace halvana {

class ChildWindowSlot;
class DeviceData;
class FrmBCMPanel;
class FrmMeterTable;
class FrmSystemSettings;
class MDIForm1;
class PanelButtonsMenu;

// The data windows of the View menu: the System Configuration window, the meter tables and the
// panelboard views. Opens and closes them from the menu, keeps the menu's check marks and the
// "open at exit" flags in step, tells the device data which windows are open (a table's step is
// polled only while its window is open), and keeps each window's placement.
class DataViews : public QObject {
    Q_OBJECT
public:
    // Gives the View menu items their commands; build it before MDIForm1::load(), at whose end
    // it reopens the windows that were open at the last exit.
    DataViews(MDIForm1& mainWindow, DeviceData& data);
    ~DataViews() override;

    // The panelboard views and the System Configuration window that were open at the last
    // exit. The tables follow at the first decoded system information reply.
    void restoreWindows();

    void mnuSystemandPanelSettings_Click();
    // Indices 0..10; 6 and 8 do nothing.
    void mnuMeterTable_Click(int index);
    void mnuBCM_Panel_CB_View_Click(int index);
    void mnuBCM_ColWidth_Click();
    void mnuViewMode_Click(int index);
    // Service > Capture All Settings: the settings tables 4, 5, 0, 2, 7 and 9 that are not open
    // yet open minimised, then "All Settings" (11) if it is not open.
    void mnuAllSettings_Click();

    FrmSystemSettings* systemSettingsWindow() const;
    FrmMeterTable* meterTableWindow(int index) const;
    FrmBCMPanel* panelWindow(int kind) const;
    PanelButtonsMenu* mnuPanelButtons() const { return m_panelButtons; }

    // `PanelOffset`: the chosen panel x 2000, which TCP requests add to their addresses.
    int PanelOffset() const { return m_panelOffset; }
    void selectPanel(int panel);

    // A click on a branch (or on a three-phase meter of a subfeed, panel or PDU view) shows its
    // column in the readings table, once that table has been read through.
    void showBranchReadings(int branch);
    void showMeterReadings(int viewKind, int frame);

    // The trend that "Add to Trend" adds to; the popups of reading cells offer it once set.
    void setTrendSet(TrendSet* trend) { m_trend = trend; }
    QAction* mnuAddToTrend() const { return m_addToTrend; }

signals:
    void panelOffsetChanged(int offset);
    // A cell of a meter table's grid was double-clicked (grid coordinates).
    void meterTableDoubleClicked(int table, int row, int column);
    // "Add to Trend" added a reading.
    void trendSeriesAdded();

private:
    void openSystemSettings();
    void onTableOpened(int index);
    void onMeterTablePressed(int index, int row, int column, Qt::MouseButton button, const QPoint& globalPos);
    void showTrendPopup(const QPoint& globalPos);
    void openPanelView(int kind);
    void onBranchGridPressed(int grid, int row, Qt::MouseButton button, const QPoint& globalPos);
    void copyBranchText();
    void popupAllSettings(const QPoint& globalPos);
    void showReadingsColumn(int table, int column);
    // Remembers the reading a right-click landed on; false when the cell shows none.
    bool aimTrend(const std::optional<TrendSource>& source);

    MDIForm1& m_main;
    DeviceData& m_data;
    ChildWindowSlot* m_systemSettings = nullptr;
    // One for every table index; 6 and 8 are never opened.
    std::array<ChildWindowSlot*, kTableCount> m_tables{};
    std::array<ChildWindowSlot*, 4> m_panels{};
    PanelButtonsMenu* m_panelButtons;
    bool m_openTablesMinimised = false;
    int m_panelOffset = 0;
    // The branch grid row the panel popup was opened on.
    int m_popupGrid = -1;
    int m_popupRow = -1;
    TrendSet* m_trend = nullptr;
    QAction* m_addToTrend;
    std::optional<TrendSource> m_trendTarget;
};

} // namespace halvana
