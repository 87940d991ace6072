#pragma once

#include "core/grid/grid_model.h"

#include <QStringList>
#include <QWidget>

class QLabel;
class QMenu;

namespace halvana {

class GridView;
class ShellServices;

// A comparison grid window: `frmCompare` (`MSFlexGrid1`, popup `mnuHidden5`: "Copy All to
// Clipboard", "Open in Excel", "List Differences") or `frmDifferences` (`MSFlexGrid2`, popup
// `mnuHidden6`: "Copy All to Clipboard", "Open in Excel", "Create Script"), with a status line.
class FrmCompare : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Comparison, Differences };

    FrmCompare(Kind kind, ShellServices& shell, QWidget* parent = nullptr);

    GridModel& grid() { return m_grid; }
    QLabel* lblStatus() const { return m_status; }
    QMenu* popup() const { return m_popup; }
    const QStringList& compared() const { return m_compared; }
    const QString& LastComparedFilePath() const { return m_LastComparedFilePath; }

    // `Compare`: fills the grid from the files and says in the status line what did not compare.
    void Compare(const QStringList& paths);
    // Fills this (differences) window from a comparison.
    void showDifferences(const GridModel& comparison, const QStringList& compared, const QString& lastCompared);

signals:
    void listDifferencesRequested();
    // "Create Script": the script text, for the script builder window.
    void scriptCreated(const QString& text);

private:
    void ResizeFlexGrid();
    void OpenInExcel();
    void CreateScriptText();

    Kind m_kind;
    ShellServices& m_shell;
    GridModel m_grid;
    GridView* m_view;
    QLabel* m_status;
    QMenu* m_popup;
    QAction* m_listDifferences = nullptr;
    QStringList m_compared;
    QString m_LastComparedFilePath;
};

} // namespace halvana
