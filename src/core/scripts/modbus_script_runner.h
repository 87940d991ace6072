#pragma once

#include "core/device/sequencer.h"
#include "core/modbus/exchange.h"
#include "core/scripts/script_language.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace halvana {

class ModbusLink;
class PollingControl;

// What became of one script line in a Modbus run.
struct ScriptLineResult {
    enum class Outcome { Written, Refused, NoReply, Skipped, NotAWrite };
    int index = 0; // 0-based line of the script
    Outcome outcome = Outcome::NotAWrite;
    int exceptionCode = 0;
    // Refused: the exception's name; NoReply: why; Skipped: what is wrong with the line.
    QString reason;
    QString text;

    // "written", "refused: exception 2 (Illegal Data Address)", "no reply", "skipped: ...",
    // "not a write".
    QString describe() const;
};

// How many lines of a run ended which way.
struct ScriptSummary {
    int written = 0;
    int refused = 0;
    int noReply = 0;
    int skipped = 0;
    bool stopped = false; // ended by Stop before its last line

    bool clean() const { return refused == 0 && noReply == 0 && skipped == 0 && !stopped; }
    // "Script run: 5 written, 0 refused, 0 no reply, 1 skipped".
    QString describe() const;
    void count(ScriptLineResult::Outcome outcome);
};

// The Modbus runner (`ScriptRunning`, `ScriptLines`, `ScriptLineIndex`): a tick client of
// `tmrMain` that turns each "meter write" line into a write of one register, one line per tick
// (`DecipherScript`), never with a write outstanding. A line that is no write, or a write that
// cannot be written, is passed over at once and told; the run ends once the last write's
// outcome is known, with the count of each outcome.
class ModbusScriptRunner : public QObject, public TickClient {
    Q_OBJECT
public:
    ModbusScriptRunner(ModbusLink& link, PollingControl& polling, QObject* parent = nullptr);

    // Starts a run from the first line; false while one runs. An empty script ends at once.
    bool start(const QStringList& lines);
    // Ends the run; a write on its way is still told when its outcome comes.
    void stop();

    bool ScriptRunning() const { return m_running; }
    const QStringList& ScriptLines() const { return m_lines; }
    int ScriptLineIndex() const { return m_index; }
    // The register of the last write sent.
    int WriteRegister() const { return m_writeRegister; }
    const ScriptSummary& summary() const { return m_summary; }

    Turn takeTick() override;
    bool dueWhilePollingDisabled() const override { return m_running; }

signals:
    void lineDone(const halvana::ScriptLineResult& result);
    // The line processed next, for the list that shows the run.
    void lineSelected(int index);
    void finished(const halvana::ScriptSummary& summary);

private:
    Turn DecipherScript();
    void IncrementGlobalWriteSeqStep();
    void onExchangeEnded(const ExchangeOutcome& outcome);
    void report(ScriptLineResult result);
    void finishIfDone();

    ModbusLink& m_link;
    PollingControl& m_polling;
    bool m_running = false;
    QStringList m_lines;
    int m_index = 0;
    int m_writeRegister = 0;
    // The write on its way and its line.
    quint64 m_sentRequest = 0;
    int m_sentIndex = 0;
    ScriptSummary m_summary;
};

} // namespace halvana
