#pragma once

#include "core/files/file_list.h"

#include <QObject>
#include <QString>

namespace halvana {

class AppSettings;

// The comparison's file list as the program keeps it between the windows that show it: the
// entries of "DownloadList.ini" with the check marks of "TLM_DumpFileSelectString", the entry
// to select and the status line. It is loaded when first needed (the window opens, or a capture
// adds a file) and written back after every change, so nothing is lost when the program ends.
class CompareFileList : public QObject {
    Q_OBJECT
public:
    CompareFileList(AppSettings& settings, QString listFolder, QObject* parent = nullptr);

    static inline const QString kListFileName = QStringLiteral("DownloadList.ini");

    FileList& list();
    QString listFilePath() const;

    // `Add_New_File`: appends the capture, selects it and says in the status line that it was
    // captured.
    void Add_New_File(const QString& path);
    // Appends a file (browsed or dropped) and selects it.
    void addFile(const QString& path);
    // Removes the entries at the positions and selects the one that now stands in their place.
    void removeFiles(const QList<int>& positions);
    void setChecked(int position, bool checked);
    void setAllChecked(bool checked);
    // The checked entries' paths in list order, their "Last Used" set to now.
    QStringList useChecked();

    int selected() const { return m_selected; }
    void setSelected(int position) { m_selected = position; }
    QString status() const { return m_status; }

    // Writes the list file and the check marks; a list file that cannot be written is
    // reported with its path (empty otherwise).
    QString save();

signals:
    void changed();

private:
    void ensureLoaded();
    void commit();

    AppSettings& m_settings;
    QString m_listFolder;
    FileList m_list;
    bool m_loaded = false;
    int m_selected = -1;
    QString m_status;
};

} // namespace halvana
