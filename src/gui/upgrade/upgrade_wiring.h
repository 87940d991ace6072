#pragma once

#include <QObject>

namespace halvana {

class ChildWindowSlot;
class Clock;
class FrmUpgrade;
class MDIForm1;
class TerminalWiring;
class UnitSession;

// Joins the main window to the upgrade window: `mnuUpgrade` makes sure the service terminal is
// open (it opens it when closed and leaves an open one as it is, since the upgrade's command
// goes through it), then shows `frmUpgrade`. The reboot's text goes into the open window.
class UpgradeWiring : public QObject {
    Q_OBJECT
public:
    UpgradeWiring(MDIForm1& form, Clock& clock, UnitSession& session, TerminalWiring& terminal);

    void mnuUpgrade_Click();
    FrmUpgrade* window() const;

private:
    MDIForm1& m_form;
    Clock& m_clock;
    UnitSession& m_session;
    TerminalWiring& m_terminal;
    ChildWindowSlot* m_slot;
};

} // namespace halvana
