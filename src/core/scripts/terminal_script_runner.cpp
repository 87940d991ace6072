#include "core/scripts/terminal_script_runner.h"

#include "core/scripts/script_language.h"
#include "core/terminal/terminal_console.h"
#include "core/time/clock.h"

#include <QPointer>

namespace halvana {

TerminalScriptRunner::TerminalScriptRunner(TerminalConsole* terminal, Clock& clock, QObject* parent)
    : QObject(parent), m_terminal(terminal), tmrScript(clock.createTimer(kDefaultDelay1))
{
    tmrScript->setCallback([this] {
        tmrScript->stop();
        SendCommands();
    });
}

TerminalScriptRunner::~TerminalScriptRunner() = default;

void TerminalScriptRunner::setTerminal(TerminalConsole* terminal)
{
    if (terminal == m_terminal)
        return;
    cmdPause();
    m_terminal = terminal;
}

void TerminalScriptRunner::setLines(const QStringList& lines)
{
    cmdPause();
    m_lines = lines;
    m_selected = -1;
}

void TerminalScriptRunner::selectRow(int row)
{
    m_selected = row >= 0 && row < m_lines.size() ? row : -1;
    emit rowSelected(m_selected, m_selected);
}

QString TerminalScriptRunner::setDelayText(int which, const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok && value > 0)
        (which == 0 ? m_delay1 : m_delay2) = value;
    tmrScript->setInterval(m_delay1);
    return QString::number(delay(which));
}

void TerminalScriptRunner::setDelays(int delay1, int delay2)
{
    setDelayText(0, QString::number(delay1));
    setDelayText(1, QString::number(delay2));
}

void TerminalScriptRunner::cmdRun()
{
    if (m_running || !m_terminal)
        return;
    setRunning(true);
    tmrScript->setInterval(m_delay1);
    tmrScript->start();
}

void TerminalScriptRunner::cmdPause()
{
    tmrScript->stop();
    setRunning(false);
}

// Sends the selected row (an empty line when none is), then selects the next one.
void TerminalScriptRunner::cmdSingleStep()
{
    if (!m_terminal)
        return;
    send(m_selected, false);
    if (m_lines.size() - m_selected >= 2)
        advanceSelection();
}

void TerminalScriptRunner::SendCommands()
{
    if (m_lines.size() - m_selected < 2) {
        setRunning(false);
        return;
    }
    advanceSelection();
    send(m_selected, true);
}

void TerminalScriptRunner::advanceSelection()
{
    const int next = m_selected + 1;
    const int ahead = m_lines.size() - m_selected >= 4 ? m_selected + 3 : next;
    m_selected = next;
    emit rowSelected(next, ahead);
}

void TerminalScriptRunner::send(int row, bool paced)
{
    const QString text = m_lines.value(row);
    m_terminal->setCommandLine(text);
    emit lineSent(row, text);
    if (!paced) {
        m_terminal->SendTLM_Command();
        return;
    }
    const int wait = script::deletesMeters(text) ? m_delay2 : m_delay1;
    // The window may close, and take the runner with it, before the line has left.
    m_terminal->SendTLM_Command([self = QPointer<TerminalScriptRunner>(this), wait, run = m_run] {
        if (!self || !self->m_running || run != self->m_run)
            return;
        self->tmrScript->setInterval(wait);
        self->tmrScript->start();
    });
}

void TerminalScriptRunner::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    if (running)
        ++m_run;
    emit runningChanged(running);
}

} // namespace halvana
