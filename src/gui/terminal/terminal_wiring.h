#pragma once

#include <QObject>

#include <functional>

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
    // The clock and the session must outlive this object. showComparison is the terminal's
    // Compare: it shows the comparison file list afresh.
    TerminalWiring(MDIForm1& form, Clock& clock, UnitSession& session, std::function<void()> showComparison);

    void mnuTerminal_Click();
    // The open terminal window, if any.
    FrmTerminal* terminal() const;

signals:
    void opened(halvana::FrmTerminal* terminal);
    void closed();

private:
    void open();

    MDIForm1& m_form;
    Clock& m_clock;
    UnitSession& m_session;
    std::function<void()> m_showComparison;
    ChildWindowSlot* m_slot;
};

} // namespace halvana
