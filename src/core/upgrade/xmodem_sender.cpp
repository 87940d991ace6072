#include "core/upgrade/xmodem_sender.h"

#include "core/modbus/transport.h"
#include "core/time/clock.h"
#include "core/upgrade/upgrade_status.h"
#include "core/upgrade/xmodem_block.h"

namespace halvana {

XmodemSender::XmodemSender(Clock& clock, QObject* parent) : QObject(parent), m_clock(clock)
{
    m_timer = m_clock.createTimer(kPacketTimeoutMs);
    m_timer->setCallback([this] {
        m_timer->stop();
        timedOut();
    });
}

XmodemSender::~XmodemSender()
{
    QObject::disconnect(m_listening);
}

void XmodemSender::start(Transport& port, const QByteArray& image, bool receiverAsked)
{
    QObject::disconnect(m_listening);
    m_port = &port;
    m_image = image;
    m_blockCount = xmodem::blockCount(image.size());
    m_block = 1;
    m_acknowledged = 0;
    m_errors = 0;
    m_afterCan = false;
    m_listening = connect(&port, &Transport::bytesReceived, this, &XmodemSender::bytesIn);
    emit progress(0, m_blockCount);
    if (receiverAsked) {
        setStatus(upgrade_status::kInProcess);
        sendCurrent();
        return;
    }
    m_state = State::WaitStart;
    setStatus(upgrade_status::kStarting);
    m_timer->setInterval(kStartTimeoutMs);
    m_timer->start();
}

void XmodemSender::cancel()
{
    if (isRunning())
        end(upgrade_status::kCanceled, true);
}

void XmodemSender::bytesIn(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (!isRunning())
            return;
        answer(c);
    }
}

void XmodemSender::answer(char c)
{
    // Two CANs in a row are the receiver's cancel, in every state.
    if (c == xmodem::CAN) {
        if (m_afterCan) {
            end(upgrade_status::kCanceled, false);
            return;
        }
        m_afterCan = true;
        return;
    }
    m_afterCan = false;
    switch (m_state) {
    case State::WaitStart:
        if (c == xmodem::kCrcStart) {
            setStatus(upgrade_status::kInProcess);
            sendCurrent();
        }
        break;
    case State::WaitBlockAnswer:
        // A 'C' here is one more of the receiver's start requests, already answered by block 1.
        if (c == xmodem::ACK) {
            m_errors = 0;
            m_acknowledged = m_block;
            emit progress(m_acknowledged, m_blockCount);
            ++m_block;
            sendCurrent();
        } else if (c == xmodem::NAK) {
            error();
        }
        break;
    case State::WaitEotAnswer:
        if (c == xmodem::ACK)
            end(upgrade_status::kSucceeded, false);
        else if (c == xmodem::NAK)
            error();
        break;
    case State::Idle:
        break;
    }
}

// The current block, or EOT once every block is acknowledged. The time-out counts from when
// the last byte has left the wire.
void XmodemSender::sendCurrent()
{
    const bool done = m_block > m_blockCount;
    const QByteArray bytes = done ? QByteArray(1, xmodem::EOT) : xmodem::block(m_image, m_block);
    m_state = done ? State::WaitEotAnswer : State::WaitBlockAnswer;
    m_port->write(bytes);
    const qint32 baud = m_port->baudRate();
    const int wireMs = baud > 0 ? int(qint64(bytes.size()) * 10 * 1000 / baud) : 0;
    m_timer->setInterval(kPacketTimeoutMs + wireMs);
    m_timer->start();
}

void XmodemSender::error()
{
    if (++m_errors >= kMaxErrors)
        end(upgrade_status::kTooManyErrors, true);
    else
        sendCurrent();
}

void XmodemSender::timedOut()
{
    if (m_state == State::WaitStart)
        end(upgrade_status::kNotAbleToStart, false);
    else if (isRunning())
        error();
}

void XmodemSender::end(int code, bool sendCancel)
{
    m_timer->stop();
    m_state = State::Idle;
    QObject::disconnect(m_listening);
    if (sendCancel && m_port)
        m_port->write(QByteArray(2, xmodem::CAN));
    setStatus(code);
    emit finished(code);
}

void XmodemSender::setStatus(int code)
{
    m_status = code;
    emit statusChanged(code);
}

} // namespace halvana
