#include "gui/capture/compare_file_list.h"

#include "core/app/app_settings.h"
#include "core/files/text_file.h"

#include <QDir>

namespace halvana {

namespace {

const QString kCheckMarksSection = QStringLiteral("TLM_DumpFileSelectString");
const QString kCheckMarksKey = QStringLiteral("0");

} // namespace

CompareFileList::CompareFileList(AppSettings& settings, QString listFolder, QObject* parent)
    : QObject(parent), m_settings(settings), m_listFolder(std::move(listFolder))
{
}

QString CompareFileList::listFilePath() const
{
    return QDir(m_listFolder).filePath(kListFileName);
}

FileList& CompareFileList::list()
{
    ensureLoaded();
    return m_list;
}

void CompareFileList::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    const QString text = readWholeTextFile(listFilePath()).value_or(QString());
    if (!m_list.load(text, m_settings.value(kCheckMarksSection, kCheckMarksKey)))
        m_list.applyCheckMarks(QString());
    m_selected = m_list.isEmpty() ? -1 : 0;
}

void CompareFileList::Add_New_File(const QString& path)
{
    ensureLoaded();
    m_selected = m_list.append(path);
    const FileListEntry& entry = m_list.entries().back();
    m_status = QStringLiteral("Captured file: '%1' on %2").arg(entry.fileName, entry.fileDate);
    commit();
}

void CompareFileList::addFile(const QString& path)
{
    ensureLoaded();
    m_selected = m_list.append(path);
    commit();
}

QStringList CompareFileList::useChecked()
{
    ensureLoaded();
    QStringList paths;
    const QString now = FileList::dateText(QDateTime::currentDateTime());
    for (int position : m_list.checkedPositions()) {
        paths << m_list.entries()[size_t(position)].path();
        m_list.setLastUsed(position, now);
    }
    commit();
    return paths;
}

void CompareFileList::removeFiles(const QList<int>& positions)
{
    ensureLoaded();
    m_selected = m_list.remove(positions);
    commit();
}

void CompareFileList::setChecked(int position, bool checked)
{
    ensureLoaded();
    m_list.setChecked(position, checked);
    commit();
}

void CompareFileList::setAllChecked(bool checked)
{
    ensureLoaded();
    m_list.setAllChecked(checked);
    commit();
}

void CompareFileList::commit()
{
    // A list that cannot be kept says so where the user looks: the status line.
    if (const QString error = save(); !error.isEmpty())
        m_status = error;
    emit changed();
}

QString CompareFileList::save()
{
    m_settings.setValue(kCheckMarksSection, kCheckMarksKey, m_list.checkMarkString());
    if (!QDir().mkpath(m_listFolder))
        return QStringLiteral("The folder '%1' could not be created.").arg(QDir::toNativeSeparators(m_listFolder));
    return writeTextFile1252(listFilePath(), m_list.toText()).value_or(QString());
}

} // namespace halvana
