#include "gui/terminal/terminal_wiring.h"

#include "core/app/folder_locations.h"
#include "core/app/login_level.h"
#include "core/session/unit_session.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/terminal/frm_terminal.h"

#include <QMdiSubWindow>


namespace halvana {

namespace {

GeometryKeys terminalGeometryKeys()
{
    const auto key = [](const char* name) {
        return SettingKey{FrmTerminal::kLayoutSection, FrmTerminal::kLayoutPrefix + QLatin1String(name)};
    };
    return {key("_Left"), key("_Top"), key("_Width"), key("_Height"), key("_State")};
}

} // namespace

TerminalWiring::TerminalWiring(MDIForm1& form, Clock& clock, UnitSession& session,
                               std::function<void()> showComparison)
    : QObject(&form),
      m_form(form),
      m_clock(clock),
      m_session(session),
      m_showComparison(std::move(showComparison)),
      m_slot(new ChildWindowSlot(form, terminalGeometryKeys(), QStringLiteral("mnuTerminal"),
                                 &form.flags().terminalEnabled))
{
    m_slot->setDefaultSize(QSize(twipsToPixels(10080), twipsToPixels(6300)));
    connect(m_slot, &ChildWindowSlot::closed, this, [this](bool byUser) {
        if (byUser)
            m_form.setTerminalWindowOpen(false);
        emit closed();
    });
    connect(&form, &MDIForm1::loadFinished, this, [this] {
        if (m_form.loginLevel() == LoginLevel::Supervisor && m_form.flags().terminalEnabled && !m_slot->isOpen())
            open();
    });
    form.setMenuCommand(QStringLiteral("mnuTerminal"), [this] { mnuTerminal_Click(); });
}

void TerminalWiring::mnuTerminal_Click()
{
    m_slot->toggle([this] { open(); });
    m_form.setTerminalWindowOpen(m_slot->isOpen());
}

FrmTerminal* TerminalWiring::terminal() const
{
    return qobject_cast<FrmTerminal*>(m_slot->widget());
}

void TerminalWiring::open()
{
    MDIForm1* form = &m_form;
    FrmTerminal::Context context{m_form.settings(),
                                 m_form.shell(),
                                 m_clock,
                                 m_session.serviceTransport(),
                                 m_form.folders().programFolder,
                                 [form] {
                                     return FolderLocations(form->settings(), form->folders())
                                         .folderInUse(FolderLocations::Downloads);
                                 },
                                 m_showComparison};
    auto* window = new FrmTerminal(std::move(context));
    m_slot->open(window);
    m_form.setTerminalWindowOpen(true);
    emit opened(window);
}

} // namespace halvana
