#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace halvana {

// One file of a persistent file list (the comparison list "DownloadList.ini", the script list
// "Script_Files.ini", the firmware list "UpgradeFileList.ini").
struct FileListEntry {
    QString folder;   // without a trailing separator
    QString fileName;
    QString fileDate; // the file's last change, or "File Not Found"
    QString lastUsed; // when it was last used, or "Never"
    bool checked = false;

    // folder + "/" + file name.
    QString path() const;
};

// A persistent list of files: the entries in list order with their check marks, the list file
// (one line per entry: the full path, and in lists that keep it a TAB and the last-used text)
// and the check-mark string ("1 " or "0 " per entry). Positions are 0-based here; the list's
// "No." column is the position + 1.
class FileList {
public:
    enum class Lines { PathAndLastUsed, PathOnly };

    static inline const QString kNever = QStringLiteral("Never");
    static inline const QString kFileNotFound = QStringLiteral("File Not Found");

    explicit FileList(Lines lines = Lines::PathAndLastUsed) : m_lines(lines) {}

    // Replaces the entries by the lines of a list file: a line's path is split at its last '\'
    // or '/' into folder and file name; the file date comes from the file system. Reading stops
    // at the first empty line; the check marks are then not restored (false is returned).
    bool load(const QString& listText, const QString& checkMarks = {});
    // The list file's text, every line ended by CR LF.
    QString toText() const;

    // "1 " or "0 " per entry, in list order ("0 1 0 0 1 ").
    QString checkMarkString() const;
    // Entry i is checked when element i of the blank-separated string is "1"; entries past the
    // string's end are unchecked.
    void applyCheckMarks(const QString& checkMarks);

    // Appends an entry for the file, with its date read now; gives its position.
    int append(const QString& path, const QString& lastUsed = kNever);
    // Removes the entries at the positions, from the last to the first. Gives the position to
    // select next: the one the highest removed entry had, or the last when the list is now
    // shorter; -1 when the list is empty.
    int remove(QList<int> positions);

    const std::vector<FileListEntry>& entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    void setChecked(int position, bool checked);
    void setAllChecked(bool checked);
    bool anyChecked() const;
    // The checked entries' positions, in list order.
    QList<int> checkedPositions() const;
    void setLastUsed(int position, const QString& text);

    // A file's last change as the list shows it, or "File Not Found".
    static QString fileDateText(const QString& path);
    // The local time as the list shows dates.
    static QString dateText(const QDateTime& time);

private:
    static FileListEntry entryFor(const QString& path, const QString& lastUsed);

    Lines m_lines;
    std::vector<FileListEntry> m_entries;
};

} // namespace halvana
