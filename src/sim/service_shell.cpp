#include "sim/service_shell.h"

#include "core/device/register_map.h"
#include "core/terminal/password_masking.h"
#include "core/upgrade/upgrade_boards.h"
#include "sim/register_image.h"

#include <QStringList>

#include <optional>

namespace halvana {

namespace {

// System information: the meter count and the firmware version.
constexpr int kMeterCountRegister = 5;
constexpr int kFirmwareRegister = 3;
constexpr int kBuildRegister = 4;
constexpr int kMapRegister = 16;

const QString kLineEnd = QStringLiteral("\r\n");

const QString kHelp = QStringLiteral(
    "Commands:\r\n"
    "  help                      this list\r\n"
    "  status                    firmware, meter count and register map\r\n"
    "  meter write REG VALUE     write VALUE (0..65535) to register REG\r\n"
    "  meter add TYPE NUMBER     add a meter of TYPE (1 2 3 4 5 9) as number NUMBER\r\n"
    "  meter del                 delete all meters\r\n"
    "  meter save                store the configuration\r\n"
    "  upgd, upgdin, upgdtmp     receive a firmware image (MCB, DIB, TIB) by XMODEM-CRC\r\n"
    "  config                    hand the RS-485 port back to Modbus\r\n"
    "  logout                    end the session\r\n");

std::optional<int> number(const QString& text, int min, int max)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= min && n <= max ? std::optional<int>(n) : std::nullopt;
}

QString error(const QString& text)
{
    return QStringLiteral("Error: ") + text + kLineEnd;
}

} // namespace

QByteArray ServiceShell::receive(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        if (c == '\r') {
            out += kLineEnd.toLatin1();
            out += lineEntered(QString::fromLatin1(m_line)).toLatin1();
            m_line.clear();
        } else if (c == '\b' || c == 0x7f) {
            if (!m_line.isEmpty()) {
                m_line.chop(1);
                out += "\b \b";
            }
        } else if (quint8(c) >= 0x20 && m_line.size() < 256) {
            m_line += c;
            out += c;
        }
    }
    return out;
}

QString ServiceShell::lineEntered(const QString& line)
{
    const QString text = line.trimmed();
    // The wake-up text is answered whether or not anyone is logged in.
    if (text == QLatin1String("config"))
        return QStringLiteral("RS-485 port in Modbus mode") + kLineEnd + (m_loggedIn ? kPrompt : kPasswordPrompt);
    if (m_loggedIn) {
        for (const UpgradeBoard& board : kUpgradeBoards) {
            if (text == QLatin1String(board.command)) {
                m_upgradeBoard = QLatin1String(board.caption);
                return QString();
            }
        }
    }
    return m_loggedIn ? command(text) + kPrompt : login(text);
}

QString ServiceShell::login(const QString& line)
{
    if (devicePasswords().contains(line)) {
        m_loggedIn = true;
        return QStringLiteral("Halvana PDU service console. Type help for the commands.") + kLineEnd + kPrompt;
    }
    if (line.isEmpty())
        return kPasswordPrompt;
    return QStringLiteral("Login incorrect") + kLineEnd + kPasswordPrompt;
}

QString ServiceShell::command(const QString& line)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QString();
    const QString verb = words[0].toLower();
    if (verb == QLatin1String("help") && words.size() == 1)
        return kHelp;
    if (verb == QLatin1String("status") && words.size() == 1)
        return status();
    if (verb == QLatin1String("meter"))
        return meterCommand(words);
    if (verb == QLatin1String("logout") && words.size() == 1) {
        m_loggedIn = false;
        return QStringLiteral("Logged out") + kLineEnd;
    }
    return error(QStringLiteral("unknown command \"%1\"; type help for the commands").arg(line));
}

QString ServiceShell::meterCommand(const QStringList& words)
{
    const QString what = words.value(1).toLower();
    if (what == QLatin1String("write"))
        return meterWrite(words);
    if (what == QLatin1String("add"))
        return meterAdd(words);
    if (what == QLatin1String("del") && words.size() == 2)
        return meterDelete();
    if (what == QLatin1String("save") && words.size() == 2) {
        m_unsaved = false;
        return QStringLiteral("Configuration saved") + kLineEnd;
    }
    return error(QStringLiteral("unknown command \"%1\"; type help for the commands").arg(words.join(QLatin1Char(' '))));
}

QString ServiceShell::meterWrite(const QStringList& words)
{
    const auto reg = number(words.value(2), RegisterImage::kFirstRegister, RegisterImage::kLastRegister);
    const auto value = number(words.value(3), 0, 65535);
    if (words.size() != 4 || !reg || !value)
        return error(QStringLiteral("usage: meter write REG VALUE"));
    if (!m_image.set(*reg, quint16(*value)))
        return error(QStringLiteral("there is no register %1").arg(*reg));
    m_unsaved = true;
    return QStringLiteral("Register %1 = %2").arg(*reg).arg(*value) + kLineEnd;
}

int ServiceShell::meterCount() const
{
    return m_image.value(kMeterCountRegister);
}

int ServiceShell::meterListRegister(int index) const
{
    return RegisterMap::meterInfo(index / kMetersPerInfoBlock).first + index % kMetersPerInfoBlock;
}

QString ServiceShell::meterAdd(const QStringList& words)
{
    static const QList<int> types = {1, 2, 3, 4, 5, 9};
    const auto type = number(words.value(2), 0, 15);
    const auto meterNumber = number(words.value(3), 1, 255);
    if (words.size() != 4 || !type || !types.contains(*type) || !meterNumber)
        return error(QStringLiteral("usage: meter add TYPE NUMBER, TYPE one of 1 2 3 4 5 9"));
    const int index = meterCount();
    if (index >= kMaxMeters || !m_image.has(meterListRegister(index)))
        return error(QStringLiteral("the meter list is full"));
    m_image.set(meterListRegister(index), quint16(*type << 12 | *meterNumber));
    m_image.set(kMeterCountRegister, quint16(index + 1));
    m_unsaved = true;
    return QStringLiteral("Meter %1 added: type %2, number %3").arg(index + 1).arg(*type).arg(*meterNumber) + kLineEnd;
}

QString ServiceShell::meterDelete()
{
    for (int i = 0; i < meterCount(); ++i)
        m_image.set(meterListRegister(i), 0);
    m_image.set(kMeterCountRegister, 0);
    m_unsaved = true;
    return QStringLiteral("All meters deleted") + kLineEnd;
}

QString ServiceShell::status() const
{
    const int firmware = m_image.value(kFirmwareRegister);
    return QStringLiteral("Firmware %1.%2.%3, %4 meters, register map %5%6")
               .arg(firmware >> 8)
               .arg(firmware & 0xFF)
               .arg(m_image.value(kBuildRegister))
               .arg(meterCount())
               .arg(m_image.value(kMapRegister))
               .arg(m_unsaved ? QStringLiteral(", changes not saved") : QString())
           + kLineEnd;
}

} // namespace halvana
