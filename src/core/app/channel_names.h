#pragma once

#include <QStringList>

namespace halvana {

class MessageSink;

// Names of the monitoring channels, channel n at index n - 1, from "BCM_Channels.txt".
class ChannelNames {
public:
    static constexpr int kMaxChannels = 289;

    // Reads the file; a missing file is reported and leaves the table empty. Lines past the
    // 289th are ignored.
    static ChannelNames load(const QString& programFolder, MessageSink& messages);
    static ChannelNames fromText(const QString& text);

    int count() const { return int(m_names.size()); }
    // Name of channel 1..289; empty outside the table.
    QString nameOfChannel(int channel) const;
    const QStringList& names() const { return m_names; }

    static inline const QString kFileName = QStringLiteral("BCM_Channels.txt");

private:
    QStringList m_names;
};

} // namespace halvana
