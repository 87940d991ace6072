#include "core/scripts/script_file_list.h"

#include "core/app/app_settings.h"
#include "core/files/text_file.h"

#include <QDir>

namespace halvana {

namespace {

const QString kProperties = QStringLiteral("Properties");
// The selection is read back from the first key; both are written.
const QString kIndexKey = QStringLiteral("Script_Index_PDU");
const QString kOtherIndexKey = QStringLiteral("Script_Index");

} // namespace

ScriptFileList::ScriptFileList(QString listFolder) : m_listFolder(std::move(listFolder)) {}

QString ScriptFileList::listFilePath() const
{
    return QDir(m_listFolder).filePath(kListFileName);
}

void ScriptFileList::load(const AppSettings& settings)
{
    m_list.load(readWholeTextFile(listFilePath()).value_or(QString()));
    bool ok = false;
    const int index = settings.value(kProperties, kIndexKey).toInt(&ok);
    select(ok ? index : (m_list.isEmpty() ? -1 : 0));
}

QString ScriptFileList::save(AppSettings& settings) const
{
    const QString index = QString::number(m_selected);
    settings.setValue(kProperties, kIndexKey, index);
    settings.setValue(kProperties, kOtherIndexKey, index);
    if (!QDir().mkpath(m_listFolder))
        return QStringLiteral("The folder '%1' could not be created.").arg(QDir::toNativeSeparators(m_listFolder));
    return writeTextFile1252(listFilePath(), m_list.toText()).value_or(QString());
}

void ScriptFileList::select(int position)
{
    m_selected = position >= 0 && position < m_list.count() ? position : -1;
}

QString ScriptFileList::selectedPath() const
{
    return m_selected < 0 ? QString() : m_list.entries()[size_t(m_selected)].path();
}

int ScriptFileList::addFile(const QString& path)
{
    const QString wanted = QDir::cleanPath(QDir::fromNativeSeparators(path));
    const std::vector<FileListEntry>& entries = m_list.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (QDir::cleanPath(entries[i].path()) == wanted) {
            select(int(i));
            return m_selected;
        }
    }
    select(m_list.append(wanted));
    return m_selected;
}

void ScriptFileList::remove(const QList<int>& positions)
{
    select(m_list.remove(positions));
}

void ScriptFileList::markUsed(const QDateTime& now)
{
    if (m_selected >= 0)
        m_list.setLastUsed(m_selected, FileList::dateText(now));
}

} // namespace halvana
