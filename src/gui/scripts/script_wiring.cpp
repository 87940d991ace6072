#include "gui/scripts/script_wiring.h"

#include "core/app/folder_locations.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/scripts/frm_script.h"
#include "gui/terminal/frm_terminal.h"
#include "gui/terminal/terminal_wiring.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace halvana {

ScriptWiring::ScriptWiring(MDIForm1& form, Clock& clock, TerminalWiring& terminal)
    : QObject(&form),
      m_form(form),
      m_clock(clock),
      m_terminal(terminal),
      m_slot(new ChildWindowSlot(form, GeometryKeys::numbered(QStringLiteral("frmScript"), 0, 1, 3, 2, std::nullopt)))
{
    m_slot->setDefaultSize(QSize(twipsToPixels(kDefaultWidthTwips), twipsToPixels(kDefaultHeightTwips)));
    form.setMenuCommand(QStringLiteral("mnuRunScript"), [this] { mnuRunScript_Click(); });
    connect(&terminal, &TerminalWiring::opened, this, [this](FrmTerminal* t) {
        if (FrmScript* w = window())
            w->attachTerminal(t);
    });
    connect(&terminal, &TerminalWiring::closed, this, [this] {
        if (FrmScript* w = window())
            w->attachTerminal(nullptr);
    });
}

FrmScript* ScriptWiring::window() const
{
    return qobject_cast<FrmScript*>(m_slot->widget());
}

void ScriptWiring::mnuRunScript_Click()
{
    if (!m_terminal.terminal())
        m_terminal.mnuTerminal_Click();
    if (!m_slot->isOpen()) {
        MDIForm1* form = &m_form;
        FrmScript::Context context{m_form.settings(), m_form.shell(), m_clock, m_form.folders().scriptFileListsFolder(),
                                   [form] {
                                       return FolderLocations(form->settings(), form->folders())
                                           .folderInUse(FolderLocations::Scripts);
                                   }};
        m_slot->open(new FrmScript(std::move(context)));
    }
    window()->attachTerminal(m_terminal.terminal());
    m_form.mdiArea()->setActiveSubWindow(m_slot->window());
}

void ScriptWiring::runScript(const QString& path)
{
    mnuRunScript_Click();
    window()->AddFile(path);
}

} // namespace halvana
