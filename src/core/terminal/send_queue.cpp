#include "core/terminal/send_queue.h"

#include "core/modbus/transport.h"
#include "core/time/clock.h"

namespace halvana {

TerminalSendQueue::TerminalSendQueue(Clock& clock, QObject* parent)
    : QObject(parent), m_timer(clock.createTimer(kCharacterMs))
{
    m_timer->setCallback([this] { tick(); });
}

TerminalSendQueue::~TerminalSendQueue() = default;

void TerminalSendQueue::enqueue(const QString& text, std::function<void()> sent)
{
    const bool idle = m_lines.empty();
    m_lines.push_back({text, text.toLatin1(), 0, std::move(sent)});
    // A line queued from a `sent` callback goes out from the step that runs after it.
    if (idle && !m_stepping)
        step();
}

void TerminalSendQueue::clear()
{
    m_lines.clear();
    m_timer->stop();
}

void TerminalSendQueue::tick()
{
    // The front line's last character has had its time.
    m_stepping = true;
    if (!m_lines.empty() && m_lines.front().next >= m_lines.front().bytes.size())
        finishFront();
    m_stepping = false;
    step();
}

void TerminalSendQueue::finishFront()
{
    Line done = std::move(m_lines.front());
    m_lines.pop_front();
    if (done.sent)
        done.sent();
    emit lineSent(done.text);
}

void TerminalSendQueue::step()
{
    m_stepping = true;
    // An empty line takes no time.
    while (!m_lines.empty() && m_lines.front().bytes.isEmpty())
        finishFront();
    m_stepping = false;
    if (m_lines.empty()) {
        m_timer->stop();
        return;
    }
    Line& line = m_lines.front();
    if (m_transport && m_transport->isOpen())
        m_transport->write(line.bytes.mid(line.next, 1));
    ++line.next;
    if (!m_timer->isActive())
        m_timer->start();
}

} // namespace halvana
