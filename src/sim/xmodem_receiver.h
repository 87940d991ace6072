#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace halvana {

// What --upgrade-faults asks of the receiver, by block number. Each entry acts on one arrival
// of its block, so "nak=3,nak=3" refuses block 3 twice.
struct UpgradeFaults {
    QList<int> nak;    // answered with NAK, as if its CRC were bad
    QList<int> drop;   // kept, but its ACK is lost: the sender must send it again
    QList<int> cancel; // answered with CAN CAN: the unit gives up

    // "nak=N,drop=N,cancel=N" in any order and number; nothing, with a message, when bad.
    static std::optional<UpgradeFaults> parse(const QString& text, QString* error);
};

// The unit's XMODEM-CRC receiver: takes blocks as they arrive, checks number, complement and
// CRC, answers each, keeps the data of every new block and ACKs a repeated one without keeping
// it again. EOT ends the transfer, CAN CAN or a block out of sequence cancels it.
class XmodemReceiver {
public:
    enum class State { Receiving, Received, Canceled };

    explicit XmodemReceiver(UpgradeFaults faults = {}) : m_faults(std::move(faults)) {}

    // The answer to what arrived; empty when none is due yet.
    QByteArray receive(const QByteArray& bytes);
    State state() const { return m_state; }
    // The data of the blocks received, padding included.
    const QByteArray& data() const { return m_data; }
    // Some block has arrived.
    bool hasStarted() const { return m_started; }

private:
    QByteArray answerBlock(const QByteArray& block);
    bool takeFault(QList<int>& list, int number);
    QByteArray cancel();

    UpgradeFaults m_faults;
    QByteArray m_pending;
    QByteArray m_data;
    int m_expected = 1;
    bool m_started = false;
    bool m_afterCan = false;
    State m_state = State::Receiving;
};

} // namespace halvana
