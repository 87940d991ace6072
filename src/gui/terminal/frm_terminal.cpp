#include "gui/terminal/frm_terminal.h"

#include "core/app/app_settings.h"
#include "core/app/shell_settings.h"
#include "core/terminal/service_commands.h"
#include "gui/app/named_button.h"
#include "gui/app/shell_services.h"
#include "gui/terminal/console_view.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

namespace {

// `cmdRead_Next` moves the list selection by this many entries.
constexpr int kReadNextStep = 5;
// The list's first tab stop, 98 dialog units, in pixels; the commands' column fits its longest.
constexpr int kTabStopPixels = 98 * 7 / 4;
constexpr int kDefaultListLeftTwips = 8580;

const QString kCommandListLeftKey = QStringLiteral("_fraSP_Cmd_List_Left");
const QString kCommandListExpandKey = QStringLiteral("_CmdListExpandFlag");

QLineEdit* lineEdit(const QString& name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

} // namespace

FrmTerminal::FrmTerminal(Context context, QWidget* parent)
    : QWidget(parent), m_context(std::move(context)), m_console(m_context.clock, m_context.shell),
      m_capture(m_context.shell)
{
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QStringLiteral("Terminal"));
    buildControls();
    m_console.setPort(m_context.port, CommSettings::read(m_context.settings).commPort);

    connect(&m_console, &TerminalConsole::panelChanged, this, [this](const QString& key, const QString& text) {
        if (QLabel* panel = m_panels.value(key))
            panel->setText(text);
    });
    connect(&m_console, &TerminalConsole::connectCaptionChanged, cmdConnect, &QPushButton::setText);
    connect(&m_console, &TerminalConsole::indicatorChanged, this, [this](bool lit) {
        shpConnected->setStyleSheet(lit ? QStringLiteral("background: rgb(0, 255, 0); border: 1px solid gray;")
                                        : QStringLiteral("border: 1px solid gray;"));
    });
    connect(&m_console, &TerminalConsole::commandLineChanged, txtCommandLine, &QLineEdit::setText);
    connect(&m_console, &TerminalConsole::received, this,
            [this](const QString& block) { m_capture.write(block, m_console.console().isMasking()); });

    GetSP_Commands();
    GetSP_Cmd_List();
    restoreLayout();
    m_console.load();
}

FrmTerminal::~FrmTerminal()
{
    m_console.unload();
}

void FrmTerminal::buildControls()
{
    cmdConnect = namedButton(QStringLiteral("cmdConnect"), m_console.connectCaption(), this);
    shpConnected = new QLabel(this);
    shpConnected->setObjectName(QStringLiteral("shpConnected"));
    shpConnected->setFixedSize(14, 14);
    shpConnected->setStyleSheet(QStringLiteral("border: 1px solid gray;"));
    cmdExpand = namedButton(QStringLiteral("cmdExpand"), QString(), this);
    auto* top = new QHBoxLayout;
    top->setSpacing(4);
    top->addWidget(cmdConnect);
    top->addWidget(shpConnected);
    top->addStretch(1);
    top->addWidget(cmdExpand);
    // The command buttons in two rows of five, so their captions fit the window's default width.
    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    for (int i = 0; i < int(cmdSP_Commands.size()); ++i) {
        cmdSP_Commands[size_t(i)] = namedButton(QStringLiteral("cmdSP_Commands%1").arg(i), QString(), this);
        buttons->addWidget(cmdSP_Commands[size_t(i)], i / 5, i % 5);
        connect(cmdSP_Commands[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdSP_Commands_Click(i); });
    }

    rtbTerm = new ConsoleView(m_console.console(), this);
    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->setChildrenCollapsible(false);
    m_split->addWidget(rtbTerm);
    m_split->addWidget(buildCommandList());
    m_split->setStretchFactor(0, 1);

    txtCommandLine = lineEdit(QStringLiteral("txtCommandLine"), this);
    txtCommandLine->setPlaceholderText(QStringLiteral("Type a command and press Enter"));
    txtCommandLine->installEventFilter(this);
    auto* commandLine = new QHBoxLayout;
    commandLine->addWidget(new QLabel(QStringLiteral("Command:"), this));
    commandLine->addWidget(txtCommandLine, 1);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(4);
    for (int i = 0; i < kCommandRows; ++i) {
        txtCommand[size_t(i)] = lineEdit(QStringLiteral("txtCommand%1").arg(i), this);
        txtArgument[size_t(i)] = lineEdit(QStringLiteral("txtArgument%1").arg(i), this);
        txtArgument[size_t(i)]->setPlaceholderText(QStringLiteral("argument"));
        cmdWrite[size_t(i)] = namedButton(QStringLiteral("cmdWrite%1").arg(i), QStringLiteral("Write"), this);
        rows->addWidget(txtCommand[size_t(i)], 0, i * 3);
        rows->addWidget(txtArgument[size_t(i)], 0, i * 3 + 1);
        rows->addWidget(cmdWrite[size_t(i)], 0, i * 3 + 2);
        connect(cmdWrite[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdWrite_Click(i); });
    }
    txtCommand[0]->setText(QStringLiteral("meter write"));

    sbrStatus = new QStatusBar(this);
    sbrStatus->setObjectName(QStringLiteral("sbrStatus"));
    sbrStatus->setSizeGripEnabled(false);
    for (const QString& key : {TerminalConsole::kComPortPanel, TerminalConsole::kSettingsPanel,
                               TerminalConsole::kStatusPanel, TerminalConsole::kErrorsPanel}) {
        auto* panel = new QLabel(sbrStatus);
        panel->setObjectName(key);
        panel->setMinimumWidth(90);
        sbrStatus->addWidget(panel, key == TerminalConsole::kErrorsPanel ? 1 : 0);
        m_panels.insert(key, panel);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(m_split, 1);
    layout->addLayout(commandLine);
    layout->addLayout(rows);
    layout->addLayout(buildCaptureRow());
    layout->addWidget(sbrStatus);

    connect(cmdConnect, &QPushButton::clicked, this, &FrmTerminal::cmdConnect_Click);
    connect(cmdExpand, &QPushButton::clicked, this, &FrmTerminal::cmdExpand_Click);
    connect(txtCommandLine, &QLineEdit::textEdited, &m_console, &TerminalConsole::setCommandLine);
    connect(txtCommandLine, &QLineEdit::returnPressed, this, [this] {
        m_console.setCommandLine(txtCommandLine->text());
        m_console.SendTLM_Command();
        m_historyIndex = int(m_console.history().size());
    });
}

QWidget* FrmTerminal::buildCommandList()
{
    fraSP_Cmd_List = new QGroupBox(QStringLiteral("Commands"), this);
    fraSP_Cmd_List->setObjectName(QStringLiteral("fraSP_Cmd_List"));
    lstSP_Cmds = new QTreeWidget(fraSP_Cmd_List);
    lstSP_Cmds->setObjectName(QStringLiteral("lstSP_Cmds"));
    lstSP_Cmds->setHeaderHidden(true);
    lstSP_Cmds->setRootIsDecorated(false);
    lstSP_Cmds->setColumnCount(3);
    lstSP_Cmds->setColumnWidth(0, kTabStopPixels);
    lstSP_Cmds->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstSP_Cmds->setMinimumWidth(200);
    cmdSend_tlm[0] = namedButton(QStringLiteral("cmdSend_tlm0"), QStringLiteral("Send"), fraSP_Cmd_List);
    cmdSend_tlm[1] = namedButton(QStringLiteral("cmdSend_tlm1"), QStringLiteral("Send with:"), fraSP_Cmd_List);
    cmdRead_Next[0] = namedButton(QStringLiteral("cmdRead_Next0"), QStringLiteral("Up"), fraSP_Cmd_List);
    cmdRead_Next[1] = namedButton(QStringLiteral("cmdRead_Next1"), QStringLiteral("Down"), fraSP_Cmd_List);
    txtListArgument = lineEdit(QStringLiteral("txtListArgument"), fraSP_Cmd_List);
    txtListArgument->setPlaceholderText(QStringLiteral("argument"));

    auto* grid = new QGridLayout(fraSP_Cmd_List);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(lstSP_Cmds, 0, 0, 1, 4);
    grid->addWidget(cmdSend_tlm[0], 1, 0);
    grid->addWidget(cmdRead_Next[0], 1, 2);
    grid->addWidget(cmdRead_Next[1], 1, 3);
    grid->addWidget(cmdSend_tlm[1], 2, 0);
    grid->addWidget(txtListArgument, 2, 1, 1, 3);
    for (int i = 0; i < 2; ++i) {
        connect(cmdSend_tlm[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdSend_tlm_Click(i); });
        connect(cmdRead_Next[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdRead_Next_Click(i); });
    }
    connect(lstSP_Cmds, &QTreeWidget::itemDoubleClicked, this, &FrmTerminal::lstSP_Cmds_DblClick);
    connect(lstSP_Cmds, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        lstSP_Cmds->setToolTip(item ? service_commands::listToolTip(item->data(0, Qt::UserRole).toString()) : QString());
    });
    return fraSP_Cmd_List;
}

QLayout* FrmTerminal::buildCaptureRow()
{
    cmdStart = namedButton(QStringLiteral("cmdStart"), QStringLiteral("Start"), this);
    lblFilename = new QLabel(this);
    lblFilename->setObjectName(QStringLiteral("lblFilename"));
    cmdOpenFile = namedButton(QStringLiteral("cmdOpenFile"), QStringLiteral("Open File"), this);
    cmdOpenFolder = namedButton(QStringLiteral("cmdOpenFolder"), QStringLiteral("Open Folder"), this);
    cmdRename = namedButton(QStringLiteral("cmdRename"), QStringLiteral("Rename"), this);
    cmdCompare = namedButton(QStringLiteral("cmdCompare"), QStringLiteral("Compare"), this);
    tmrBlink = new QTimer(this);
    tmrBlink->setInterval(500);
    connect(tmrBlink, &QTimer::timeout, this, [this] {
        lblFilename->setStyleSheet(lblFilename->styleSheet().isEmpty() ? QStringLiteral("color: red;") : QString());
    });

    // The status text has a line of its own, so a long file name is never cut.
    auto* row = new QGridLayout;
    row->setHorizontalSpacing(4);
    row->addWidget(new QLabel(QStringLiteral("Capture:"), this), 0, 0);
    row->addWidget(cmdStart, 0, 1);
    int column = 2;
    for (QPushButton* b : {cmdOpenFile, cmdOpenFolder, cmdRename, cmdCompare})
        row->addWidget(b, 0, column++);
    row->setColumnStretch(column, 1);
    row->addWidget(lblFilename, 1, 0, 1, column + 1);
    connect(cmdStart, &QPushButton::clicked, this, &FrmTerminal::cmdStart_Click);
    connect(cmdOpenFile, &QPushButton::clicked, this, &FrmTerminal::cmdOpenFile_Click);
    connect(cmdOpenFolder, &QPushButton::clicked, this, &FrmTerminal::cmdOpenFolder_Click);
    connect(cmdRename, &QPushButton::clicked, this, &FrmTerminal::cmdRename_Click);
    connect(cmdCompare, &QPushButton::clicked, this, &FrmTerminal::cmdCompare_Click);
    showCaptureState();
    return row;
}

// The capture row follows the capture: not yet made, running (blinking), or made.
void FrmTerminal::showCaptureState()
{
    const bool capturing = m_capture.isCapturing();
    const bool made = !capturing && !m_capture.filePath().isEmpty();
    cmdStart->setText(capturing ? QStringLiteral("Stop") : QStringLiteral("Start"));
    lblFilename->setText(capturing ? TerminalCapture::capturingText(m_capture.fileName())
                         : made    ? TerminalCapture::capturedText(m_capture.fileName())
                                   : QString());
    for (QPushButton* b : {cmdOpenFile, cmdOpenFolder, cmdRename})
        b->setEnabled(made);
    cmdCompare->setEnabled(!capturing && bool(m_context.showComparison));
    if (capturing) {
        tmrBlink->start();
    } else {
        tmrBlink->stop();
        lblFilename->setStyleSheet(QString());
    }
}

void FrmTerminal::cmdStart_Click()
{
    if (m_capture.isCapturing())
        m_capture.stop();
    else
        m_capture.start(m_context.downloadsFolder());
    showCaptureState();
}

void FrmTerminal::cmdOpenFile_Click()
{
    m_context.shell.openUrl(QUrl::fromLocalFile(m_capture.filePath()));
}

void FrmTerminal::cmdOpenFolder_Click()
{
    m_context.shell.openUrl(QUrl::fromLocalFile(QFileInfo(m_capture.filePath()).path()));
}

void FrmTerminal::cmdRename_Click()
{
    const std::optional<QString> name = m_context.shell.inputText(
        QStringLiteral("Rename File"), QStringLiteral("Please enter a new filename . . ."), m_capture.fileName());
    if (name && m_capture.rename(*name))
        showCaptureState();
}

void FrmTerminal::cmdCompare_Click()
{
    if (m_context.showComparison)
        m_context.showComparison();
}

void FrmTerminal::GetSP_Commands()
{
    const QStringList lines =
        service_commands::readFile(m_context.programFolder, service_commands::kButtonsFile, m_context.shell);
    const QVector<service_commands::Button> row = service_commands::buttons(lines);
    for (int i = 0; i < int(cmdSP_Commands.size()); ++i) {
        QPushButton* b = cmdSP_Commands[size_t(i)];
        const bool defined = i < row.size();
        b->setText(defined ? row[i].caption : QString());
        b->setToolTip(defined ? row[i].command : QString());
        b->setProperty("command", defined ? row[i].command : QString());
        // Button 0 names the row and sends nothing.
        b->setEnabled(defined && i > 0);
        b->setVisible(defined);
    }
}

void FrmTerminal::GetSP_Cmd_List()
{
    lstSP_Cmds->clear();
    const QStringList lines =
        service_commands::readFile(m_context.programFolder, service_commands::kListFile, m_context.shell);
    for (const QString& line : lines) {
        auto* item = new QTreeWidgetItem(lstSP_Cmds, line.split(QLatin1Char('\t')));
        item->setData(0, Qt::UserRole, line);
    }
    if (lstSP_Cmds->topLevelItemCount() > 0)
        lstSP_Cmds->setCurrentItem(lstSP_Cmds->topLevelItem(0));
}

void FrmTerminal::cmdConnect_Click()
{
    m_console.cmdConnect_Click();
}

void FrmTerminal::cmdSP_Commands_Click(int index)
{
    if (index >= 1)
        m_console.Send_SP_Command(cmdSP_Commands[size_t(index)]->property("command").toString());
}

void FrmTerminal::lstSP_Cmds_DblClick()
{
    cmdSend_tlm_Click(0);
}

void FrmTerminal::cmdSend_tlm_Click(int index)
{
    const QTreeWidgetItem* item = lstSP_Cmds->currentItem();
    if (!item)
        return;
    const QString command = service_commands::listCommand(item->data(0, Qt::UserRole).toString());
    if (command.isEmpty())
        return;
    m_console.Send_SP_Command(index == 0 ? command
                                         : service_commands::commandWithArgument(command, txtListArgument->text()));
}

void FrmTerminal::cmdRead_Next_Click(int index)
{
    const int count = lstSP_Cmds->topLevelItemCount();
    if (count == 0)
        return;
    const int current = qMax(0, lstSP_Cmds->indexOfTopLevelItem(lstSP_Cmds->currentItem()));
    const int next = qBound(0, current + (index == 0 ? -kReadNextStep : kReadNextStep), count - 1);
    lstSP_Cmds->setCurrentItem(lstSP_Cmds->topLevelItem(next));
}

void FrmTerminal::cmdWrite_Click(int index, std::function<void()> sent)
{
    m_console.setCommandLine(
        service_commands::commandWithArgument(txtCommand[size_t(index)]->text(), txtArgument[size_t(index)]->text()));
    m_console.SendTLM_Command(std::move(sent));
}

void FrmTerminal::writeCommandRow(const QString& command, std::function<void()> sent)
{
    txtArgument[0]->clear();
    txtCommand[0]->setText(command);
    cmdWrite_Click(0, std::move(sent));
}

bool FrmTerminal::isCommandListExpanded() const
{
    return !fraSP_Cmd_List->isHidden();
}

void FrmTerminal::cmdExpand_Click()
{
    setCommandListExpanded(fraSP_Cmd_List->isHidden());
}

void FrmTerminal::setCommandListExpanded(bool expanded)
{
    if (!expanded && !fraSP_Cmd_List->isHidden())
        m_commandListLeft = m_split->sizes().value(0);
    fraSP_Cmd_List->setHidden(!expanded);
    cmdExpand->setText(expanded ? QStringLiteral("Commands <<") : QStringLiteral("Commands >>"));
    if (expanded && m_commandListLeft > 0)
        m_split->setSizes({m_commandListLeft, qMax(m_split->width() - m_commandListLeft, lstSP_Cmds->minimumWidth())});
}

void FrmTerminal::restoreLayout()
{
    const AppSettings& settings = m_context.settings;
    bool ok = false;
    const int left = settings.value(kLayoutSection, kLayoutPrefix + kCommandListLeftKey).toInt(&ok);
    m_commandListLeft = twipsToPixels(ok ? left : kDefaultListLeftTwips);
    setCommandListExpanded(settings.value(kLayoutSection, kLayoutPrefix + kCommandListExpandKey) == QLatin1String("True"));
}

void FrmTerminal::storeLayout()
{
    const bool expanded = !fraSP_Cmd_List->isHidden();
    if (expanded)
        m_commandListLeft = m_split->sizes().value(0);
    AppSettings& settings = m_context.settings;
    settings.setValue(kLayoutSection, kLayoutPrefix + kCommandListLeftKey, QString::number(pixelsToTwips(m_commandListLeft)));
    settings.setValue(kLayoutSection, kLayoutPrefix + kCommandListExpandKey,
                      expanded ? QStringLiteral("True") : QStringLiteral("False"));
}

bool FrmTerminal::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtCommandLine && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            recallHistory(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmTerminal::recallHistory(int step)
{
    const QStringList& history = m_console.history();
    m_historyIndex = qBound(0, m_historyIndex + step, int(history.size()));
    m_console.setCommandLine(history.value(m_historyIndex));
    txtCommandLine->setText(m_console.commandLine());
}

void FrmTerminal::closeEvent(QCloseEvent* event)
{
    storeLayout();
    m_console.unload();
    QWidget::closeEvent(event);
}

} // namespace halvana
