#include "core/app/channel_names.h"

#include "core/app/definition_file.h"

namespace halvana {

ChannelNames ChannelNames::fromText(const QString& text)
{
    ChannelNames table;
    table.m_names = splitLines(text).mid(0, kMaxChannels);
    return table;
}

ChannelNames ChannelNames::load(const QString& programFolder, MessageSink& messages)
{
    ChannelNames table;
    table.m_names = readDefinitionFileLines(programFolder + QLatin1Char('/') + kFileName, messages)
                        .mid(0, kMaxChannels);
    return table;
}

QString ChannelNames::nameOfChannel(int channel) const
{
    return channel >= 1 && channel <= count() ? m_names.at(channel - 1) : QString();
}

} // namespace halvana
