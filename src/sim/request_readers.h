#pragma once

#include <QByteArray>
#include <QList>

namespace halvana {

// Cuts what a slave receives on an RS-485 line into request frames. The end of a frame is
// known from its function code (3: 8 bytes, 16: 9 + byte count); bytes of any other function
// wait for the line to fall silent.
class RtuRequestReader {
public:
    // The longest frame the line allows; more without a pause is noise.
    static constexpr int kMaxFrame = 256;

    // Appends received bytes and returns the complete frames whose CRC is good. After a frame
    // with a bad CRC the reader cannot know where the next one starts, so, like a unit, it
    // discards everything until the line falls silent.
    QList<QByteArray> feed(const QByteArray& bytes);
    // The line has been quiet for 3.5 character times: what is left is judged as one frame
    // (returned when its CRC is good) and the reader starts afresh.
    QByteArray silence();

    bool isEmpty() const { return m_buffer.isEmpty(); }
    int droppedFrames() const { return m_dropped; }

private:
    // 0 while not yet known.
    int expectedLength() const;

    QByteArray m_buffer;
    bool m_discarding = false;
    int m_dropped = 0;
};

// Cuts a Modbus TCP byte stream into request ADUs by the length field of their MBAP header.
class TcpRequestReader {
public:
    // Appends bytes and adds the complete ADUs (header included) to `frames`. False when the
    // stream is not Modbus TCP (protocol identifier not 0, impossible length): the caller closes
    // the connection, as the stream cannot be resynchronised.
    bool feed(const QByteArray& bytes, QList<QByteArray>* frames);

private:
    QByteArray m_buffer;
};

} // namespace halvana
