#pragma once

#include "core/files/file_list.h"

#include <QDateTime>
#include <QString>

namespace halvana {

class AppSettings;

// The terminal runner's list of scripts ("Script_Files.ini" in the script-file-lists folder)
// and the entry selected in it, which is kept under "Script_Index_PDU" and "Script_Index".
class ScriptFileList {
public:
    static inline const QString kListFileName = QStringLiteral("Script_Files.ini");

    explicit ScriptFileList(QString listFolder);

    // Reads the list file and the stored selection; a missing file is an empty list.
    void load(const AppSettings& settings);
    // Writes the list file and the selection; a failure is told with the file's path (empty
    // otherwise).
    QString save(AppSettings& settings) const;

    const FileList& list() const { return m_list; }
    int selected() const { return m_selected; }
    // A position outside the list selects nothing.
    void select(int position);
    // The selected entry's path (`ScriptFilePath`); empty when nothing is selected.
    QString selectedPath() const;

    // `AddFile`: a path already in the list selects that entry, another one is appended
    // ("Never" used) and selected. Gives the selected position.
    int addFile(const QString& path);
    // Removes the entries and selects the one that now stands in their place.
    void remove(const QList<int>& positions);
    // A run starts: the selected entry was used now.
    void markUsed(const QDateTime& now);

private:
    QString listFilePath() const;

    QString m_listFolder;
    FileList m_list;
    int m_selected = -1;
};

} // namespace halvana
