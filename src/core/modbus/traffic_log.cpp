#include "core/modbus/traffic_log.h"

namespace halvana {

namespace {

const QString kLineBreak = QStringLiteral("\n");

// Drops every escape character together with the character after it.
QString withoutEscapes(const QString& text)
{
    const QChar escape(27);
    if (!text.contains(escape))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == escape)
            ++i;
        else
            out.append(text[i]);
    }
    return out;
}

} // namespace

void TrafficLog::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    if (enabled) {
        lineBreakIfNotEmpty();
        ShowData(kLineBreak + QStringLiteral("Started"));
    } else {
        ShowData(kLineBreak + QStringLiteral("Stopped"));
    }
    m_enabled = enabled;
    emit enabledChanged(enabled);
}

void TrafficLog::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (paused) {
        // Between exchanges the marker goes in now; otherwise it follows the awaited reply.
        m_pauseMarkerPending = m_replyAwaited;
        if (!m_replyAwaited && m_enabled)
            ShowData(kLineBreak + QStringLiteral("Pause"));
    } else {
        m_singleStep = false;
        m_pauseMarkerPending = false;
        m_runMarkerPending = true;
    }
    emit pausedChanged(paused);
}

void TrafficLog::requestSingleStep()
{
    if (!m_paused)
        return;
    m_singleStep = true;
    m_pauseMarkerPending = true;
}

bool TrafficLog::takeTickPermission()
{
    if (m_paused && !m_singleStep)
        return false;
    m_singleStep = false;
    return true;
}

void TrafficLog::UpdateDataSpy(const QString& direction, const QString& hex)
{
    if (!m_enabled)
        return;
    QString entry;
    if (!m_text.isEmpty())
        entry += kLineBreak;
    if (m_runMarkerPending) {
        m_runMarkerPending = false;
        entry += QStringLiteral("Run") + kLineBreak + kLineBreak;
    }
    if (direction == QLatin1String("Sent")) {
        entry += hex;
    } else {
        entry += hex + kLineBreak;
        if (m_paused && m_pauseMarkerPending) {
            m_pauseMarkerPending = false;
            entry += kLineBreak + QStringLiteral("Pause") + kLineBreak;
        }
    }
    ShowData(entry);
}

void TrafficLog::note(const QString& text)
{
    if (!m_enabled)
        return;
    QString entry;
    if (!m_text.isEmpty())
        entry += kLineBreak;
    ShowData(entry + text + kLineBreak);
}

void TrafficLog::ShowData(const QString& text)
{
    if (m_text.size() > kMaxChars) {
        // Keep from the 20000th character on, starting at the next whole line.
        qsizetype cut = kTrimChars - 1;
        const qsizetype lineEnd = m_text.indexOf(QLatin1Char('\n'), cut);
        cut = lineEnd < 0 ? m_text.size() : lineEnd + 1;
        m_text.remove(0, cut);
        emit trimmed(int(cut));
    }
    const QString clean = withoutEscapes(text);
    if (clean.isEmpty())
        return;
    m_text += clean;
    emit appended(clean);
}

void TrafficLog::clear()
{
    m_text.clear();
    emit cleared();
}

void TrafficLog::lineBreakIfNotEmpty()
{
    if (!m_text.isEmpty())
        ShowData(kLineBreak);
}

} // namespace halvana
