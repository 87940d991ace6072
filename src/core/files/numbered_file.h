#pragma once

#include <QString>
#include <utility>

namespace halvana {

// Files named by a running number: a prefix, the number with at least three digits ("00#":
// 001 .. 999, then 1000 on) and a suffix, such as Settings_004.txt, Download_012.txt or Log_003.csv.
class NumberedFileName {
public:
    NumberedFileName(QString prefix, QString suffix) : m_prefix(std::move(prefix)), m_suffix(std::move(suffix)) {}

    static NumberedFileName settingsCapture() { return {QStringLiteral("Settings_"), QStringLiteral(".txt")}; }
    static NumberedFileName terminalCapture() { return {QStringLiteral("Download_"), QStringLiteral(".txt")}; }
    static NumberedFileName readingsLog() { return {QStringLiteral("Log_"), QStringLiteral(".csv")}; }

    QString name(int number) const;

    // The name for a new file in folder: preferredName when given and free there (so a deleted
    // last capture is written again under its own name), otherwise the lowest free number
    // counting from 1. Only the name is taken from preferredName, never a folder: the number is
    // always chosen in the folder in force now.
    QString nextFreeName(const QString& folder, const QString& preferredName = {}) const;
    // folder + "/" + nextFreeName(folder, preferredName).
    QString nextFreePath(const QString& folder, const QString& preferredName = {}) const;

private:
    QString m_prefix;
    QString m_suffix;
};

} // namespace halvana
