#pragma once

#include <QObject>
#include <QString>

namespace halvana {

class ChildWindowSlot;
class Clock;
class FrmScript;
class MDIForm1;
class TerminalWiring;

// Joins the main window to the terminal runner: Service > "&Run Script via Terminal "
// (`mnuRunScript`) opens the service terminal when it is closed, then shows `frmScript`, which
// sends through that terminal and mirrors its text. A terminal opened later is taken up too.
class ScriptWiring : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultHeightTwips = 4755;
    static constexpr int kDefaultWidthTwips = 10725;

    ScriptWiring(MDIForm1& form, Clock& clock, TerminalWiring& terminal);

    void mnuRunScript_Click();
    // The script builder's run via the terminal: the file joins the runner's list, selected,
    // and the runner shows.
    void runScript(const QString& path);
    FrmScript* window() const;

private:
    MDIForm1& m_form;
    Clock& m_clock;
    TerminalWiring& m_terminal;
    ChildWindowSlot* m_slot;
};

} // namespace halvana
