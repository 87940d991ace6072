#include "gui/capture/capture_commands.h"

#include "core/app/app_title.h"
#include "core/app/folder_locations.h"
#include "core/device/device_data.h"
#include "core/device/register_map.h"
#include "core/device/sequencer.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"
#include "gui/capture/compare_file_list.h"
#include "gui/capture/frm_compare.h"
#include "gui/capture/frm_compare_file_select.h"
#include "gui/views/data_views.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace halvana {

CaptureCommands::CaptureCommands(MDIForm1& main, DeviceData& data, Sequencer& sequencer, DataViews& views)
    : QObject(&main), m_main(main), m_data(data), m_sequencer(sequencer), m_popup(new QMenu(&main)),
      m_compareFiles(new CompareFileList(main.settings(), main.folders().downloadFileListsFolder(), this)),
      m_compareSlot(new ChildWindowSlot(main, GeometryKeys::numbered(QStringLiteral("frmCompareFileSelect"), 0, 1, 3, 2,
                                                                     std::nullopt))),
      m_comparisonSlot(new ChildWindowSlot(main, GeometryKeys::numbered(QStringLiteral("CompareFormPosition"), 0, 1, 3, 2,
                                                                        std::nullopt))),
      m_differencesSlot(new ChildWindowSlot(main, GeometryKeys::numbered(QStringLiteral("frmDifferences"), 0, 1, 3, 2,
                                                                         std::nullopt)))
{
    m_popup->setObjectName(QStringLiteral("mnuAllSettingsPopup"));
    const auto addItem = [this](const char* name, const QString& caption, void (CaptureCommands::*slot)()) {
        QAction* action = m_popup->addAction(caption, this, slot);
        action->setObjectName(QString::fromLatin1(name));
    };
    addItem("mnuRefreshAllSettings", QStringLiteral("&Refresh"), &CaptureCommands::mnuRefreshAllSettings_Click);
    addItem("mnuCopyAllSettings", QStringLiteral("&Copy All to Clipboard"), &CaptureCommands::mnuCopyAllSettings_Click);
    addItem("mnuCaptureAllSettings", QStringLiteral("&Capture to File"), &CaptureCommands::mnuCaptureAllSettings_Click);

    main.setMenuCommand(QStringLiteral("mnuAllSettings"), [&views] { views.mnuAllSettings_Click(); });
    main.setMenuCommand(QStringLiteral("mnuCompareSettings"), [this] { mnuCompareSettings_Click(); });
}

CaptureCommands::~CaptureCommands() = default;

FrmCompareFileSelect* CaptureCommands::compareWindow() const
{
    return qobject_cast<FrmCompareFileSelect*>(m_compareSlot->widget());
}

const GridModel* CaptureCommands::activeGrid() const
{
    const int index = m_data.tables().ActiveTableIndex;
    if (index == MeterTables::kSystemSettingsGrid)
        return &m_data.systemSettings().grid();
    return isTableIndex(index) ? &m_data.tables().table(index).grid() : nullptr;
}

QString CaptureCommands::downloadsFolder() const
{
    return FolderLocations(m_main.settings(), m_main.folders()).folderInUse(FolderLocations::Downloads);
}

void CaptureCommands::mnuRefreshAllSettings_Click()
{
    const int index = m_data.tables().ActiveTableIndex;
    if (index == kAllSettingsTable) {
        m_data.openTable(kAllSettingsTable);
        return;
    }
    // A table read in a step of its own starts that step again; the system settings and meter
    // info come from the steps that start every cycle.
    int step = 0;
    while (step < kPollStepCount && RegisterMap::tableOfStep(step) != index)
        ++step;
    m_sequencer.setPollStep(step < kPollStepCount ? step : 0);
}

void CaptureCommands::mnuCopyAllSettings_Click()
{
    if (const GridModel* grid = activeGrid())
        m_main.shell().setClipboardText(SettingsCapture::clipboardText(*grid, m_data.tables().ActiveTableIndex));
}

void CaptureCommands::mnuCaptureAllSettings_Click()
{
    const GridModel* grid = activeGrid();
    if (!grid)
        return;
    const SettingsCaptureFiles::Result result =
        m_captures.write(downloadsFolder(), SettingsCapture::fileText(*grid, m_data.tables().ActiveTableIndex));
    if (!result.ok()) {
        m_main.shell().showMessage(MessageSink::Severity::Critical, kAppTitle, result.error);
        return;
    }
    m_compareFiles->Add_New_File(result.path);
}

void CaptureCommands::showCompareFileListAfresh()
{
    m_compareSlot->close();
    mnuCompareSettings_Click();
}

void CaptureCommands::mnuCompareSettings_Click()
{
    if (QMdiSubWindow* open = m_compareSlot->window()) {
        if (open->isMinimized())
            open->showNormal();
        m_main.mdiArea()->setActiveSubWindow(open);
        return;
    }
    auto* window = new FrmCompareFileSelect(*m_compareFiles, m_main.shell(), [this] { return downloadsFolder(); },
                                            m_main.folders().programFolder);
    connect(window, &FrmCompareFileSelect::compareRequested, this, &CaptureCommands::compareChecked);
    m_compareSlot->open(window);
}

FrmCompare* CaptureCommands::comparisonWindow() const
{
    return qobject_cast<FrmCompare*>(m_comparisonSlot->widget());
}

namespace {

FrmCompare* shownWindow(MDIForm1& main, ChildWindowSlot& slot, FrmCompare::Kind kind)
{
    if (!slot.isOpen())
        slot.open(new FrmCompare(kind, main.shell()));
    main.mdiArea()->setActiveSubWindow(slot.window());
    return qobject_cast<FrmCompare*>(slot.widget());
}

} // namespace

void CaptureCommands::compareChecked()
{
    const bool wasOpen = m_comparisonSlot->isOpen();
    FrmCompare* comparison = shownWindow(m_main, *m_comparisonSlot, FrmCompare::Kind::Comparison);
    if (!wasOpen) {
        connect(comparison, &FrmCompare::listDifferencesRequested, this, [this, comparison] {
            const bool differencesOpen = m_differencesSlot->isOpen();
            FrmCompare* differences = shownWindow(m_main, *m_differencesSlot, FrmCompare::Kind::Differences);
            if (!differencesOpen)
                connect(differences, &FrmCompare::scriptCreated, this, &CaptureCommands::scriptCreated);
            differences->showDifferences(comparison->grid(), comparison->compared(), comparison->LastComparedFilePath());
        });
    }
    comparison->Compare(m_compareFiles->useChecked());
}

} // namespace halvana
