#include "gui/capture/frm_compare_file_select.h"

#include "core/app/app_title.h"
#include "core/app/window_geometry.h"
#include "gui/app/shell_services.h"
#include "gui/capture/compare_file_list.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

namespace {

QStringList localFiles(const QMimeData* mime)
{
    QStringList paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

void FileDropList::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FileDropList::dragMoveEvent(QDragMoveEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FileDropList::dropEvent(QDropEvent* event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    emit filesDropped(paths);
}

FrmCompareFileSelect::FrmCompareFileSelect(CompareFileList& files, ShellServices& shell,
                                           std::function<QString()> downloadsFolder, QString programFolder,
                                           QWidget* parent)
    : QWidget(parent), m_files(files), m_shell(shell), m_downloadsFolder(std::move(downloadsFolder)),
      m_programFolder(std::move(programFolder))
{
    setObjectName(QStringLiteral("frmCompareFileSelect"));
    setWindowTitle(QStringLiteral("Compare Settings"));
    resize(twipsToPixels(kDefaultWidthTwips), twipsToPixels(kDefaultHeightTwips));

    m_list = new FileDropList(this);
    m_list->setObjectName(QStringLiteral("lvwTLM_DumpFiles"));
    m_list->setHeaderLabels({QStringLiteral(" "), QStringLiteral("No."), QStringLiteral("Folder"),
                             QStringLiteral("File Name"), QStringLiteral("File Date"), QStringLiteral("Last Used")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAcceptDrops(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    const int widths[] = {28, 40, 260, 130, 140, 140};
    for (int c = 0; c <= LastUsedColumn; ++c)
        m_list->setColumnWidth(c, widths[c]);

    m_compare = button(this, "cmdCompare", QStringLiteral("Compare"));
    m_compare->setEnabled(false);
    QPushButton* selectAll = button(this, "cmdSelectAll", QStringLiteral("Select All"));
    QPushButton* unselectAll = button(this, "cmdUnselectAll", QStringLiteral("Unselect All"));
    QPushButton* close = button(this, "cmdClose", QStringLiteral("Close"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_compare, selectAll, unselectAll})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mnuHidden3"));
    const auto addItem = [this](const char* name, const QString& caption, void (FrmCompareFileSelect::*slot)()) {
        QAction* action = m_popup->addAction(caption, this, slot);
        action->setObjectName(QString::fromLatin1(name));
    };
    addItem("mnuBrowse3", QStringLiteral("Add New File"), &FrmCompareFileSelect::Browse);
    addItem("mnuOpenFolder3", QStringLiteral("Open Folder"), &FrmCompareFileSelect::OpenFolder);
    addItem("mnuOpenFile3", QStringLiteral("Open File"), &FrmCompareFileSelect::OpenFile);
    addItem("mnuOpenDefaultSettingsFolder", QStringLiteral("Open Default Settings Folder"),
            &FrmCompareFileSelect::OpenDefaultSettingsFolder);
    addItem("mnuRemove3", QStringLiteral("Remove"), &FrmCompareFileSelect::RemoveFile);

    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popup->popup(m_list->viewport()->mapToGlobal(pos)); });
    connect(m_list, &FileDropList::filesDropped, this, [this](const QStringList& paths) {
        for (const QString& path : paths)
            m_files.addFile(path);
    });
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (!m_refreshing && column == CheckColumn)
            m_files.setChecked(m_list->indexOfTopLevelItem(item), item->checkState(CheckColumn) == Qt::Checked);
    });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_refreshing)
            m_files.setSelected(m_list->indexOfTopLevelItem(item));
    });
    auto* remove = new QShortcut(QKeySequence::Delete, m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &FrmCompareFileSelect::RemoveFile);
    connect(m_compare, &QPushButton::clicked, this, &FrmCompareFileSelect::compareRequested);
    connect(selectAll, &QPushButton::clicked, this, [this] { m_files.setAllChecked(true); });
    connect(unselectAll, &QPushButton::clicked, this, [this] { m_files.setAllChecked(false); });
    connect(close, &QPushButton::clicked, this, [this] {
        if (QWidget* frame = parentWidget())
            frame->close();
        else
            QWidget::close();
    });
    connect(&m_files, &CompareFileList::changed, this, &FrmCompareFileSelect::refresh);
    refresh();
}

void FrmCompareFileSelect::refresh()
{
    m_refreshing = true;
    m_list->clear();
    const std::vector<FileListEntry>& entries = m_files.list().entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const FileListEntry& e = entries[i];
        auto* item = new QTreeWidgetItem({QString(), QString::number(i + 1), QDir::toNativeSeparators(e.folder),
                                          e.fileName, e.fileDate, e.lastUsed});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(CheckColumn, e.checked ? Qt::Checked : Qt::Unchecked);
        m_list->addTopLevelItem(item);
    }
    if (QTreeWidgetItem* item = m_list->topLevelItem(m_files.selected())) {
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item);
    }
    m_status->setText(m_files.status());
    m_refreshing = false;
    evaluateCompare();
}

void FrmCompareFileSelect::evaluateCompare()
{
    m_compare->setEnabled(m_files.list().anyChecked());
}

QList<int> FrmCompareFileSelect::selectedPositions() const
{
    QList<int> positions;
    for (QTreeWidgetItem* item : m_list->selectedItems())
        positions << m_list->indexOfTopLevelItem(item);
    return positions;
}

QString FrmCompareFileSelect::selectedPath() const
{
    const std::vector<FileListEntry>& entries = m_files.list().entries();
    const int selected = m_files.selected();
    return selected >= 0 && selected < int(entries.size()) ? entries[size_t(selected)].path() : QString();
}

void FrmCompareFileSelect::Browse()
{
    const QString start = m_files.list().isEmpty() ? m_downloadsFolder() : selectedPath();
    const QString chosen = m_shell.chooseOpenFile({QStringLiteral("Select TLM Dump File"), start,
                                                   QStringLiteral("All Files (*.*);;Text Files(*.txt)"),
                                                   QStringLiteral("Text Files(*.txt)")});
    if (!chosen.isEmpty())
        m_files.addFile(chosen);
}

void FrmCompareFileSelect::RemoveFile()
{
    const QList<int> positions = selectedPositions();
    if (!positions.isEmpty())
        m_files.removeFiles(positions);
}

void FrmCompareFileSelect::OpenFolder()
{
    // The desktop opens a folder; it cannot point at a file in it.
    const QString path = selectedPath();
    m_shell.openUrl(QUrl::fromLocalFile(path.isEmpty() ? m_downloadsFolder() : QFileInfo(path).path()));
}

void FrmCompareFileSelect::OpenFile()
{
    const QString path = selectedPath();
    if (path.isEmpty()) {
        m_shell.openUrl(QUrl::fromLocalFile(m_downloadsFolder()));
        return;
    }
    if (QFileInfo::exists(path))
        m_shell.openUrl(QUrl::fromLocalFile(path));
    else
        m_shell.showMessage(MessageSink::Severity::Critical, kAppTitle,
                            QStringLiteral("The file, '%1', was not found.").arg(QDir::toNativeSeparators(path)));
}

void FrmCompareFileSelect::OpenDefaultSettingsFolder()
{
    m_shell.openUrl(QUrl::fromLocalFile(QDir(m_programFolder).filePath(QStringLiteral("Default_Settings"))));
}

} // namespace halvana
