#include "core/terminal/console_text.h"

#include "core/terminal/password_masking.h"

namespace halvana {

namespace {

constexpr QChar kEscape(27);
constexpr QChar kBackspace(8);

// Blocks that a unit sends to erase the character before the cursor.
bool isEraseBlock(const QString& block)
{
    static const QString forms[] = {QStringLiteral("\b\b "), QStringLiteral("\b "), QStringLiteral("\b \b")};
    return std::find(std::begin(forms), std::end(forms), block) != std::end(forms);
}

} // namespace

void ConsoleText::setMasking(bool masking)
{
    m_masking = masking;
    // Switched on, the next block's check runs over everything shown.
    if (masking)
        m_scanFrom = 0;
}

void ConsoleText::receive(const QString& block)
{
    if (m_text.size() > kMaxCharacters)
        trim();
    if (isEraseBlock(block)) {
        removeBack(1);
        return;
    }

    QString shown;
    shown.reserve(block.size());
    int erased = 0;
    for (const QChar c : block) {
        if (m_skipNext) {
            m_skipNext = false;
            continue;
        }
        const bool afterCr = m_afterCr;
        m_afterCr = c == QLatin1Char('\r');
        if (c == kEscape) {
            m_skipNext = true;
        } else if (c == kBackspace) {
            if (!shown.isEmpty())
                shown.chop(1);
            else if (erased < m_text.size())
                ++erased;
        } else if (c == QLatin1Char('\r')) {
            shown += QLatin1Char('\n');
        } else if (c != QLatin1Char('\n') || !afterCr) {
            shown += c;
        }
    }
    removeBack(erased);
    if (!shown.isEmpty()) {
        m_text += shown;
        emit appended(shown);
    }
    if (m_masking)
        mask();
}

void ConsoleText::trim()
{
    int count = kTrimFrom - 1;
    const int lineEnd = m_text.indexOf(QLatin1Char('\n'), count);
    if (lineEnd >= 0)
        count = lineEnd + 1;
    m_text.remove(0, count);
    m_scanFrom = qMax(0, m_scanFrom - count);
    emit frontRemoved(count);
}

void ConsoleText::removeBack(int count)
{
    count = qMin(count, int(m_text.size()));
    if (count <= 0)
        return;
    m_text.chop(count);
    m_scanFrom = qMin(m_scanFrom, int(m_text.size()));
    m_afterCr = false;
    emit backRemoved(count);
}

void ConsoleText::mask()
{
    const int from = m_scanFrom;
    m_scanFrom = int(m_text.size());
    if (m_text.indexOf(kTelnetRefusal, qMax(0, from - int(kTelnetRefusal.size()) + 1)) >= 0) {
        m_masking = false;
        return;
    }
    const QList<int> positions = maskPasswords(m_text, from);
    for (const int at : positions)
        emit replaced(at, kPasswordMask);
}

} // namespace halvana
