#include "core/app/app_settings.h"

#include "core/app/app_title.h"
#include "core/app/definition_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>

namespace halvana {

namespace {

const QHash<QString, QString>& propertyDefaults()
{
    static const QHash<QString, QString> defaults = {
        {QStringLiteral("LoginLevel"), QString()},
        {QStringLiteral("Password_Default"), QStringLiteral("Kestrel")},
        {QStringLiteral("Password_Admin"), QStringLiteral("Otter")},
        {QStringLiteral("Password_Super"), QStringLiteral("Heron")},
        {QStringLiteral("Mode"), QStringLiteral("0")},
        // 115200: a first save of the settings dialog must not drop the line to 9600.
        {QStringLiteral("Baud"), QStringLiteral("4")},
        {QStringLiteral("CommPort"), QStringLiteral("4")},
        {QStringLiteral("CommPort2"), QStringLiteral("3")},
        {QStringLiteral("BCM_SlaveID"), QStringLiteral("1")},
        {QStringLiteral("IP_Address"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("DataSpyEnabled"), QStringLiteral("False")},
        {QStringLiteral("TerminalEnabled"), QStringLiteral("False")},
        {QStringLiteral("PollingDisabled"), QStringLiteral("False")},
        {QStringLiteral("FastPolling"), QStringLiteral("False")},
        {QStringLiteral("ScriptFilename"), QString()},
        {QStringLiteral("BCM_ColWidthFlag"), QStringLiteral("False")},
        {QStringLiteral("frmSystemSettingsFlag"), QStringLiteral("False")},
    };
    return defaults;
}

struct Range {
    int min;
    int max;
};

const QHash<QString, Range>& propertyRanges()
{
    static const QHash<QString, Range> ranges = {
        {QStringLiteral("Mode"), {0, 1}},
        {QStringLiteral("Baud"), {0, 4}},
        {QStringLiteral("BCM_SlaveID"), {1, 247}},
    };
    return ranges;
}

bool isComment(const QString& trimmedLine)
{
    return trimmedLine.startsWith(QLatin1Char(';')) || trimmedLine.startsWith(QLatin1Char('#'));
}

bool isSectionHeader(const QString& trimmedLine)
{
    return trimmedLine.startsWith(QLatin1Char('[')) && trimmedLine.endsWith(QLatin1Char(']'));
}

bool isKeyLine(const QString& trimmedLine)
{
    if (trimmedLine.startsWith(QLatin1Char('[')) || !trimmedLine.contains(QLatin1Char('=')))
        return false;
    // Binary junk that happens to hold a '=' is no key either.
    return std::none_of(trimmedLine.cbegin(), trimmedLine.cend(),
                        [](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t'); });
}

// QSettings reads a '#' line as a key, and an unclosed double quote in it as a value running on
// over the lines below: put back above the settings, such a comment would hide them all. It is
// kept as a ';' comment, which QSettings skips.
QString safeComment(const QString& trimmedLine)
{
    if (trimmedLine.startsWith(QLatin1Char('#')) && trimmedLine.count(QLatin1Char('"')) % 2 != 0)
        return QLatin1Char(';') + trimmedLine.mid(1);
    return trimmedLine;
}

// QSettings takes a '#' comment that holds a '=' for a key, and writes it back as such with the
// '#' escaped; restoreComments() puts the comment itself in its place.
bool isCommentKey(const QString& key)
{
    return key.section(QLatin1Char('/'), -1).trimmed().startsWith(QLatin1Char('#'));
}

bool isWrittenCommentKey(const QString& trimmedLine)
{
    return trimmedLine.startsWith(QLatin1String("%23"));
}

QStringList storeKeys(const QSettings& settings)
{
    QStringList keys = settings.allKeys();
    keys.removeIf(isCommentKey);
    keys.sort();
    return keys;
}

} // namespace

AppSettings::AppSettings(const QString& filePath) : m_filePath(filePath)
{
    readFile();
    openStore();
}

AppSettings::~AppSettings()
{
    sync();
}

void AppSettings::openStore()
{
    // A file that could not be read (a folder, a FIFO, no permission) is not handed to QSettings,
    // which would block on a FIFO; the store then starts empty and is never written.
    m_settings = std::make_unique<QSettings>(m_usable ? m_filePath : QString(), QSettings::IniFormat);
}

void AppSettings::readFile()
{
    const QFileInfo info(m_filePath);
    if (!info.exists())
        return;
    const QString fullPath = info.absoluteFilePath();
    const std::optional<QString> text = readWholeTextFile(m_filePath);
    if (!text) {
        // Neither read nor written over: what it holds may still be the user's.
        m_usable = false;
        m_loadProblem = QStringLiteral("The settings file '%1' could not be read.").arg(fullPath);
        return;
    }
    const QStringList lines = splitLines(*text);
    QString section;
    int firstBadLine = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (isComment(line))
            m_comments.append({section, safeComment(line)});
        else if (isSectionHeader(line))
            section = line.mid(1, line.size() - 2).trimmed();
        else if (!isKeyLine(line) && firstBadLine == 0)
            firstBadLine = i + 1;
    }
    if (firstBadLine > 0) {
        m_loadProblem = QStringLiteral("Line %1 of the settings file '%2' is neither a [section], a key=value line "
                                       "nor a comment.")
                            .arg(QString::number(firstBadLine), fullPath);
    }
}

QString AppSettings::defaultFilePath()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return dir + QStringLiteral("/Maldorn/") + kAppTitle + QStringLiteral(".ini");
}

QString AppSettings::propertyDefault(const QString& key)
{
    return propertyDefaults().value(key);
}

QString AppSettings::filePath() const
{
    return m_filePath;
}

QString AppSettings::fullKey(const QString& section, const QString& key) const
{
    return section + QLatin1Char('/') + key;
}

QString AppSettings::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const QVariant v = m_settings->value(fullKey(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void AppSettings::noteProblem(const QString& section, const QString& key, const QString& text,
                              const QString& expected) const
{
    const QString name = section == kProperties ? key : QStringLiteral("[%1] %2").arg(section, key);
    m_valueProblems.insert(fullKey(section, key), QStringLiteral("The setting %1=%2 in '%3' is not %4.")
                                                      .arg(name, text, QFileInfo(m_filePath).absoluteFilePath(), expected));
}

std::optional<int> AppSettings::storedNumber(const QString& section, const QString& key, int min, int max) const
{
    const QString text = value(section, key).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok && n >= min && n <= max)
        return n;
    const QString expected = min == INT_MIN && max == INT_MAX ? QStringLiteral("a whole number")
                                                              : QStringLiteral("a number from %1 to %2").arg(min).arg(max);
    noteProblem(section, key, text, expected);
    return std::nullopt;
}

int AppSettings::number(const QString& section, const QString& key, int defaultValue) const
{
    return storedNumber(section, key).value_or(defaultValue);
}

bool AppSettings::parseFlag(const QString& text, bool defaultValue)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    return ok ? n != 0 : defaultValue;
}

bool AppSettings::flag(const QString& section, const QString& key, bool defaultValue) const
{
    const QString text = value(section, key).trimmed();
    if (text.isEmpty())
        return defaultValue;
    // parseFlag falls back on its default only for a text that is no flag.
    const bool parsed = parseFlag(text, true);
    if (parsed != parseFlag(text, false)) {
        noteProblem(section, key, text, QStringLiteral("True, False or a number"));
        return defaultValue;
    }
    return parsed;
}

bool AppSettings::contains(const QString& section, const QString& key) const
{
    return m_settings->contains(fullKey(section, key));
}

QString AppSettings::property(const QString& key) const
{
    return value(kProperties, key, propertyDefault(key));
}

int AppSettings::propertyNumber(const QString& key) const
{
    const Range range = propertyRanges().value(key, {INT_MIN, INT_MAX});
    return storedNumber(kProperties, key, range.min, range.max).value_or(propertyDefault(key).toInt());
}

bool AppSettings::propertyFlag(const QString& key) const
{
    return flag(kProperties, key, parseFlag(propertyDefault(key), false));
}

void AppSettings::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString full = fullKey(section, key);
    if (!m_unsaved.contains(full))
        m_unsaved.insert(full, m_settings->contains(full) ? std::optional(m_settings->value(full).toString()) : std::nullopt);
    m_settings->setValue(full, value);
    m_valueProblems.remove(fullKey(section, key));
    m_changed = true;
}

void AppSettings::setNumber(const QString& section, const QString& key, int value)
{
    setValue(section, key, QString::number(value));
}

void AppSettings::setFlag(const QString& section, const QString& key, bool value)
{
    setValue(section, key, flagText(value));
}

void AppSettings::clearAll()
{
    m_settings->clear();
    m_valueProblems.clear();
    m_unsaved.clear();
    m_changed = true;
}

bool AppSettings::sync()
{
    if (!m_usable)
        return false;
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    if (m_changed)
        makeOwnerOnly();
    m_settings->sync();
    // QSettings keeps the first error it met, and a FormatError only ever comes from reading:
    // the file as it was at load, or our '#' comment lines read back. Whether this sync wrote
    // the store, the file itself tells.
    const QSettings::Status status = m_settings->status();
    const bool written = status == QSettings::NoError || (status == QSettings::FormatError && fileHoldsStore());
    if (!written)
        return false;
    // Nothing changed: QSettings wrote nothing, and a store only read is left as it stands.
    if (!m_changed)
        return true;
    if (!restoreComments())
        return false;
    // Read back afresh: the file holds the comments again, and the next sync's status is its own.
    openStore();
    m_changed = false;
    m_unsaved.clear();
    return true;
}

void AppSettings::revertUnsaved()
{
    for (auto it = m_unsaved.cbegin(); it != m_unsaved.cend(); ++it) {
        if (it.value())
            m_settings->setValue(it.key(), *it.value());
        else
            m_settings->remove(it.key());
    }
    m_unsaved.clear();
}

void AppSettings::makeOwnerOnly() const
{
    // The store holds the password hashes. A new file is made owner-only before anything is
    // written to it; the file that replaces it on each write keeps its permissions.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(m_filePath);
    if (file.exists())
        file.setPermissions(ownerOnly);
    else
        file.open(QIODevice::WriteOnly, ownerOnly);
}

bool AppSettings::fileHoldsStore() const
{
    // QSettings objects on one path share what they read and what is pending, so the file is
    // read back from a copy.
    QFile file(m_filePath);
    QTemporaryFile copy;
    if (!file.open(QIODevice::ReadOnly) || !copy.open() || copy.write(file.readAll()) < 0 || !copy.flush())
        return false;
    const QSettings onDisk(copy.fileName(), QSettings::IniFormat);
    const QStringList keys = storeKeys(*m_settings);
    if (keys != storeKeys(onDisk))
        return false;
    return std::all_of(keys.cbegin(), keys.cend(),
                       [&](const QString& key) { return onDisk.value(key) == m_settings->value(key); });
}

bool AppSettings::restoreComments() const
{
    if (m_comments.isEmpty())
        return true;
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray before = file.readAll();
    file.close();
    const QString text = QString::fromUtf8(before);
    const QString eol = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");

    QMap<QString, QString> bySection;
    for (const Comment& c : m_comments)
        bySection[c.section] += c.line + eol;
    QString body;
    QStringList placed;
    for (const QString& raw : splitLines(text)) {
        const QString line = raw.trimmed();
        if (isComment(line) || isWrittenCommentKey(line))
            continue;
        body += raw + eol;
        if (isSectionHeader(line)) {
            const QString section = line.mid(1, line.size() - 2).trimmed();
            body += bySection.value(section);
            placed << section;
        }
    }
    // Comments above every section, and those of a section that is gone, go to the top.
    QString top;
    for (auto it = bySection.cbegin(); it != bySection.cend(); ++it) {
        if (!placed.contains(it.key()))
            top += it.value();
    }
    const QByteArray after = (top + body).toUtf8();
    if (after == before)
        return true;
    QSaveFile save(m_filePath);
    return save.open(QIODevice::WriteOnly) && save.write(after) == after.size() && save.commit();
}

QString AppSettings::valueProblem(const QString& section, const QString& key) const
{
    return m_valueProblems.value(fullKey(section, key));
}

QStringList AppSettings::problems() const
{
    QStringList all = valueProblems();
    if (!m_loadProblem.isEmpty())
        all.prepend(m_loadProblem);
    return all;
}

QString AppSettings::errorText() const
{
    return QStringLiteral("The settings could not be saved to '%1'.\n"
                          "Check that the file and its folder can be written and that the disk is not full.")
        .arg(QFileInfo(filePath()).absoluteFilePath());
}

} // namespace halvana
