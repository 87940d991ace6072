#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace halvana {

class Clock;
class TerminalConsole;
class Timer;

// The terminal runner of `frmScript` without its widgets: the command list (`lstSP_Cmds`) and
// its selected row, the two delays and `tmrScript`. Every line goes unchanged through the
// terminal's send queue; the wait before the next line (delay 1, or delay 2 after a
// "meter del") counts from the line's last character, so a slow line never shortens it.
class TerminalScriptRunner : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultDelay1 = 100;
    static constexpr int kDefaultDelay2 = 5000;

    // The terminal may be null (none is open): nothing is sent until one is set.
    TerminalScriptRunner(TerminalConsole* terminal, Clock& clock, QObject* parent = nullptr);
    ~TerminalScriptRunner() override;

    // The terminal that sends from now on; a run in progress pauses, so nothing sent through
    // one terminal is paced by another.
    void setTerminal(TerminalConsole* terminal);
    bool hasTerminal() const { return m_terminal != nullptr; }

    // `GetSP_Cmd_List`: the script's lines, none selected; a run in progress stops.
    void setLines(const QStringList& lines);
    const QStringList& lines() const { return m_lines; }
    // -1 when no row is selected.
    int selectedRow() const { return m_selected; }
    void selectRow(int row);

    int delay(int which) const { return which == 0 ? m_delay1 : m_delay2; }
    // `txtDelay(i)` changed: a number above 0 becomes delay i; the text the box shows again.
    QString setDelayText(int which, const QString& text);
    void setDelays(int delay1, int delay2);

    bool running() const { return m_running; }
    void cmdRun();
    void cmdPause();
    void cmdSingleStep();

signals:
    // The row to show selected, and the row to scroll into view first (the look-ahead).
    void rowSelected(int row, int scrollTo);
    void runningChanged(bool running);
    // A line went to the terminal.
    void lineSent(int row, const QString& text);

private:
    void SendCommands();
    // Selects the row after the selected one, looking three rows ahead when there are enough.
    void advanceSelection();
    void send(int row, bool paced);
    void setRunning(bool running);

    TerminalConsole* m_terminal;
    std::unique_ptr<Timer> tmrScript;
    QStringList m_lines;
    int m_selected = -1;
    int m_delay1 = kDefaultDelay1;
    int m_delay2 = kDefaultDelay2;
    bool m_running = false;
    // Counts runs, so that the end of a line sent in an earlier run arms nothing.
    quint64 m_run = 0;
};

} // namespace halvana
