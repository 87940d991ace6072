#include "gui/upgrade/frm_upgrade.h"

#include "core/app/app_settings.h"
#include "core/app/app_title.h"
#include "core/files/text_file.h"
#include "core/modbus/status_panels.h"
#include "core/modbus/transport.h"
#include "core/session/unit_session.h"
#include "core/upgrade/upgrade_boards.h"
#include "core/upgrade/upgrade_status.h"
#include "core/upgrade/upgrade_timing.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/named_button.h"
#include "gui/app/shell_services.h"
#include "gui/terminal/frm_terminal.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

namespace {

const QString kPropertiesSection = QStringLiteral("Properties");
const QString kListIndexKey = QStringLiteral("cboFile_ListIndex");

QLineEdit* timeBox(const QString& name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignCenter);
    e->setMaximumWidth(70);
    return e;
}

} // namespace

// The open terminal window as the upgrade uses it; it may close at any time.
class FrmUpgrade::TerminalLink : public UpgradeTerminal {
public:
    explicit TerminalLink(std::function<FrmTerminal*()> terminal) : m_terminal(std::move(terminal)) {}

    FrmTerminal* window() const { return m_terminal(); }
    bool isPortOpen() const override
    {
        FrmTerminal* t = window();
        return t && t->console().isOpen();
    }
    void sendCommand(const QString& command, std::function<void()> sent) override
    {
        if (FrmTerminal* t = window())
            t->writeCommandRow(command, std::move(sent));
    }
    void releasePort() override
    {
        if (FrmTerminal* t = window())
            t->console().releasePort();
    }
    // A terminal closed during the transfer left the port open for it; it closes now.
    void resumePort() override
    {
        if (FrmTerminal* t = window())
            t->console().resumePort();
        else if (m_port)
            m_port->close();
    }
    void setPort(Transport* port) { m_port = port; }

private:
    std::function<FrmTerminal*()> m_terminal;
    Transport* m_port = nullptr;
};

FrmUpgrade::FrmUpgrade(Context context, QWidget* parent)
    : QWidget(parent),
      m_context(std::move(context)),
      m_sequence(m_context.clock),
      m_downgrade(m_context.session.writes(), m_context.session.lifecycle(), m_context.shell),
      m_terminalLink(std::make_unique<TerminalLink>(m_context.terminal))
{
    setObjectName(QStringLiteral("frmUpgrade"));
    setWindowTitle(QStringLiteral("Upgrade"));
    buildControls();

    connect(&m_sequence, &UpgradeSequence::statusText, this, &FrmUpgrade::setStatus);
    connect(&m_sequence, &UpgradeSequence::timesChanged, this,
            [this](const QString& estimate, const QString& elapsed, const QString& remaining) {
                txtEstimatedTime->setText(estimate);
                txtElaspedTime->setText(elapsed);
                txtRemainingTime->setText(remaining);
            });
    connect(&m_sequence, &UpgradeSequence::progress, this, [this](int acknowledged, int count) {
        prgBlocks->setMaximum(count);
        prgBlocks->setValue(acknowledged);
    });
    connect(&m_sequence, &UpgradeSequence::finished, this, &FrmUpgrade::transferFinished);
    connect(&m_downgrade, &Downgrade::statusText, this, &FrmUpgrade::setStatus);

    loadFileList();
    showEstimate();
}

FrmUpgrade::~FrmUpgrade()
{
    // Closing with the program: the unit hears CAN CAN, but the main window, going too, hears nothing.
    m_sequence.disconnect(this);
    m_sequence.cancel();
}

void FrmUpgrade::buildControls()
{
    auto* fraFile = new QGroupBox(QStringLiteral("Software Upgrade File"), this);
    fraFile->setObjectName(QStringLiteral("fraFile"));
    cboFile = new QComboBox(fraFile);
    cboFile->setObjectName(QStringLiteral("cboFile"));
    cboFile->setEditable(true);
    cboFile->setInsertPolicy(QComboBox::NoInsert);
    cboFile->setMinimumWidth(360);
    cboFile->setAcceptDrops(true);
    cboFile->lineEdit()->setAcceptDrops(false);
    cboFile->installEventFilter(this);
    cmdBrowse = namedButton(QStringLiteral("cmdBrowse"), QStringLiteral("Browse"), fraFile);
    cmdAddFile = namedButton(QStringLiteral("cmdAddFile"), QStringLiteral("Save"), fraFile);
    cmdRemoveFile = namedButton(QStringLiteral("cmdRemoveFile"), QStringLiteral("Remove"), fraFile);
    cmdOpenExplorer = namedButton(QStringLiteral("cmdOpenExplorer"), QStringLiteral("O&pen Folder"), fraFile);
    auto* fileGrid = new QGridLayout(fraFile);
    fileGrid->addWidget(cboFile, 0, 0, 1, 4);
    fileGrid->addWidget(cmdBrowse, 1, 0);
    fileGrid->addWidget(cmdAddFile, 1, 1);
    fileGrid->addWidget(cmdRemoveFile, 1, 2);
    fileGrid->addWidget(cmdOpenExplorer, 1, 3);

    auto* fraStart = new QGroupBox(QStringLiteral("Start Upgrade"), this);
    fraStart->setObjectName(QStringLiteral("fraStart"));
    auto* startRow = new QHBoxLayout(fraStart);
    for (int i = 0; i < int(kUpgradeBoards.size()); ++i) {
        cmdUpgrade[size_t(i)] = namedButton(QStringLiteral("cmdUpgrade%1").arg(i),
                                            QLatin1String(kUpgradeBoards[size_t(i)].caption), fraStart);
        startRow->addWidget(cmdUpgrade[size_t(i)]);
        connect(cmdUpgrade[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdUpgrade_Click(i); });
    }
    startRow->addSpacing(16);
    cmdDowngrade = namedButton(QStringLiteral("cmdDowngrade"), QStringLiteral("Downgrade"), fraStart);
    startRow->addWidget(cmdDowngrade);

    auto* fraStatus = new QGroupBox(QStringLiteral("Upgrade Status"), this);
    fraStatus->setObjectName(QStringLiteral("fraStatus"));
    txtFileTransferStatus = new QPlainTextEdit(fraStatus);
    txtFileTransferStatus->setObjectName(QStringLiteral("txtFileTransferStatus"));
    txtFileTransferStatus->setReadOnly(true);
    txtFileTransferStatus->setMaximumHeight(70);
    prgBlocks = new QProgressBar(fraStatus);
    prgBlocks->setObjectName(QStringLiteral("prgBlocks"));
    prgBlocks->setFormat(QStringLiteral("%v of %m blocks"));
    prgBlocks->setValue(0);
    auto* statusColumn = new QVBoxLayout(fraStatus);
    statusColumn->addWidget(txtFileTransferStatus);
    statusColumn->addWidget(prgBlocks);

    auto* fraTime = new QGroupBox(QStringLiteral("File Transfer Time"), this);
    fraTime->setObjectName(QStringLiteral("fraTime"));
    txtEstimatedTime = timeBox(QStringLiteral("txtEstimatedTime"), fraTime);
    txtElaspedTime = timeBox(QStringLiteral("txtElaspedTime"), fraTime);
    txtRemainingTime = timeBox(QStringLiteral("txtRemainingTime"), fraTime);
    auto* times = new QFormLayout(fraTime);
    times->addRow(QStringLiteral("Estimated:"), txtEstimatedTime);
    times->addRow(QStringLiteral("Elapsed:"), txtElaspedTime);
    times->addRow(QStringLiteral("Remaining:"), txtRemainingTime);

    cmdExit = namedButton(QStringLiteral("cmdExit"), QStringLiteral("E&xit"), this);

    auto* middle = new QHBoxLayout;
    middle->addWidget(fraStatus, 1);
    middle->addWidget(fraTime);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraFile);
    layout->addWidget(fraStart);
    layout->addLayout(middle);
    layout->addLayout(bottom);

    connect(cmdBrowse, &QPushButton::clicked, this, &FrmUpgrade::cmdBrowse_Click);
    connect(cmdAddFile, &QPushButton::clicked, this, &FrmUpgrade::cmdAddFile_Click);
    connect(cmdRemoveFile, &QPushButton::clicked, this, &FrmUpgrade::cmdRemoveFile_Click);
    connect(cmdOpenExplorer, &QPushButton::clicked, this, &FrmUpgrade::cmdOpenExplorer_Click);
    connect(cmdDowngrade, &QPushButton::clicked, this, &FrmUpgrade::cmdDowngrade_Click);
    // The window lives in a sub-window of the work area: closing that one asks the window first.
    connect(cmdExit, &QPushButton::clicked, this, [this] { parentWidget() ? parentWidget()->close() : close(); });
    connect(cboFile, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        cboFile->setToolTip(text);
        showEstimate();
    });
    connect(cboFile->lineEdit(), &QLineEdit::textEdited, this, [this] { cmdAddFile->setEnabled(true); });
}

void FrmUpgrade::loadFileList()
{
    const QString path = QDir(m_context.appDataFolder).filePath(kListFile);
    m_list.load(readWholeTextFile(path).value_or(QString()));
    for (const FileListEntry& entry : m_list.entries())
        cboFile->addItem(QDir::toNativeSeparators(entry.path()));
    bool ok = false;
    const int index = m_context.settings.value(kPropertiesSection, kListIndexKey).toInt(&ok);
    if (ok && index >= 0 && index < cboFile->count())
        cboFile->setCurrentIndex(index);
    cmdRemoveFile->setEnabled(cboFile->count() > 0);
    cmdAddFile->setEnabled(false);
}

void FrmUpgrade::saveFileList()
{
    const QString path = QDir(m_context.appDataFolder).filePath(kListFile);
    QDir().mkpath(m_context.appDataFolder);
    if (const std::optional<QString> failure = writeTextFile1252(path, m_list.toText()))
        m_context.shell.showMessage(MessageSink::Severity::Warning, kAppTitle, *failure);
}

void FrmUpgrade::showEstimate()
{
    const QFileInfo info(cboFile->currentText());
    txtEstimatedTime->setText(info.isFile() && info.size() > 0
                                  ? upgrade_timing::timeText(upgrade_timing::estimateMs(info.size()), true)
                                  : QString());
}

void FrmUpgrade::setStatus(const QString& text)
{
    txtFileTransferStatus->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void FrmUpgrade::showRebootText(const QString& text)
{
    if (!text.isEmpty())
        setStatus(text);
}

void FrmUpgrade::cmdUpgrade_Click(int index)
{
    FrmTerminal* terminal = m_terminalLink->window();
    if (terminal)
        connect(&terminal->console(), &TerminalConsole::received, &m_sequence, &UpgradeSequence::terminalReceived,
                Qt::UniqueConnection);
    const QString command = QLatin1String(kUpgradeBoards[size_t(index)].command);
    const QString path = QDir::fromNativeSeparators(cboFile->currentText().trimmed());
    Transport* port = m_context.session.serviceTransport();
    if (!port) {
        setStatus(QStringLiteral("There is no service port to send the image on."));
        return;
    }
    m_terminalLink->setPort(port);
    if (!m_sequence.start(path, command, *m_terminalLink, *port)) {
        setStatus(m_sequence.error());
        m_context.shell.showMessage(MessageSink::Severity::Warning, kAppTitle, m_sequence.error());
        return;
    }
    EnableButtons(false);
}

void FrmUpgrade::transferFinished(int code)
{
    EnableButtons(true);
    if (code != upgrade_status::kSucceeded)
        return;
    m_context.closeTerminal();
    m_context.shell.showMessage(MessageSink::Severity::Information, kAppTitle, kSucceededMessage);
}

void FrmUpgrade::cmdDowngrade_Click()
{
    m_downgrade.cmdDowngrade_Click();
}

void FrmUpgrade::EnableButtons(bool flag)
{
    for (QPushButton* b : cmdUpgrade)
        b->setEnabled(flag);
    cmdExit->setEnabled(flag);
    cmdDowngrade->setEnabled(flag);
    m_context.form.EnableButtons(flag);
}

void FrmUpgrade::cmdAddFile_Click()
{
    const QString text = cboFile->currentText().trimmed();
    if (text.isEmpty())
        return;
    m_list.append(QDir::fromNativeSeparators(text));
    cboFile->addItem(text);
    cboFile->setCurrentIndex(cboFile->count() - 1);
    saveFileList();
    cmdRemoveFile->setEnabled(true);
    cmdAddFile->setEnabled(false);
}

void FrmUpgrade::cmdRemoveFile_Click()
{
    const int index = cboFile->currentIndex();
    if (index < 0 || index >= m_list.count())
        return;
    m_list.remove({index});
    cboFile->removeItem(index);
    cboFile->setCurrentIndex(cboFile->count() > 0 ? qMax(0, index - 1) : -1);
    cmdRemoveFile->setEnabled(cboFile->count() > 0);
    saveFileList();
}

void FrmUpgrade::cmdBrowse_Click()
{
    const QString path = m_context.shell.chooseOpenFile({QStringLiteral("Open"), cboFile->currentText(),
                                                         QStringLiteral("All Files (*.*);;Binary Files(*.bin)"),
                                                         QStringLiteral("Binary Files(*.bin)")});
    if (!path.isEmpty())
        cboFile->setEditText(QDir::toNativeSeparators(path));
}

void FrmUpgrade::cmdOpenExplorer_Click()
{
    const QFileInfo info(QDir::fromNativeSeparators(cboFile->currentText().trimmed()));
    m_context.shell.openUrl(QUrl::fromLocalFile(info.isDir() ? info.filePath() : info.path()));
}

void FrmUpgrade::dropFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (path.contains(QLatin1String(".bin")))
            cboFile->setEditText(QDir::toNativeSeparators(path));
        else
            m_context.shell.showMessage(MessageSink::Severity::Information, kAppTitle, kWrongType);
    }
}

bool FrmUpgrade::eventFilter(QObject* watched, QEvent* event)
{
    // The work area's sub-window asks before anything else hears of its closing.
    if (watched == parentWidget() && event->type() == QEvent::Close) {
        if (confirmClose())
            return false;
        event->ignore();
        return true;
    }
    if (watched == cboFile && (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls())
            return false;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop) {
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls())
                paths << url.toLocalFile();
            dropFiles(paths);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool FrmUpgrade::confirmClose()
{
    if (!m_sequence.isBusy())
        return true;
    if (!m_context.shell.askYesNo(kAppTitle, kCloseQuery, false))
        return false;
    m_sequence.cancel();
    m_context.form.setStatusPanelText(
        panel::CommMsg, upgrade_status::text(upgrade_status::kCanceled).section(QStringLiteral("\r\n"), 0, 0));
    return true;
}

void FrmUpgrade::closeEvent(QCloseEvent* event)
{
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    if (cboFile->count() > 0)
        m_context.settings.setValue(kPropertiesSection, kListIndexKey, QString::number(cboFile->currentIndex()));
    QWidget::closeEvent(event);
}

} // namespace halvana
