#include "sim/xmodem_receiver.h"

#include "core/upgrade/xmodem_block.h"

#include <QStringList>

namespace halvana {

std::optional<UpgradeFaults> UpgradeFaults::parse(const QString& text, QString* error)
{
    UpgradeFaults faults;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString key = item.section(QLatin1Char('='), 0, 0).trimmed();
        bool ok = false;
        const int block = item.section(QLatin1Char('='), 1).trimmed().toInt(&ok);
        QList<int>* list = key == QLatin1String("nak")      ? &faults.nak
                           : key == QLatin1String("drop")   ? &faults.drop
                           : key == QLatin1String("cancel") ? &faults.cancel
                                                            : nullptr;
        if (!list || !ok || block < 1) {
            *error = QStringLiteral("--upgrade-faults: \"%1\" is not nak=N, drop=N or cancel=N with a block number N >= 1")
                         .arg(item);
            return std::nullopt;
        }
        list->append(block);
    }
    return faults;
}

QByteArray XmodemReceiver::receive(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        if (m_state != State::Receiving)
            break;
        if (!m_pending.isEmpty()) {
            m_pending += c;
            if (m_pending.size() == xmodem::kBlockSize) {
                out += answerBlock(m_pending);
                m_pending.clear();
            }
            continue;
        }
        // Between blocks: the start of the next one, the end, or the sender's cancel.
        const bool afterCan = m_afterCan;
        m_afterCan = c == xmodem::CAN;
        if (c == xmodem::SOH) {
            m_pending += c;
        } else if (c == xmodem::EOT) {
            m_state = State::Received;
            out += xmodem::ACK;
        } else if (c == xmodem::CAN && afterCan) {
            m_state = State::Canceled;
        }
    }
    return out;
}

QByteArray XmodemReceiver::answerBlock(const QByteArray& block)
{
    m_started = true;
    const int number = quint8(block[1]);
    const QByteArray data = block.mid(3, xmodem::kDataSize);
    const quint16 crc = quint16(quint8(block[131]) << 8 | quint8(block[132]));
    if (quint8(block[2]) != quint8(~number) || xmodem::crc16(data) != crc)
        return QByteArray(1, xmodem::NAK);
    // A block sent again because its ACK was lost: acknowledged, not kept twice.
    if (number == ((m_expected - 1) & 0xFF))
        return QByteArray(1, xmodem::ACK);
    if (number != (m_expected & 0xFF))
        return cancel();
    if (takeFault(m_faults.cancel, m_expected))
        return cancel();
    if (takeFault(m_faults.nak, m_expected))
        return QByteArray(1, xmodem::NAK);
    m_data += data;
    ++m_expected;
    if (takeFault(m_faults.drop, m_expected - 1))
        return QByteArray();
    return QByteArray(1, xmodem::ACK);
}

bool XmodemReceiver::takeFault(QList<int>& list, int number)
{
    return list.removeOne(number);
}

QByteArray XmodemReceiver::cancel()
{
    m_state = State::Canceled;
    return QByteArray(2, xmodem::CAN);
}

} // namespace halvana
