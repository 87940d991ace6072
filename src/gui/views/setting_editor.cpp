#include "gui/views/setting_editor.h"

#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/device/setting_edit.h"
#include "core/device/setting_writes.h"
#include "core/session/unit_session.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"
#include "gui/views/data_views.h"
#include "gui/views/frm_change_setting.h"

namespace halvana {

namespace {
constexpr Rgb kEditingCell{192, 255, 255};
} // namespace

SettingEditor::SettingEditor(MDIForm1& form, UnitSession& session, DataViews& views)
    : QObject(&views), m_form(form), m_session(session)
{
    connect(&views, &DataViews::meterTableDoubleClicked, this, &SettingEditor::MSFlexGrid1_DblClick);
}

void SettingEditor::MSFlexGrid1_DblClick(int table, int row, int column)
{
    DeviceData& data = m_session.data();
    SettingWrites& writes = m_session.writes();
    Sequencer& sequencer = m_session.sequencer();
    MeterTable& meterTable = data.tables().table(table);
    GridModel& grid = meterTable.grid();
    const SettingCell cell{table,           meterTable.caption(), m_form.loginLevel(), data.model().RegisterMapVersion,
                           row,             column,               grid.text(row, column)};
    const SettingEditTarget target = SettingEdit::target(cell);
    // One write at a time: the one under way decides when polling resumes.
    if (!target.editable() || writes.WritePending() || writes.GlobalWriteStep() != 0)
        return;

    const ChangeSettingForm form(cell.text, target.kind == SettingEditTarget::Kind::Global);
    sequencer.setPollingDisabled(true);
    sequencer.setMainTimerEnabled(false);
    const std::optional<Rgb> background = grid.background(row, column);
    grid.setBackground(row, column, kEditingCell);
    FrmChangeSetting dialog(form, &m_form);
    const bool confirmed = m_form.shell().runDialog(dialog) == QDialog::Accepted;
    grid.setBackground(row, column, background);

    const auto resumePolling = [&] {
        sequencer.setPollingDisabled(false);
        sequencer.setMainTimerEnabled(true);
    };
    if (!confirmed) {
        resumePolling();
        return;
    }
    const ChangeSettingForm::Result result = form.accept(dialog.valueText(), dialog.panelText());
    if (!result.value) {
        m_form.shell().showMessage(MessageSink::Severity::Critical, SettingEdit::kCaption, SettingEdit::kRangeMessage);
        resumePolling();
        return;
    }
    if (!SettingEdit::start(target, *result.value, result.PanelNumber, writes, sequencer))
        resumePolling();
}

} // namespace halvana
