#pragma once

#include <QList>
#include <QMap>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <climits>
#include <memory>
#include <optional>

namespace halvana {

// The per-user settings store: sections and keys of text values in an INI file.
// Flags are written "True"/"False"; read back, "True", "False" or a number (0 = false) count.
// What the store cannot use is kept as a problem for the caller to report: a file that cannot
// be read or holds lines that are no INI lines (loadProblem), and stored numbers and flags that
// are not values of their kind (valueProblems). The user's comment lines (';' or '#') are kept
// when the file is written back, at the top of their section.
class AppSettings {
public:
    // The user's own store, or the file given with --settings. A file that does not exist yet
    // means all defaults.
    explicit AppSettings(const QString& filePath = defaultFilePath());
    // Writes what is pending, as QSettings would, keeping the comment lines.
    ~AppSettings();

    static QString defaultFilePath();
    // The default of a "Properties" key from the key table; empty for keys without one.
    static QString propertyDefault(const QString& key);

    QString filePath() const;

    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // Numbers and flags are read through these. A missing or empty key gives the default; a
    // stored text that is not a number from min to max (or not a flag) gives the default too
    // and is noted in valueProblems().
    std::optional<int> storedNumber(const QString& section, const QString& key, int min = INT_MIN,
                                    int max = INT_MAX) const;
    int number(const QString& section, const QString& key, int defaultValue) const;
    bool flag(const QString& section, const QString& key, bool defaultValue = false) const;
    bool contains(const QString& section, const QString& key) const;

    // "Properties" keys with the defaults of the key table; "Mode", "Baud" and "BCM_SlaveID"
    // are checked against their ranges as well.
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
    // What was wrong with the file when it was read does not count.
    bool sync();
    QString errorText() const;
    // Puts back what the values set since the last successful sync held, after a failed one:
    // what the program goes on with is what the file holds. Not after clearAll().
    void revertUnsaved();

    // Empty when the file read cleanly or does not exist; otherwise what was wrong, naming it.
    QString loadProblem() const { return m_loadProblem; }
    // One message per stored number or flag read so far that is not a value of its kind.
    QStringList valueProblems() const { return m_valueProblems.values(); }
    QString valueProblem(const QString& section, const QString& key) const;
    // loadProblem() and valueProblems() together.
    QStringList problems() const;

    static QString flagText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
    static bool parseFlag(const QString& text, bool defaultValue);

    static inline const QString kProperties = QStringLiteral("Properties");

private:
    struct Comment {
        QString section; // empty: above the first section
        QString line;
    };

    QString fullKey(const QString& section, const QString& key) const;
    void readFile();
    void openStore();
    void noteProblem(const QString& section, const QString& key, const QString& text, const QString& expected) const;
    void makeOwnerOnly() const;
    bool fileHoldsStore() const;
    bool restoreComments() const;

    QString m_filePath;
    bool m_usable = true; // false for a file that could not be read: it is never written
    bool m_changed = false; // set or cleared since the last sync
    std::unique_ptr<QSettings> m_settings;
    QString m_loadProblem;
    QList<Comment> m_comments;
    mutable QMap<QString, QString> m_valueProblems; // by full key
    // The values before they were first set since the last sync; none for keys that were new.
    QMap<QString, std::optional<QString>> m_unsaved;
};

} // namespace halvana
