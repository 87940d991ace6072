#pragma once

#include <QObject>

namespace halvana {

class ChildWindowSlot;
class Clock;
class FrmTerminal;
class MDIForm1;
class UnitSession;

// Joins the main window to the service terminal: `mnuTerminal` opens and closes `frmTerminal`
// on the session's service port, and the window reopens at start when it was left open.
class TerminalWiring : public QObject {
    Q_OBJECT
public:
    // The clock and the session must outlive this object.
    TerminalWiring(MDIForm1& form, Clock& clock, UnitSession& session);

    void mnuTerminal_Click();
    // The open terminal window, if any.
    FrmTerminal* terminal() const;

private:
    void open();

    MDIForm1& m_form;
    Clock& m_clock;
    UnitSession& m_session;
    ChildWindowSlot* m_slot;
};

} // namespace halvana
