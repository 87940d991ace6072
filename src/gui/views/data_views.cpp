#include "gui/views/data_views.h"

#include "core/app/app_settings.h"
#include "core/device/device_data.h"
#include "core/device/table_readout.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"
#include "gui/views/frm_bcm_panel.h"
#include "gui/views/frm_meter_table.h"
#include "gui/views/frm_system_settings.h"
#include "gui/views/grid_view.h"
#include "gui/views/panel_buttons_menu.h"

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>

#include <algorithm>

namespace halvana {

namespace {

constexpr int kPanelOffsetStep = 2000;

QString meterTableMenu(int index)
{
    return QStringLiteral("mnuMeterTable%1").arg(index);
}

QString panelViewMenu(int kind)
{
    return QStringLiteral("mnuBCM_Panel_CB_View%1").arg(kind);
}

// Tables 0..10 are View menu items whose open state is kept between runs; 11 belongs to a capture.
bool isMenuTable(int index)
{
    return index >= 0 && index < ShellFlags::kMeterTables;
}

// The tables a panelboard view needs polled: the branch tables for the branch view, the
// three-phase tables for the subfeed, panel and PDU views.
std::array<int, 2> tablesOfPanelView(int kind)
{
    if (kind == kBranchPanelView)
        return {kBranchSettingsTable, kBranchReadingsTable};
    return {kThreePhaseSettingsTable, kThreePhaseReadingsTable};
}

// Keeps a window's normal width fixed to what its contents need; its height stays free, and a
// maximised window fills the work area.
class NormalWidthLock : public QObject {
public:
    NormalWidthLock(QMdiSubWindow* window, int width) : QObject(window), m_window(window), m_width(width)
    {
        window->installEventFilter(this);
        window->resize(width, window->height());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Resize
            && !(m_window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) && m_window->width() != m_width)
            m_window->resize(m_width, m_window->height());
        return QObject::eventFilter(watched, event);
    }

private:
    QMdiSubWindow* m_window;
    int m_width;
};

// The least height of a window in the normal state, frame included. It is the widget's, so a
// minimised window shrinks to its title bar.
void setMinimumWindowHeight(QMdiSubWindow* window, int height)
{
    const QStyle* style = window->style();
    const int frame = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window)
                      + 2 * style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    window->widget()->setMinimumHeight(std::max(0, height - frame));
}

} // namespace

DataViews::DataViews(MDIForm1& mainWindow, DeviceData& data)
    : QObject(&mainWindow),
      m_main(mainWindow),
      m_data(data),
      m_panelButtons(new PanelButtonsMenu(&mainWindow)),
      m_addToTrend(new QAction(QStringLiteral("Add to Trend"), this))
{
    m_addToTrend->setObjectName(QStringLiteral("mnuAddToTrend"));
    connect(m_addToTrend, &QAction::triggered, this, [this] {
        if (m_trend && m_trendTarget && m_trend->add(*m_trendTarget))
            emit trendSeriesAdded();
    });
    m_panelButtons->addSeparator();
    m_panelButtons->addAction(m_addToTrend);
    // The layout of the branch view is the stored one.
    data.panelboards().setColumnWidthLayout(mainWindow.flags().columnWidthLayout);
    data.setTablesToRestore(DeviceData::tablesOpenAtExit(mainWindow.settings()));

    connect(&mainWindow, &MDIForm1::loadFinished, this, &DataViews::restoreWindows);
    connect(&data.tables(), &MeterTables::tableOpened, this, &DataViews::onTableOpened);
    // A table closed elsewhere (the capture that opened it) takes its window along.
    connect(&data.tables(), &MeterTables::tableClosed, this, [this](int index) { m_tables[size_t(index)]->close(); });

    ShellFlags& flags = mainWindow.flags();
    m_systemSettings = new ChildWindowSlot(mainWindow, GeometryKeys::systemSettings(),
                                           QStringLiteral("mnuSystemandPanelSettings"), &flags.systemSettingsOpen);
    connect(m_systemSettings, &ChildWindowSlot::closed, this, [this](bool byUser) {
        SystemSettingsView& view = m_data.systemSettings();
        view.SystemSettingsWindowOpen = false;
        if (byUser)
            view.frmSystemSettingsFlag = false;
    });
    for (int k = 0; k < kTableCount; ++k) {
        const bool inMenu = isMenuTable(k);
        m_tables[size_t(k)] = new ChildWindowSlot(mainWindow, GeometryKeys::meterTable(k), inMenu ? meterTableMenu(k) : QString(),
                                                  inMenu ? &flags.meterTableOpen[size_t(k)] : nullptr);
        connect(m_tables[size_t(k)], &ChildWindowSlot::closed, this, [this, k] { m_data.tables().close(k); });
        if (inMenu && isTableIndex(k))
            mainWindow.setMenuCommand(meterTableMenu(k), [this, k] { mnuMeterTable_Click(k); });
    }
    for (int k = 0; k < kPanelViewCount; ++k) {
        m_panels[size_t(k)] = new ChildWindowSlot(mainWindow, GeometryKeys::panelView(k), panelViewMenu(k),
                                                  &flags.panelViewOpen[size_t(k)]);
        connect(m_panels[size_t(k)], &ChildWindowSlot::closed, this, [this, k] { m_data.panelboards().close(k); });
        mainWindow.setMenuCommand(panelViewMenu(k), [this, k] { mnuBCM_Panel_CB_View_Click(k); });
    }
    mainWindow.setMenuCommand(QStringLiteral("mnuSystemandPanelSettings"), [this] { mnuSystemandPanelSettings_Click(); });

    for (int i = 0; i < 3; ++i)
        connect(m_panelButtons->mnuViewMode(i), &QAction::triggered, this, [this, i] { mnuViewMode_Click(i); });
    connect(m_panelButtons->mnuBCM_ColWidth(), &QAction::triggered, this, &DataViews::mnuBCM_ColWidth_Click);
    connect(m_panelButtons->mnuCopyText(), &QAction::triggered, this, &DataViews::copyBranchText);
}

DataViews::~DataViews() = default;

FrmSystemSettings* DataViews::systemSettingsWindow() const
{
    return qobject_cast<FrmSystemSettings*>(m_systemSettings->widget());
}

FrmMeterTable* DataViews::meterTableWindow(int index) const
{
    return isTableIndex(index) ? qobject_cast<FrmMeterTable*>(m_tables[size_t(index)]->widget()) : nullptr;
}

FrmBCMPanel* DataViews::panelWindow(int kind) const
{
    return kind >= 0 && kind < kPanelViewCount ? qobject_cast<FrmBCMPanel*>(m_panels[size_t(kind)]->widget()) : nullptr;
}

void DataViews::restoreWindows()
{
    const ShellFlags& flags = m_main.flags();
    for (int k = 0; k < kPanelViewCount; ++k) {
        if (flags.panelViewOpen[size_t(k)] && !m_panels[size_t(k)]->isOpen())
            openPanelView(k);
    }
    if (flags.systemSettingsOpen && !m_systemSettings->isOpen())
        openSystemSettings();
}

void DataViews::popupAllSettings(const QPoint& globalPos)
{
    // The all-settings popup comes with the settings capture; until then a right-click only
    // chooses the grid. A reading cell adds "Add to Trend" to it.
    auto* popup = m_main.findChild<QMenu*>(QStringLiteral("mnuAllSettingsPopup"));
    if (!popup) {
        if (m_trendTarget)
            showTrendPopup(globalPos);
        return;
    }
    if (!popup->actions().contains(m_addToTrend)) {
        popup->addSeparator();
        popup->addAction(m_addToTrend);
    }
    popup->popup(globalPos);
}

void DataViews::mnuSystemandPanelSettings_Click()
{
    m_systemSettings->toggle([this] { openSystemSettings(); });
}

void DataViews::openSystemSettings()
{
    SystemSettingsView& view = m_data.systemSettings();
    view.PopulateGrid();
    // Keep the rows of the meters already known, so the next system information reply does not
    // have to rebuild the grid and erase what the replies until then fill in.
    if (m_data.model().hasSystemInfo)
        view.grid().setRowCount(m_data.model().NumMeters + 1);
    view.SystemSettingsWindowOpen = true;
    view.frmSystemSettingsFlag = true;

    auto* window = new FrmSystemSettings(view);
    connect(window->MSFlexGrid1(), &GridView::gridPressed, this,
            [this](int, int, Qt::MouseButton button, const QPoint& globalPos) {
                m_data.tables().ActiveTableIndex = MeterTables::kSystemSettingsGrid;
                if (button != Qt::RightButton)
                    return;
                aimTrend(std::nullopt);
                popupAllSettings(globalPos);
            });

    window->resize(window->sizeHint().width(), twipsToPixels(FrmSystemSettings::kLoadHeightTwips));
    QMdiSubWindow* sub = m_systemSettings->open(window);
    // Never lower than the boxes of its frames need, so they cannot overlap.
    setMinimumWindowHeight(sub, std::max(twipsToPixels(FrmSystemSettings::kMinimumHeightTwips),
                                         sub->minimumSizeHint().height()));
    new NormalWidthLock(sub, sub->sizeHint().width());
}

void DataViews::mnuMeterTable_Click(int index)
{
    if (!isMenuTable(index) || !isTableIndex(index))
        return;
    m_tables[size_t(index)]->toggle([this, index] {
        m_openTablesMinimised = false;
        m_data.openTable(index);
    });
}

void DataViews::onTableOpened(int index)
{
    ChildWindowSlot* slot = m_tables[size_t(index)];
    if (slot->isOpen())
        return;
    auto* window = new FrmMeterTable(m_data.tables().table(index));
    connect(window->MSFlexGrid1(), &GridView::gridPressed, this,
            [this, index](int row, int column, Qt::MouseButton button, const QPoint& globalPos) {
                onMeterTablePressed(index, row, column, button, globalPos);
            });
    connect(window->MSFlexGrid1(), &GridView::gridDoubleClicked, this,
            [this, window, index](int row, int column) {
                // Unselected, the cell shows the colour an edit gives it.
                window->MSFlexGrid1()->clearSelection();
                emit meterTableDoubleClicked(index, row, column);
            });
    QMdiSubWindow* sub = slot->open(window, m_openTablesMinimised);
    setMinimumWindowHeight(sub, twipsToPixels(FrmMeterTable::kMinimumHeightTwips));
}

void DataViews::onMeterTablePressed(int index, int row, int column, Qt::MouseButton button, const QPoint& globalPos)
{
    FrmMeterTable* window = meterTableWindow(index);
    if (!window)
        return;
    const bool trendable = button == Qt::RightButton && aimTrend(m_trend ? m_trend->sourceOfTableCell(index, row, column)
                                                                            : std::nullopt);
    if (!window->allSettingsPopupAllowed()) {
        if (trendable)
            showTrendPopup(globalPos);
        return;
    }
    m_data.tables().ActiveTableIndex = index;
    if (button == Qt::RightButton)
        popupAllSettings(globalPos);
}

bool DataViews::aimTrend(const std::optional<TrendSource>& source)
{
    m_trendTarget = source;
    m_addToTrend->setVisible(source.has_value());
    return source.has_value();
}

// A reading cell without a popup of its own gets one with "Add to Trend" alone.
void DataViews::showTrendPopup(const QPoint& globalPos)
{
    auto* menu = new QMenu(&m_main);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("mnuTrendPopup"));
    menu->addAction(m_addToTrend);
    menu->popup(globalPos);
}

void DataViews::mnuAllSettings_Click()
{
    for (int table : TableReadout::tablesOpenedFor(kAllSettingsTable)) {
        if (m_data.tables().isOpen(table))
            continue;
        m_openTablesMinimised = table != kAllSettingsTable;
        m_data.openTable(table);
    }
    m_openTablesMinimised = false;
}

void DataViews::mnuBCM_Panel_CB_View_Click(int index)
{
    if (index < 0 || index >= kPanelViewCount)
        return;
    m_panels[size_t(index)]->toggle([this, index] { openPanelView(index); });
}

void DataViews::openPanelView(int kind)
{
    // The view is filled by the table decoders, so its tables must be polled: open them
    // minimised when they are not open.
    m_openTablesMinimised = true;
    for (int table : tablesOfPanelView(kind)) {
        if (!m_data.tables().isOpen(table))
            m_data.openTable(table);
    }
    m_openTablesMinimised = false;

    m_data.panelboards().open(kind);
    auto* window = new FrmBCMPanel(m_data.panelboards().view(kind));
    connect(window, &FrmBCMPanel::branchGridPressed, this, &DataViews::onBranchGridPressed);
    connect(window, &FrmBCMPanel::meterGridPressed, this,
            [this, kind](int frame, int row, int column, Qt::MouseButton button, const QPoint& globalPos) {
                if (button == Qt::LeftButton)
                    showMeterReadings(kind, frame);
                else if (button == Qt::RightButton && m_trend
                         && aimTrend(m_trend->sourceOfMeterFrameCell(kind, frame, row, column)))
                    showTrendPopup(globalPos);
            });
    window->showActivePanel(m_panelOffset / kPanelOffsetStep, m_panelOffset);
    m_panels[size_t(kind)]->open(window);
}

void DataViews::onBranchGridPressed(int grid, int row, Qt::MouseButton button, const QPoint& globalPos)
{
    const PanelboardViews& views = m_data.panelboards();
    if (button == Qt::LeftButton) {
        showBranchReadings(PanelboardViews::branchAt(grid, row, views.columnWidthLayout()));
        return;
    }
    if (button != Qt::RightButton)
        return;
    // Both layouts give each panel (42 branches) a pair of grids.
    selectPanel(grid / 2);
    m_popupGrid = grid;
    m_popupRow = row;
    aimTrend(m_trend ? m_trend->sourceOfBranchCell(grid, row) : std::nullopt);
    const QString value =
        m_data.panelboards().view(kBranchPanelView).branchGrid(grid).text(row, PanelboardView::kValueColumn);
    m_panelButtons->prepare(views.labelMode(), views.showParentId(), views.columnWidthLayout(), value);
    m_panelButtons->popup(globalPos);
}

void DataViews::copyBranchText()
{
    if (m_popupGrid < 0)
        return;
    const GridModel& grid = m_data.panelboards().view(kBranchPanelView).branchGrid(m_popupGrid);
    QStringList cells;
    for (int c = 0; c < grid.columnCount(); ++c)
        cells << grid.text(m_popupRow, c);
    m_main.shell().setClipboardText(cells.join(QLatin1Char('\t')));
}

void DataViews::selectPanel(int panel)
{
    const int offset = panel * kPanelOffsetStep;
    for (int k = 0; k < kPanelViewCount; ++k) {
        if (FrmBCMPanel* window = panelWindow(k))
            window->showActivePanel(panel, offset);
    }
    if (offset == m_panelOffset)
        return;
    m_panelOffset = offset;
    emit panelOffsetChanged(offset);
}

void DataViews::mnuBCM_ColWidth_Click()
{
    const bool columnWidth = !m_data.panelboards().columnWidthLayout();
    m_data.panelboards().setColumnWidthLayout(columnWidth);
    m_main.flags().columnWidthLayout = columnWidth;
    m_panelButtons->mnuBCM_ColWidth()->setChecked(columnWidth);
}

void DataViews::mnuViewMode_Click(int index)
{
    PanelboardViews& views = m_data.panelboards();
    if (index == 2)
        views.setShowParentId(!views.showParentId());
    else
        views.setLabelMode(index);
    m_panelButtons->prepare(views.labelMode(), views.showParentId(), views.columnWidthLayout(), QString());
}

void DataViews::showBranchReadings(int branch)
{
    if (branch >= 0)
        showReadingsColumn(kBranchReadingsTable, branch + 2);
}

void DataViews::showMeterReadings(int viewKind, int frame)
{
    const int column = PanelboardViews::readingsColumnOfFrame(m_data.model(), viewKind, frame);
    if (column >= 0)
        showReadingsColumn(kThreePhaseReadingsTable, column);
}

void DataViews::showReadingsColumn(int table, int column)
{
    FrmMeterTable* window = meterTableWindow(table);
    if (!window || !m_data.tables().table(table).isUpdated())
        return;
    QMdiSubWindow* sub = m_tables[size_t(table)]->window();
    if (sub->isMinimized())
        sub->showNormal();
    m_main.mdiArea()->setActiveSubWindow(sub);
    window->MSFlexGrid1()->selectGridColumn(column);
    window->MSFlexGrid1()->setFocus();
}

} // namespace halvana
