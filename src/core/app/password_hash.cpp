#include "core/app/password_hash.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

namespace halvana {

namespace {

const QString kPrefix = QStringLiteral("pbkdf2-sha256");
constexpr int kIterations = 100000;
constexpr int kMaxIterations = 1000000; // bounds the work a damaged or hostile store can ask for
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32; // one SHA-256 output: PBKDF2 needs a single block

QByteArray pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    mac.addData(QByteArray::fromHex("00000001"));
    QByteArray u = mac.result();
    QByteArray key = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int b = 0; b < key.size(); ++b)
            key[b] = static_cast<char>(key[b] ^ u[b]);
    }
    return key;
}

bool equalInConstantTime(const QByteArray& a, const QByteArray& b)
{
    // Every byte of the longer text is visited, so the time tells only the lengths.
    const int length = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    for (int i = 0; i < length; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

QByteArray strictBase64(const QString& text)
{
    const auto result = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return result ? *result : QByteArray();
}

} // namespace

QString hashPassword(const QString& password)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    const QByteArray key = pbkdf2Sha256(password.toUtf8(), salt, kIterations);
    return QStringList{kPrefix, QString::number(kIterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(key.toBase64())}
        .join(QLatin1Char('$'));
}

bool isHashedPassword(const QString& stored)
{
    return stored.startsWith(kPrefix + QLatin1Char('$'));
}

bool passwordMatches(const QString& stored, const QString& typed)
{
    if (!isHashedPassword(stored))
        return equalInConstantTime(stored.toUtf8(), typed.toUtf8());
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4)
        return false;
    bool isNumber = false;
    const int iterations = parts[1].toInt(&isNumber);
    const QByteArray salt = strictBase64(parts[2]);
    const QByteArray key = strictBase64(parts[3]);
    if (!isNumber || iterations < 1 || iterations > kMaxIterations || salt.isEmpty() || key.size() != kKeyBytes)
        return false;
    return equalInConstantTime(pbkdf2Sha256(typed.toUtf8(), salt, iterations), key);
}

} // namespace halvana
