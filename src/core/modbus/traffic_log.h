#pragma once

#include <QObject>
#include <QString>

namespace halvana {

// The Data Spy: the Modbus traffic as text, with the pause and single-step controls that the
// polling sequencer obeys. The window shows text() and follows appended()/trimmed().
class TrafficLog : public QObject {
    Q_OBJECT
public:
    // Above kMaxChars the oldest kTrimChars go, and the text then starts at a line.
    static constexpr int kMaxChars = 200000;
    static constexpr int kTrimChars = 20000;

    using QObject::QObject;

    // Spy-enabled, i.e. the Data Spy menu item is checked: "Started"/"Stopped" mark the switch.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Pausing marks the log with "Pause" at once, or after the reply being awaited.
    bool DataSpyPaused() const { return m_paused; }
    void setPaused(bool paused);
    // One polling request may go out while paused; a "Pause" marker follows its reply.
    bool DataSpySingleStep() const { return m_singleStep; }
    void requestSingleStep();
    // For the sequencer: true (and the step consumed) when this tick may run.
    bool takeTickPermission();

    // The link says whether a reply is awaited, so a pause lands between whole exchanges.
    void setReplyAwaited(bool awaited) { m_replyAwaited = awaited; }

    // Direction "Sent" logs a request; anything else a reply. Nothing while not enabled.
    void UpdateDataSpy(const QString& direction, const QString& hex);
    // A line about the exchange (an exception, a dropped reply), logged like a reply.
    void note(const QString& text);

    // Appends with the trim rule; escape sequences (ESC and the character after it) vanish.
    void ShowData(const QString& text);

    const QString& text() const { return m_text; }
    void clear();

signals:
    void appended(const QString& chunk);
    // The first `count` characters were removed.
    void trimmed(int count);
    void cleared();
    void enabledChanged(bool enabled);
    void pausedChanged(bool paused);

private:
    void lineBreakIfNotEmpty();

    QString m_text;
    bool m_enabled = false;
    bool m_paused = false;
    bool m_singleStep = false;
    bool m_pauseMarkerPending = false;
    bool m_runMarkerPending = false;
    bool m_replyAwaited = false;
};

} // namespace halvana
