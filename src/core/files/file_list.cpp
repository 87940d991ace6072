#include "core/files/file_list.h"

#include "core/files/text_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace halvana {

QString FileListEntry::path() const
{
    return folder + QLatin1Char('/') + fileName;
}

FileListEntry FileList::entryFor(const QString& path, const QString& lastUsed)
{
    const QString normal = QDir::fromNativeSeparators(path);
    const qsizetype cut = std::max(normal.lastIndexOf(QLatin1Char('/')), normal.lastIndexOf(QLatin1Char('\\')));
    FileListEntry entry;
    entry.folder = normal.left(std::max<qsizetype>(cut, 0));
    entry.fileName = normal.mid(cut + 1);
    entry.fileDate = fileDateText(entry.path());
    entry.lastUsed = lastUsed;
    return entry;
}

bool FileList::load(const QString& listText, const QString& checkMarks)
{
    m_entries.clear();
    for (const QString& line : splitLines(listText)) {
        if (line.isEmpty())
            return false;
        const QStringList fields = line.split(QLatin1Char('\t'));
        const bool keepsLastUsed = m_lines == Lines::PathAndLastUsed && fields.size() > 1;
        m_entries.push_back(entryFor(fields.at(0), keepsLastUsed ? fields.at(1) : kNever));
    }
    applyCheckMarks(checkMarks);
    return true;
}

QString FileList::toText() const
{
    QString out;
    for (const FileListEntry& e : m_entries) {
        out += QDir::toNativeSeparators(e.path());
        if (m_lines == Lines::PathAndLastUsed)
            out += QLatin1Char('\t') + e.lastUsed;
        out += QStringLiteral("\r\n");
    }
    return out;
}

QString FileList::checkMarkString() const
{
    QString out;
    for (const FileListEntry& e : m_entries)
        out += e.checked ? QStringLiteral("1 ") : QStringLiteral("0 ");
    return out;
}

void FileList::applyCheckMarks(const QString& checkMarks)
{
    const QStringList marks = checkMarks.split(QLatin1Char(' '));
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_entries[i].checked = marks.value(qsizetype(i)) == QLatin1String("1");
}

int FileList::append(const QString& path, const QString& lastUsed)
{
    m_entries.push_back(entryFor(path, lastUsed));
    return count() - 1;
}

int FileList::remove(QList<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    int highest = -1;
    for (auto it = positions.crbegin(); it != positions.crend(); ++it) {
        if (*it < 0 || *it >= count())
            continue;
        highest = std::max(highest, *it);
        m_entries.erase(m_entries.begin() + *it);
    }
    if (isEmpty())
        return -1;
    return std::min(std::max(highest, 0), count() - 1);
}

void FileList::setChecked(int position, bool checked)
{
    if (position >= 0 && position < count())
        m_entries[size_t(position)].checked = checked;
}

void FileList::setAllChecked(bool checked)
{
    for (FileListEntry& e : m_entries)
        e.checked = checked;
}

bool FileList::anyChecked() const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [](const FileListEntry& e) { return e.checked; });
}

QList<int> FileList::checkedPositions() const
{
    QList<int> out;
    for (int i = 0; i < count(); ++i) {
        if (m_entries[size_t(i)].checked)
            out << i;
    }
    return out;
}

void FileList::setLastUsed(int position, const QString& text)
{
    if (position >= 0 && position < count())
        m_entries[size_t(position)].lastUsed = text;
}

QString FileList::fileDateText(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? dateText(info.lastModified()) : kFileNotFound;
}

QString FileList::dateText(const QDateTime& time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace halvana
