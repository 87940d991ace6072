#include "core/app/app_settings.h"

#include "core/app/app_title.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

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
        {QStringLiteral("ScriptFilename"), QString()},
        {QStringLiteral("BCM_ColWidthFlag"), QStringLiteral("False")},
        {QStringLiteral("frmSystemSettingsFlag"), QStringLiteral("False")},
    };
    return defaults;
}

} // namespace

AppSettings::AppSettings(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
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
    return m_settings->fileName();
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

int AppSettings::number(const QString& section, const QString& key, int defaultValue) const
{
    bool ok = false;
    const int n = value(section, key).trimmed().toInt(&ok);
    return ok ? n : defaultValue;
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
    return parseFlag(value(section, key), defaultValue);
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
    return number(kProperties, key, propertyDefault(key).toInt());
}

bool AppSettings::propertyFlag(const QString& key) const
{
    return parseFlag(property(key), false);
}

void AppSettings::setValue(const QString& section, const QString& key, const QString& value)
{
    m_settings->setValue(fullKey(section, key), value);
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
}

bool AppSettings::sync()
{
    const QString dir = QFileInfo(filePath()).absolutePath();
    QDir().mkpath(dir);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString AppSettings::errorText() const
{
    return QStringLiteral("The settings could not be saved to '%1'.\n"
                          "Check that the file and its folder can be written and that the disk is not full.")
        .arg(QFileInfo(filePath()).absoluteFilePath());
}

} // namespace halvana
