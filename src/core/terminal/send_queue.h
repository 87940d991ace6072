#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

namespace halvana {

class Clock;
class Timer;
class Transport;

// The service terminal's way out: lines leave first in, first out, one character every
// kCharacterMs, each line whole before the next one starts, so a button pressed (or a script
// line sent) while a line is still going out never interleaves with it. Nothing waits: the
// characters leave from timer ticks and the event loop runs on meanwhile.
class TerminalSendQueue : public QObject {
    Q_OBJECT
public:
    static constexpr int kCharacterMs = 20;

    explicit TerminalSendQueue(Clock& clock, QObject* parent = nullptr);
    ~TerminalSendQueue() override;

    // Characters go to this port while it is open; while it is closed they are paced all the
    // same and dropped.
    void setTransport(Transport* transport) { m_transport = transport; }

    // Queues `text`. Its first character leaves at once when nothing is queued before it.
    // `sent` runs when the line is over: kCharacterMs after its last character, so a caller
    // that waits after a line counts from there.
    void enqueue(const QString& text, std::function<void()> sent = {});
    bool isBusy() const { return !m_lines.empty(); }
    // Forgets what has not gone out (the port was let go).
    void clear();

signals:
    void lineSent(const QString& text);

private:
    struct Line {
        QString text;
        QByteArray bytes;
        int next = 0;
        std::function<void()> sent;
    };

    void tick();
    void finishFront();
    // Puts out the front line's next character.
    void step();

    Transport* m_transport = nullptr;
    std::unique_ptr<Timer> m_timer;
    std::deque<Line> m_lines;
    bool m_stepping = false;
};

} // namespace halvana
