#include "core/files/text_codec.h"

#include <QHash>
#include <QStringDecoder>

namespace halvana {

namespace {

// 0x80..0x9F, where Windows-1252 differs from Latin-1; 0 marks the undefined bytes.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t unicodeOf(unsigned char byte)
{
    if (byte < 0x80 || byte > 0x9F)
        return byte;
    const char16_t mapped = kHighControls[byte - 0x80];
    return mapped ? mapped : byte;
}

const QHash<char16_t, char>& bytesOfHighControls()
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int b = 0x80; b <= 0x9F; ++b)
            t.insert(unicodeOf(static_cast<unsigned char>(b)), static_cast<char>(b));
        return t;
    }();
    return table;
}

bool hasMultiByteSequence(const QByteArray& bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

} // namespace

QByteArray toWindows1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            out.append(static_cast<char>(u));
        else
            out.append(bytesOfHighControls().value(u, '?'));
    }
    return out;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        out.append(QChar(unicodeOf(static_cast<unsigned char>(c))));
    return out;
}

QString decodeFileText(const QByteArray& bytes)
{
    if (hasMultiByteSequence(bytes)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    return fromWindows1252(bytes);
}

} // namespace halvana
