#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace halvana {

// The per-user settings store: sections and keys of text values in an INI file.
// Flags are written "True"/"False"; read back, "True", "False" or a number (0 = false) count.
class AppSettings {
public:
    // The user's own store, or the file given with --settings.
    explicit AppSettings(const QString& filePath = defaultFilePath());

    static QString defaultFilePath();
    // The default of a "Properties" key from the key table; empty for keys without one.
    static QString propertyDefault(const QString& key);

    QString filePath() const;

    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    int number(const QString& section, const QString& key, int defaultValue) const;
    bool flag(const QString& section, const QString& key, bool defaultValue = false) const;
    bool contains(const QString& section, const QString& key) const;

    // "Properties" keys with the defaults of the key table.
    QString property(const QString& key) const;
    int propertyNumber(const QString& key) const;
    bool propertyFlag(const QString& key) const;

    void setValue(const QString& section, const QString& key, const QString& value);
    void setNumber(const QString& section, const QString& key, int value);
    void setFlag(const QString& section, const QString& key, bool value);
    void setProperty(const QString& key, const QString& value) { setValue(kProperties, key, value); }

    // Deletes every setting of the program.
    void clearAll();

    // Writes pending changes to the file (through a temporary file, so a failed write leaves the
    // old file intact). False when the store cannot be written; errorText() then names the path.
    bool sync();
    QString errorText() const;

    static QString flagText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
    static bool parseFlag(const QString& text, bool defaultValue);

    static inline const QString kProperties = QStringLiteral("Properties");

private:
    QString fullKey(const QString& section, const QString& key) const;

    std::unique_ptr<QSettings> m_settings;
};

} // namespace halvana
