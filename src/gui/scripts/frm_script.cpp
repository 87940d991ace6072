#include "gui/scripts/frm_script.h"

#include "core/app/app_settings.h"
#include "core/app/app_title.h"
#include "core/app/window_geometry.h"
#include "core/scripts/script_language.h"
#include "core/terminal/terminal_console.h"
#include "gui/app/named_button.h"
#include "gui/app/shell_services.h"
#include "gui/capture/frm_compare_file_select.h"
#include "gui/terminal/console_view.h"
#include "gui/terminal/frm_terminal.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

namespace {

const QString kProperties = QStringLiteral("Properties");
const std::array<QString, 2> kDelayKeys{QStringLiteral("ScriptDelay1"), QStringLiteral("ScriptDelay2")};
// Column widths in twips as the list was designed.
constexpr std::array<int, FrmScript::ColumnCount> kDefaultWidths{420, 600, 3900, 1950, 2100, 2100};

} // namespace

FrmScript::FrmScript(Context context, QWidget* parent)
    : QWidget(parent),
      m_context(std::move(context)),
      m_runner(nullptr, m_context.clock),
      m_files(m_context.listFolder)
{
    setObjectName(QStringLiteral("frmScript"));
    setWindowTitle(QStringLiteral("Script File Transfer"));
    buildControls();

    for (int i = 0; i < 2; ++i) {
        const int fallback = i == 0 ? TerminalScriptRunner::kDefaultDelay1 : TerminalScriptRunner::kDefaultDelay2;
        const QString stored = m_context.settings.value(kProperties, kDelayKeys[size_t(i)], QString::number(fallback));
        txtDelay[size_t(i)]->setText(m_runner.setDelayText(i, stored));
    }
    connect(&m_runner, &TerminalScriptRunner::rowSelected, this, &FrmScript::showSelectedRow);
    connect(&m_runner, &TerminalScriptRunner::runningChanged, this, &FrmScript::showRunning);

    m_files.load(m_context.settings);
    refreshList();
    GetSP_Cmd_List();
    restoreColumnWidths();
    showRunning(false);
}

FrmScript::~FrmScript() = default;

void FrmScript::buildControls()
{
    lstSP_Cmds = new QListWidget(this);
    lstSP_Cmds->setObjectName(QStringLiteral("lstSP_Cmds"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    lstSP_Cmds->setFont(courier);
    // A clicked row is where the next step or run goes on from. Only a click selects: a list
    // that takes the focus makes its first row current by itself, and a run would then start
    // after it.
    lstSP_Cmds->setFocusPolicy(Qt::ClickFocus);
    connect(lstSP_Cmds, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_runner.selectRow(lstSP_Cmds->row(item)); });

    auto* fraDelay = new QGroupBox(QStringLiteral("Delay Settings (mS)"), this);
    fraDelay->setObjectName(QStringLiteral("fraDelay"));
    auto* delays = new QHBoxLayout(fraDelay);
    for (int i = 0; i < 2; ++i) {
        QLineEdit*& box = txtDelay[size_t(i)];
        box = new QLineEdit(fraDelay);
        box->setObjectName(QStringLiteral("txtDelay%1").arg(i));
        box->setMaximumWidth(70);
        box->setAlignment(Qt::AlignRight);
        delays->addWidget(new QLabel(QStringLiteral("Delay #%1:").arg(i + 1), fraDelay));
        delays->addWidget(box);
        // An entry that is no delay falls back at once to the last good one.
        connect(box, &QLineEdit::textEdited, this, [this, i, box](const QString& text) {
            const QString shown = m_runner.setDelayText(i, text);
            if (shown != text)
                box->setText(shown);
        });
    }

    cmdRun = namedButton(QStringLiteral("cmdRun"), QStringLiteral("Run"), this);
    cmdPause = namedButton(QStringLiteral("cmdPause"), QStringLiteral("Pause"), this);
    cmdSingleStep = namedButton(QStringLiteral("cmdSingleStep"), QStringLiteral("Step"), this);
    cmdSave = namedButton(QStringLiteral("cmdSave"), QStringLiteral("Save"), this);
    cmdExit = namedButton(QStringLiteral("cmdExit"), QStringLiteral("E&xit"), this);
    connect(cmdRun, &QPushButton::clicked, this, &FrmScript::cmdRun_Click);
    connect(cmdPause, &QPushButton::clicked, &m_runner, &TerminalScriptRunner::cmdPause);
    connect(cmdSingleStep, &QPushButton::clicked, &m_runner, &TerminalScriptRunner::cmdSingleStep);
    connect(cmdSave, &QPushButton::clicked, this, &FrmScript::cmdSave_Click);
    connect(cmdExit, &QPushButton::clicked, this, [this] { parentWidget() ? parentWidget()->close() : close(); });

    fraTerminal = new QGroupBox(QStringLiteral("Terminal"), this);
    fraTerminal->setObjectName(QStringLiteral("fraTerminal"));
    new QVBoxLayout(fraTerminal);

    auto* commands = new QSplitter(Qt::Horizontal, this);
    commands->addWidget(lstSP_Cmds);
    commands->addWidget(fraTerminal);
    commands->setSizes({1000, 1000});
    auto* lists = new QSplitter(Qt::Vertical, this);
    lists->addWidget(buildScriptList());
    lists->addWidget(commands);
    lists->setSizes({1000, 2000});

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(fraDelay);
    bottom->addStretch(1);
    for (QPushButton* b : {cmdRun, cmdPause, cmdSingleStep, cmdSave, cmdExit})
        bottom->addWidget(b, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lists, 1);
    layout->addLayout(bottom);
}

QWidget* FrmScript::buildScriptList()
{
    lvwScriptFiles = new FileDropList(this);
    lvwScriptFiles->setObjectName(QStringLiteral("lvwScriptFiles"));
    lvwScriptFiles->setHeaderLabels({QStringLiteral(" "), QStringLiteral("No."), QStringLiteral("Folder"),
                                     QStringLiteral("File Name"), QStringLiteral("File Date"),
                                     QStringLiteral("Last Used")});
    lvwScriptFiles->setRootIsDecorated(false);
    lvwScriptFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwScriptFiles->setAcceptDrops(true);
    lvwScriptFiles->setContextMenuPolicy(Qt::CustomContextMenu);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mnuScriptFiles"));
    const auto addItem = [this](const char* name, const QString& caption, void (FrmScript::*slot)()) {
        m_popup->addAction(caption, this, slot)->setObjectName(QString::fromLatin1(name));
    };
    addItem("mnuBrowse", QStringLiteral("Add New File"), &FrmScript::Browse);
    addItem("mnuOpenFolder", QStringLiteral("Open Folder"), &FrmScript::OpenFolder);
    addItem("mnuRemove", QStringLiteral("Remove"), &FrmScript::RemoveFile);

    connect(lvwScriptFiles, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popup->popup(lvwScriptFiles->viewport()->mapToGlobal(pos)); });
    connect(lvwScriptFiles, &FileDropList::filesDropped, this, [this](const QStringList& paths) {
        for (const QString& path : paths)
            m_files.addFile(path);
        refreshList();
        GetSP_Cmd_List();
    });
    connect(lvwScriptFiles, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (m_refreshing)
            return;
        m_files.select(lvwScriptFiles->indexOfTopLevelItem(item));
        GetSP_Cmd_List();
    });
    auto* remove = new QShortcut(QKeySequence::Delete, lvwScriptFiles, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &FrmScript::RemoveFile);
    return lvwScriptFiles;
}

void FrmScript::attachTerminal(FrmTerminal* terminal)
{
    TerminalConsole* console = terminal ? &terminal->console() : nullptr;
    if (console && m_runner.hasTerminal())
        return;
    m_runner.setTerminal(console);
    if (console) {
        // The terminal's text, followed edit by edit; it stays as it was when the terminal closes.
        delete rtbTerm;
        rtbTerm = new ConsoleView(console->console(), fraTerminal);
        fraTerminal->layout()->addWidget(rtbTerm);
        connect(console, &QObject::destroyed, this, [this] { attachTerminal(nullptr); });
    }
    showRunning(m_runner.running());
}

void FrmScript::refreshList()
{
    m_refreshing = true;
    lvwScriptFiles->clear();
    const std::vector<FileListEntry>& entries = m_files.list().entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const FileListEntry& e = entries[i];
        lvwScriptFiles->addTopLevelItem(new QTreeWidgetItem(
            {QString(), QString::number(i + 1), QDir::toNativeSeparators(e.folder), e.fileName, e.fileDate, e.lastUsed}));
    }
    if (QTreeWidgetItem* item = lvwScriptFiles->topLevelItem(m_files.selected())) {
        lvwScriptFiles->setCurrentItem(item);
        lvwScriptFiles->scrollToItem(item);
    }
    m_refreshing = false;
}

void FrmScript::GetSP_Cmd_List()
{
    const QString path = ScriptFilePath();
    const QStringList lines = path.isEmpty() ? QStringList() : script::readScriptFile(path).value_or(QStringList());
    m_runner.setLines(lines);
    lstSP_Cmds->clear();
    lstSP_Cmds->addItems(lines);
    // No row is sent yet: a run starts with the first.
    lstSP_Cmds->setCurrentRow(-1);
    lstSP_Cmds->clearSelection();
}

void FrmScript::AddFile(const QString& path)
{
    m_files.addFile(path);
    refreshList();
    GetSP_Cmd_List();
    warnIfFailed(m_files.save(m_context.settings));
}

void FrmScript::showSelectedRow(int row, int scrollTo)
{
    if (QListWidgetItem* ahead = lstSP_Cmds->item(scrollTo))
        lstSP_Cmds->scrollToItem(ahead);
    lstSP_Cmds->setCurrentRow(row);
}

void FrmScript::showRunning(bool running)
{
    const bool canSend = m_runner.hasTerminal();
    cmdRun->setEnabled(canSend && !running);
    cmdSingleStep->setEnabled(canSend);
    cmdPause->setEnabled(running);
}

void FrmScript::cmdRun_Click()
{
    if (!m_runner.hasTerminal())
        return;
    m_files.markUsed(QDateTime::currentDateTime());
    refreshList();
    m_runner.cmdRun();
}

void FrmScript::cmdSave_Click()
{
    for (int i = 0; i < 2; ++i)
        m_context.settings.setValue(kProperties, kDelayKeys[size_t(i)], QString::number(m_runner.delay(i)));
}

void FrmScript::Browse()
{
    const QString chosen = m_context.shell.chooseOpenFile({QStringLiteral("Select Script File"),
                                                           m_context.scriptsFolder(),
                                                           QStringLiteral("All Files (*.*);;Text Files(*.txt)"),
                                                           QStringLiteral("Text Files(*.txt)")});
    if (!chosen.isEmpty())
        AddFile(chosen);
}

void FrmScript::RemoveFile()
{
    QList<int> positions;
    for (QTreeWidgetItem* item : lvwScriptFiles->selectedItems())
        positions << lvwScriptFiles->indexOfTopLevelItem(item);
    if (positions.isEmpty())
        return;
    m_files.remove(positions);
    refreshList();
    GetSP_Cmd_List();
}

void FrmScript::OpenFolder()
{
    // The desktop opens a folder; it cannot point at a file in it.
    const QString path = ScriptFilePath();
    m_context.shell.openUrl(QUrl::fromLocalFile(path.isEmpty() ? m_context.scriptsFolder() : QFileInfo(path).path()));
}

void FrmScript::restoreColumnWidths()
{
    for (int c = 0; c < ColumnCount; ++c) {
        bool ok = false;
        const int twips = m_context.settings.value(kColumnWidthSection, QString::number(c)).toInt(&ok);
        lvwScriptFiles->setColumnWidth(c, twipsToPixels(ok && twips > 0 ? twips : kDefaultWidths[size_t(c)]));
    }
}

void FrmScript::storeColumnWidths()
{
    for (int c = 0; c < ColumnCount; ++c)
        m_context.settings.setValue(kColumnWidthSection, QString::number(c),
                                    QString::number(pixelsToTwips(lvwScriptFiles->columnWidth(c))));
}

void FrmScript::warnIfFailed(const QString& failure)
{
    if (!failure.isEmpty())
        m_context.shell.showMessage(MessageSink::Severity::Warning, kAppTitle, failure);
}

void FrmScript::closeEvent(QCloseEvent* event)
{
    m_runner.cmdPause();
    warnIfFailed(m_files.save(m_context.settings));
    storeColumnWidths();
    QWidget::closeEvent(event);
}

} // namespace halvana
