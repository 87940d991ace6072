#include "gui/upgrade/upgrade_wiring.h"

#include "core/modbus/connection_lifecycle.h"
#include "core/session/unit_session.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/terminal/frm_terminal.h"
#include "gui/terminal/terminal_wiring.h"
#include "gui/upgrade/frm_upgrade.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace halvana {

UpgradeWiring::UpgradeWiring(MDIForm1& form, Clock& clock, UnitSession& session, TerminalWiring& terminal)
    : QObject(&form),
      m_form(form),
      m_clock(clock),
      m_session(session),
      m_terminal(terminal),
      m_slot(new ChildWindowSlot(form, GeometryKeys{}, QStringLiteral("mnuUpgrade")))
{
    form.setMenuCommand(QStringLiteral("mnuUpgrade"), [this] { mnuUpgrade_Click(); });
    connect(&session.lifecycle(), &ConnectionLifecycle::upgradeStatusText, this, [this](const QString& text) {
        if (FrmUpgrade* w = window())
            w->showRebootText(text);
    });
}

FrmUpgrade* UpgradeWiring::window() const
{
    return qobject_cast<FrmUpgrade*>(m_slot->widget());
}

void UpgradeWiring::mnuUpgrade_Click()
{
    if (!m_terminal.terminal())
        m_terminal.mnuTerminal_Click();
    if (m_slot->isOpen()) {
        m_form.mdiArea()->setActiveSubWindow(m_slot->window());
        return;
    }
    TerminalWiring* terminal = &m_terminal;
    FrmUpgrade::Context context{m_form,
                                m_form.settings(),
                                m_form.shell(),
                                m_clock,
                                m_session,
                                m_form.folders().appDataFolder,
                                [terminal] { return terminal->terminal(); },
                                [terminal] {
                                    if (terminal->terminal())
                                        terminal->mnuTerminal_Click();
                                }};
    auto* w = new FrmUpgrade(std::move(context));
    QMdiSubWindow* sub = m_slot->open(w);
    w->watchFrame(sub);
    const QRect area = m_form.mdiArea()->viewport()->rect();
    sub->move(qMax(0, (area.width() - sub->width()) / 2), qMax(0, (area.height() - sub->height()) / 2));
}

} // namespace halvana
