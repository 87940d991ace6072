#include "gui/capture/frm_compare.h"

#include "core/app/app_title.h"
#include "core/capture/compare_script.h"
#include "core/capture/settings_comparison.h"
#include "core/capture/spreadsheet_export.h"
#include "core/files/text_file.h"
#include "core/app/window_geometry.h"
#include "gui/app/shell_services.h"
#include "gui/views/grid_view.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

FrmCompare::FrmCompare(Kind kind, ShellServices& shell, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_shell(shell), m_view(new GridView(m_grid, this)), m_status(new QLabel(this)),
      m_popup(new QMenu(this))
{
    const bool comparison = kind == Kind::Comparison;
    setObjectName(comparison ? QStringLiteral("frmCompare") : QStringLiteral("frmDifferences"));
    setWindowTitle(comparison ? QStringLiteral("Compare Settings Files") : QStringLiteral("Differences"));
    resize(twipsToPixels(comparison ? 6520 : 5000), twipsToPixels(comparison ? 7300 : 6825));
    m_view->setObjectName(comparison ? QStringLiteral("MSFlexGrid1") : QStringLiteral("MSFlexGrid2"));
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_status);

    m_popup->setObjectName(comparison ? QStringLiteral("mnuHidden5") : QStringLiteral("mnuHidden6"));
    const auto addItem = [this](const QString& name, const QString& caption, auto slot) {
        QAction* action = m_popup->addAction(caption, this, slot);
        action->setObjectName(name);
        return action;
    };
    addItem(comparison ? QStringLiteral("mnuCopyAll5") : QStringLiteral("mnuCopyAll6"),
            QStringLiteral("Copy All to Clipboard"),
            [this] { m_shell.setClipboardText(SettingsComparison::clipText(m_grid)); });
    addItem(comparison ? QStringLiteral("mnuOpenInExcel") : QStringLiteral("mnuOpenInExcel2"),
            QStringLiteral("Open in Excel"), [this] { OpenInExcel(); });
    if (comparison) {
        m_listDifferences = addItem(QStringLiteral("mnuListDifferences"), QStringLiteral("List Differences"),
                                    [this] { emit listDifferencesRequested(); });
        m_listDifferences->setEnabled(false);
    } else {
        addItem(QStringLiteral("mnuCreateScript"), QStringLiteral("Create Script"), [this] { CreateScriptText(); });
    }
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popup->popup(m_view->viewport()->mapToGlobal(pos)); });
}

void FrmCompare::Compare(const QStringList& paths)
{
    const SettingsComparison::Outcome outcome = SettingsComparison::Compare(paths, m_grid);
    if (!outcome.ok()) {
        m_shell.showMessage(MessageSink::Severity::Information, kAppTitle, outcome.missingFile);
        return;
    }
    m_compared = outcome.compared;
    m_LastComparedFilePath = outcome.LastComparedFilePath;
    m_listDifferences->setEnabled(outcome.compared.size() >= 2);
    QStringList status = outcome.problems;
    if (!outcome.alignment.isEmpty())
        status << outcome.alignment;
    m_status->setText(status.join(QLatin1Char('\n')));
    ResizeFlexGrid();
    m_view->scrollToTop();
}

void FrmCompare::showDifferences(const GridModel& comparison, const QStringList& compared, const QString& lastCompared)
{
    m_compared = compared;
    m_LastComparedFilePath = lastCompared;
    SettingsComparison::ListDiffs(comparison, m_grid);
    m_status->clear();
    ResizeFlexGrid();
    m_view->scrollToTop();
}

void FrmCompare::ResizeFlexGrid()
{
    QFont bold = m_view->font();
    bold.setBold(true);
    const QFontMetrics plain(m_view->font()), heading(bold);
    SettingsComparison::ResizeFlexGrid(m_grid, [&](const QString& text, bool isHeading) {
        return (isHeading ? heading : plain).horizontalAdvance(text) * kTwipsPerPixel;
    });
}

void FrmCompare::OpenInExcel()
{
    QString target = SpreadsheetExport::targetPath(m_LastComparedFilePath);
    if (QFileInfo::exists(target)) {
        const ShellServices::Answer answer = m_shell.askYesNoCancel(
            kAppTitle, QStringLiteral("Do you want to replace the existing file, %1?").arg(QDir::toNativeSeparators(target)));
        if (answer == ShellServices::Answer::Cancel)
            return;
        if (answer == ShellServices::Answer::No)
            target = m_shell.chooseSaveFile({QStringLiteral("Save As"), target, QStringLiteral("Excel Workbook (*.xlsx)"),
                                             QStringLiteral("Excel Workbook (*.xlsx)")});
        if (target.isEmpty())
            return;
    }
    if (const std::optional<QString> error = SpreadsheetExport::write(m_grid, target, m_compared)) {
        m_status->setText(*error);
        return;
    }
    m_shell.openUrl(QUrl::fromLocalFile(target));
}

void FrmCompare::CreateScriptText()
{
    const CompareScript script = CompareScript::CreateScriptText(m_grid);
    m_status->setText(script.leftOutNote());
    emit scriptCreated(script.text);
}

} // namespace halvana
