#pragma once

#include <QTreeWidget>
#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QPushButton;

namespace halvana {

class CompareFileList;
class ShellServices;

// The list view of the compare-file list: files dropped from the file manager are added.
class FileDropList : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;

signals:
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The compare-file list (`frmCompareFileSelect`): the capture files with check boxes in
// `lvwTLM_DumpFiles` (" ", "No.", "Folder", "File Name", "File Date", "Last Used"), the buttons
// `cmdCompare`, `cmdSelectAll`, `cmdUnselectAll`, `cmdClose`, and the status line `lblStatus`.
// It shows a CompareFileList and forwards the user's actions to it.
class FrmCompareFileSelect : public QWidget {
    Q_OBJECT
public:
    enum Column { CheckColumn, NumberColumn, FolderColumn, NameColumn, DateColumn, LastUsedColumn };
    // Default height (key "2") in twips.
    static constexpr int kDefaultHeightTwips = 4540;
    static constexpr int kDefaultWidthTwips = 10500;

    // downloadsFolder gives the folder in force when asked.
    FrmCompareFileSelect(CompareFileList& files, ShellServices& shell, std::function<QString()> downloadsFolder,
                         QString programFolder, QWidget* parent = nullptr);

    FileDropList* lvwTLM_DumpFiles() const { return m_list; }
    QPushButton* cmdCompare() const { return m_compare; }
    QLabel* lblStatus() const { return m_status; }
    QMenu* mnuHidden3() const { return m_popup; }

    void Browse();
    void RemoveFile();
    void OpenFolder();
    void OpenFile();
    void OpenDefaultSettingsFolder();

signals:
    // `cmdCompare`: compare the checked files.
    void compareRequested();

private:
    void refresh();
    void evaluateCompare();
    QList<int> selectedPositions() const;
    // The selected entry's path; empty with an empty list.
    QString selectedPath() const;

    CompareFileList& m_files;
    ShellServices& m_shell;
    std::function<QString()> m_downloadsFolder;
    QString m_programFolder;
    FileDropList* m_list;
    QPushButton* m_compare;
    QLabel* m_status;
    QMenu* m_popup;
    bool m_refreshing = false;
};

} // namespace halvana
