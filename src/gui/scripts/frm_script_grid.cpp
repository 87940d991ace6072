#include "gui/scripts/frm_script_grid.h"

#include "core/app/app_folders.h"
#include "core/app/app_title.h"
#include "core/app/folder_locations.h"
#include "core/device/device_data.h"
#include "core/files/text_file.h"
#include "core/scripts/modbus_script_runner.h"
#include "core/session/unit_session.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/named_button.h"
#include "gui/app/shell_services.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kScriptFilter = QStringLiteral("All Files (*.*);;Text Files(*.txt)");
const QString kTextFilter = QStringLiteral("Text Files(*.txt)");
constexpr int kMissingFileDelayMs = 500;
// Messages name at most this many lines that could not be written.
constexpr int kProblemsShown = 8;

QTableWidget* meterGrid(const QString& name, QWidget* parent)
{
    auto* grid = new QTableWidget(ScriptBuilder::kMeterCount, 1, parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels({QStringLiteral("Mtr. No.")});
    grid->verticalHeader()->setVisible(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setToolTip(QStringLiteral("Click or click and drag to select cells."));
    grid->horizontalHeader()->setMinimumSectionSize(20);
    grid->setColumnWidth(0, 60);
    grid->verticalHeader()->setDefaultSectionSize(18);
    for (int r = 0; r < ScriptBuilder::kMeterCount; ++r) {
        auto* item = new QTableWidgetItem(QString::number(r + 1));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->setItem(r, 0, item);
    }
    grid->setFixedWidth(90);
    return grid;
}

QTableWidget* mappingGrid(const QString& name, QWidget* parent)
{
    auto* grid = new QTableWidget(0, 3, parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels({QStringLiteral("Connector (I)"), QStringLiteral("Ich"), QStringLiteral("Vch")});
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    grid->horizontalHeader()->setFont(bold);
    grid->horizontalHeaderItem(1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->horizontalHeaderItem(2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Design widths in twips: 1510, 460, 460.
    grid->setColumnWidth(0, 1510 / 15);
    grid->setColumnWidth(1, 460 / 15);
    grid->setColumnWidth(2, 460 / 15);
    grid->verticalHeader()->setVisible(false);
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setToolTip(QStringLiteral("Click or click and drag to select cells."));
    grid->setMinimumWidth(1510 / 15 + 2 * 460 / 15 + 24);
    return grid;
}

QComboBox* numberList(const QString& name, const QString& prefix, int count, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    for (int i = 1; i <= count; ++i)
        list->addItem(prefix + QString::number(i));
    return list;
}

} // namespace

FrmScriptGrid::FrmScriptGrid(Context context, QWidget* parent)
    : QWidget(parent), m_context(std::move(context)), m_runner(m_context.session.scriptRunner())
{
    setObjectName(QStringLiteral("frmScriptGrid"));
    setWindowTitle(QStringLiteral("Create Scripts"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QHBoxLayout(this);
    auto* meters = new QGroupBox(QStringLiteral("Meters"), this);
    auto* settings = new QGroupBox(QStringLiteral("Settings"), this);
    auto* mapping = new QGroupBox(QStringLiteral("Channel Mapping"), this);
    auto* script = new QGroupBox(QStringLiteral("Script File Text"), this);
    buildMeterPanel(meters);
    buildSettingsPanel(settings);
    buildMappingPanel(mapping);
    buildScriptPanel(script);
    layout->addWidget(meters);
    layout->addWidget(settings);
    layout->addWidget(mapping);
    layout->addWidget(script, 1);

    connect(&m_runner, &ModbusScriptRunner::lineSelected, this, [this](int index) {
        if (index < lstScript->count())
            lstScript->setCurrentRow(index);
    });
    connect(&m_runner, &ModbusScriptRunner::finished, this, [this](const ScriptSummary&) { endModbusRun(); });
    // The settings files differ between the maps.
    connect(&m_context.session.data(), &DeviceData::registerMapVersionChanged, this,
            &FrmScriptGrid::GetModbusSettingsList);

    GetModbusSettingsList();
    loadMapping();
    if (QFileInfo(m_context.scriptFilename).isFile())
        txtFilePath->setText(QDir::toNativeSeparators(m_context.scriptFilename));
    updateButtons();
}

FrmScriptGrid::~FrmScriptGrid() = default;

void FrmScriptGrid::buildMeterPanel(QWidget* panel)
{
    auto* v = new QVBoxLayout(panel);
    lstMeterType = new QListWidget(panel);
    lstMeterType->setObjectName(QStringLiteral("lstMeterType"));
    lstMeterType->addItems(ScriptBuilder::meterTypeLabels());
    lstMeterType->setCurrentRow(0);
    lstMeterType->setFixedHeight(6 * 18 + 6);
    grdMtrNo = meterGrid(QStringLiteral("grdMtrNo"), panel);
    v->addWidget(new QLabel(QStringLiteral("Meter Type:"), panel));
    v->addWidget(lstMeterType);
    v->addWidget(grdMtrNo, 1);
    auto* cmdClear = namedButton(QStringLiteral("cmdClear"), QStringLiteral("Clear Table"), panel);
    auto* cmdAddMeters = namedButton(QStringLiteral("cmdAddMeters"), QStringLiteral("Add Meters"), panel);
    auto* command1 = namedButton(QStringLiteral("Command1"), QStringLiteral("Delete All Meters"), panel);
    v->addWidget(cmdClear);
    v->addWidget(cmdAddMeters);
    v->addWidget(command1);
    connect(cmdClear, &QPushButton::clicked, grdMtrNo, &QTableWidget::clearSelection);
    connect(cmdAddMeters, &QPushButton::clicked, this, &FrmScriptGrid::cmdAddMeters_Click);
    connect(command1, &QPushButton::clicked, this, &FrmScriptGrid::Command1_Click);
}

void FrmScriptGrid::buildSettingsPanel(QWidget* panel)
{
    auto* grid = new QGridLayout(panel);
    const QStringList captions{QStringLiteral("System"), QStringLiteral("1-Phase Mtr."), QStringLiteral("3-Phase Mtr.")};
    auto* options = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        optMeterType[size_t(i)] = new QRadioButton(captions[i], panel);
        optMeterType[size_t(i)]->setObjectName(QStringLiteral("optMeterType%1").arg(i));
        options->addWidget(optMeterType[size_t(i)]);
    }
    optMeterType[1]->setChecked(true);
    for (QRadioButton* option : optMeterType) {
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                GetModbusSettingsList();
        });
    }
    lstSP_Cmds = new QListWidget(panel);
    lstSP_Cmds->setObjectName(QStringLiteral("lstSP_Cmds"));
    lstSP_Cmds->setMinimumWidth(260);
    txtItemSelected = new QLineEdit(panel);
    txtItemSelected->setObjectName(QStringLiteral("txtItemSelected"));
    txtItemSelected->setReadOnly(true);
    txtNewSetting = new QLineEdit(panel);
    txtNewSetting->setObjectName(QStringLiteral("txtNewSetting"));
    cmdAdd = namedButton(QStringLiteral("cmdAdd"), QStringLiteral("Add Setting"), panel);
    grdMtrNo2 = meterGrid(QStringLiteral("grdMtrNo2"), panel);
    auto* cmdClear2 = namedButton(QStringLiteral("cmdClear2"), QStringLiteral("Clear Table"), panel);
    auto* clearAll = namedButton(QStringLiteral("cmdSelectAll0"), QStringLiteral("Clear All"), panel);
    auto* selectAll = namedButton(QStringLiteral("cmdSelectAll1"), QStringLiteral("Select All"), panel);

    grid->addLayout(options, 0, 0, 1, 2);
    grid->addWidget(lstSP_Cmds, 1, 0, 4, 1);
    grid->addWidget(grdMtrNo2, 1, 1);
    grid->addWidget(cmdClear2, 2, 1);
    grid->addWidget(clearAll, 3, 1);
    grid->addWidget(selectAll, 4, 1);
    grid->addWidget(txtItemSelected, 5, 0, 1, 2);
    auto* value = new QHBoxLayout;
    value->addWidget(new QLabel(QStringLiteral("New Setting:"), panel));
    value->addWidget(txtNewSetting, 1);
    value->addWidget(cmdAdd);
    grid->addLayout(value, 6, 0, 1, 2);
    grid->setRowStretch(1, 1);

    connect(lstSP_Cmds, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        txtItemSelected->setText(text);
        updateButtons();
    });
    connect(txtNewSetting, &QLineEdit::textChanged, this, &FrmScriptGrid::updateButtons);
    connect(cmdAdd, &QPushButton::clicked, this, &FrmScriptGrid::cmdAdd_Click);
    connect(cmdClear2, &QPushButton::clicked, grdMtrNo2, &QTableWidget::clearSelection);
    connect(clearAll, &QPushButton::clicked, grdMtrNo2, &QTableWidget::clearSelection);
    connect(selectAll, &QPushButton::clicked, grdMtrNo2, &QTableWidget::selectAll);
}

void FrmScriptGrid::buildMappingPanel(QWidget* panel)
{
    auto* grid = new QGridLayout(panel);
    lstChannelConfiguration = new QListWidget(panel);
    lstChannelConfiguration->setObjectName(QStringLiteral("lstChannelConfiguration"));
    lstChannelConfiguration->addItems(ScriptBuilder::configurationNames());
    lstChannelConfiguration->setCurrentRow(0);
    lstChannelConfiguration->setFixedHeight(9 * 18 + 6);
    lstSlotNo = numberList(QStringLiteral("lstSlotNo"), QStringLiteral("Slot "), ChannelMapping::kSlotCount, panel);
    lstMtrNo_1Ph = numberList(QStringLiteral("lstMtrNo_1Ph"), QString(), ScriptBuilder::kMeterCount, panel);
    lst1stBrPnl = numberList(QStringLiteral("lst1stBrPnl"), QString(), ScriptBuilder::kMeterCount, panel);
    lstMtrNo_3Ph = numberList(QStringLiteral("lstMtrNo_3Ph"), QString(), ScriptBuilder::kMeterCount, panel);
    lst3PhParentID = numberList(QStringLiteral("lst3PhParentID"), QString(), ScriptBuilder::kMeterCount, panel);
    for (int g = 0; g < 2; ++g)
        grdMapping[size_t(g)] = mappingGrid(QStringLiteral("grdMapping%1").arg(g), panel);
    auto* cmdAddMapping = namedButton(QStringLiteral("cmdAddMapping"), QStringLiteral("Add Mapping"), panel);

    grid->addWidget(lstChannelConfiguration, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Slot:"), panel), 1, 0);
    grid->addWidget(lstSlotNo, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("1st Mtr. No."), panel), 2, 0);
    grid->addWidget(lstMtrNo_1Ph, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Parent ID"), panel), 2, 2);
    grid->addWidget(lst1stBrPnl, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("3Ph Mtr. No."), panel), 3, 0);
    grid->addWidget(lstMtrNo_3Ph, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Parent ID"), panel), 3, 2);
    grid->addWidget(lst3PhParentID, 3, 3);
    grid->addWidget(grdMapping[0], 4, 0, 1, 2);
    grid->addWidget(grdMapping[1], 4, 2, 1, 2);
    grid->addWidget(cmdAddMapping, 5, 0, 1, 4);
    grid->setRowStretch(4, 1);

    connect(lstChannelConfiguration, &QListWidget::currentRowChanged, this, &FrmScriptGrid::loadMapping);
    connect(lstSlotNo, &QComboBox::currentIndexChanged, this, &FrmScriptGrid::showMappingGrids);
    connect(cmdAddMapping, &QPushButton::clicked, this, &FrmScriptGrid::cmdAddMapping_Click);
}

void FrmScriptGrid::buildScriptPanel(QWidget* panel)
{
    auto* v = new QVBoxLayout(panel);
    auto* stack = new QStackedLayout;
    stack->setStackingMode(QStackedLayout::StackAll);
    txtNewScript = new QPlainTextEdit(panel);
    txtNewScript->setObjectName(QStringLiteral("txtNewScript"));
    txtNewScript->setFont(QFont(QStringLiteral("Courier New")));
    txtNewScript->setLineWrapMode(QPlainTextEdit::NoWrap);
    lstScript = new QListWidget(panel);
    lstScript->setObjectName(QStringLiteral("lstScript"));
    lstScript->setFont(txtNewScript->font());
    lstScript->hide();
    stack->addWidget(txtNewScript);
    stack->addWidget(lstScript);
    v->addLayout(stack, 1);
    txtFilePath = new QLineEdit(panel);
    txtFilePath->setObjectName(QStringLiteral("txtFilePath"));
    txtFilePath->setReadOnly(true);
    v->addWidget(txtFilePath);

    cmdMakeReadFile = namedButton(QStringLiteral("cmdMakeReadFile"), QStringLiteral("&Make Read File"), panel);
    cmdWriteScript = namedButton(QStringLiteral("cmdWriteScript"), QStringLiteral("&Save"), panel);
    auto* cmdBrowse = namedButton(QStringLiteral("cmdBrowse"), QStringLiteral("Open File"), panel);
    auto* cmdOpenFolder = namedButton(QStringLiteral("cmdOpenFolder"), QStringLiteral("Open Folder"), panel);
    auto* cmdClearText = namedButton(QStringLiteral("cmdClearText"), QStringLiteral("&Clear Text"), panel);
    cmdRunScript = namedButton(QStringLiteral("cmdRunScript"), QStringLiteral("Run via Terminal"), panel);
    cmdRunModbus = namedButton(QStringLiteral("cmdRunModbus"), QStringLiteral("Run Now"), panel);
    cmdStopModbusRun = namedButton(QStringLiteral("cmdStopModbusRun"), QStringLiteral("Stop Run via Modbus"), panel);
    auto* cmdExit = namedButton(QStringLiteral("cmdExit"), QStringLiteral("E&xit"), panel);
    cmdStopModbusRun->setEnabled(false);
    auto* buttons = new QGridLayout;
    const QList<QPushButton*> order{cmdMakeReadFile, cmdWriteScript, cmdBrowse,        cmdOpenFolder, cmdClearText,
                                    cmdRunScript,    cmdRunModbus,   cmdStopModbusRun, cmdExit};
    for (int i = 0; i < order.size(); ++i)
        buttons->addWidget(order[i], i / 3, i % 3);
    v->addLayout(buttons);

    connect(txtNewScript, &QPlainTextEdit::textChanged, this, &FrmScriptGrid::updateButtons);
    connect(cmdMakeReadFile, &QPushButton::clicked, this, &FrmScriptGrid::cmdMakeReadFile_Click);
    connect(cmdWriteScript, &QPushButton::clicked, this, &FrmScriptGrid::cmdWriteScript_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &FrmScriptGrid::cmdBrowse_Click);
    connect(cmdOpenFolder, &QPushButton::clicked, this, &FrmScriptGrid::cmdOpenFolder_Click);
    connect(cmdClearText, &QPushButton::clicked, txtNewScript, &QPlainTextEdit::clear);
    connect(cmdRunScript, &QPushButton::clicked, this, &FrmScriptGrid::cmdRunScript_Click);
    connect(cmdRunModbus, &QPushButton::clicked, this, &FrmScriptGrid::cmdRunModbus_Click);
    connect(cmdStopModbusRun, &QPushButton::clicked, this, &FrmScriptGrid::cmdStopModbusRun_Click);
    connect(cmdExit, &QPushButton::clicked, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });
}

QString FrmScriptGrid::scriptText() const
{
    return txtNewScript->toPlainText().replace(QLatin1Char('\n'), kLineEnd);
}

void FrmScriptGrid::setScriptText(const QString& text)
{
    txtNewScript->setPlainText(QString(text).replace(kLineEnd, QStringLiteral("\n")));
    txtNewScript->moveCursor(QTextCursor::End);
}

QString FrmScriptGrid::filePath() const
{
    return QDir::fromNativeSeparators(txtFilePath->text());
}

void FrmScriptGrid::checkRememberedFile()
{
    const QString path = m_context.scriptFilename;
    if (path.isEmpty() || QFileInfo(path).isFile())
        return;
    m_context.scriptFilename.clear();
    QTimer::singleShot(kMissingFileDelayMs, this, [this, path] {
        m_context.shell.showMessage(MessageSink::Severity::Warning, kAppTitle,
                                    QStringLiteral("The previously used script file '%1' was not found!")
                                        .arg(QDir::toNativeSeparators(path)));
    });
}

void FrmScriptGrid::closeEvent(QCloseEvent* event)
{
    if (m_runner.ScriptRunning())
        m_runner.stop();
    QWidget::closeEvent(event);
}

ScriptBuilder FrmScriptGrid::builder() const
{
    return ScriptBuilder(m_context.session.data().model().RegisterMapVersion);
}

QList<int> FrmScriptGrid::selectedMeters(QTableWidget* grid) const
{
    QList<int> rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0)->isSelected())
            rows << r;
    }
    return rows;
}

void FrmScriptGrid::apply(const ScriptBuilder::Result& result)
{
    if (result.text != scriptText())
        setScriptText(result.text);
    if (result.problems.isEmpty())
        return;
    QStringList shown = result.problems.mid(0, kProblemsShown);
    if (result.problems.size() > kProblemsShown)
        shown << QStringLiteral("... and %1 more.").arg(result.problems.size() - kProblemsShown);
    m_context.shell.showMessage(MessageSink::Severity::Warning, kAppTitle, shown.join(QLatin1Char('\n')));
}

ScriptBuilder::SettingKind FrmScriptGrid::settingKind() const
{
    if (optMeterType[0]->isChecked())
        return ScriptBuilder::SettingKind::System;
    return optMeterType[2]->isChecked() ? ScriptBuilder::SettingKind::ThreePhase : ScriptBuilder::SettingKind::SinglePhase;
}

void FrmScriptGrid::GetModbusSettingsList()
{
    lstSP_Cmds->clear();
    txtItemSelected->clear();
    lstSP_Cmds->addItems(ScriptBuilder::loadSettingsList(m_context.programFolder, settingKind(),
                                                         builder().mapVersion(), m_context.shell));
    grdMtrNo2->setEnabled(settingKind() != ScriptBuilder::SettingKind::System);
}

void FrmScriptGrid::loadMapping()
{
    const int configuration = std::max(lstChannelConfiguration->currentRow(), 0);
    m_mapping = ScriptBuilder::loadMapping(m_context.programFolder, configuration, m_context.shell).value_or(ChannelMapping{});
    const bool branch = ScriptBuilder::isBranchConfiguration(configuration);
    lstMtrNo_1Ph->setEnabled(branch);
    lst1stBrPnl->setEnabled(branch);
    lstMtrNo_3Ph->setEnabled(!branch);
    lst3PhParentID->setEnabled(!branch);
    showMappingGrids();
}

void FrmScriptGrid::showMappingGrids()
{
    for (int g = 0; g < 2; ++g) {
        QTableWidget* grid = grdMapping[size_t(g)];
        const QList<MappingRow> rows = m_mapping.grid(g, lstSlotNo->currentIndex());
        grid->clearContents();
        grid->setRowCount(int(rows.size()));
        for (int r = 0; r < rows.size(); ++r) {
            grid->setItem(r, 0, new QTableWidgetItem(rows[r].label));
            for (int c = 1; c < 3; ++c) {
                auto* item = new QTableWidgetItem(QString::number(c == 1 ? rows[r].ich : rows[r].vch));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                grid->setItem(r, c, item);
            }
        }
    }
}

void FrmScriptGrid::updateButtons()
{
    const bool hasText = !txtNewScript->toPlainText().isEmpty();
    const bool running = m_runner.ScriptRunning();
    cmdWriteScript->setEnabled(hasText);
    cmdMakeReadFile->setEnabled(hasText);
    // Writes go over TCP as well as RTU, so "Run Now" is offered in both modes.
    cmdRunModbus->setEnabled(hasText && !running);
    cmdRunScript->setEnabled(hasText && QFileInfo(filePath()).isFile());
    cmdAdd->setEnabled(lstSP_Cmds->currentRow() >= 0 && !txtNewSetting->text().trimmed().isEmpty());
}

void FrmScriptGrid::cmdAddMeters_Click()
{
    apply(builder().addMeters(scriptText(), ScriptBuilder::meterTypeCode(lstMeterType->currentRow()),
                              selectedMeters(grdMtrNo)));
}

void FrmScriptGrid::Command1_Click()
{
    setScriptText(ScriptBuilder::deleteAllMeters());
}

void FrmScriptGrid::cmdAdd_Click()
{
    const QListWidgetItem* item = lstSP_Cmds->currentItem();
    if (!item)
        return;
    apply(builder().addSetting(scriptText(), item->text(), txtNewSetting->text(), settingKind(), selectedMeters(grdMtrNo2)));
}

void FrmScriptGrid::cmdAddMapping_Click()
{
    MappingChoice choice;
    choice.configuration = std::max(lstChannelConfiguration->currentRow(), 0);
    const bool branch = ScriptBuilder::isBranchConfiguration(choice.configuration);
    choice.firstMeter = branch ? lstMtrNo_1Ph->currentIndex() : lstMtrNo_3Ph->currentIndex();
    choice.parent = (branch ? lst1stBrPnl->currentIndex() : lst3PhParentID->currentIndex()) + 1;
    for (int g = 0; g < 2; ++g) {
        QTableWidget* grid = grdMapping[size_t(g)];
        choice.grids[size_t(g)] = m_mapping.grid(g, lstSlotNo->currentIndex());
        QList<bool>& selected = choice.selected[size_t(g)];
        for (int r = 0; r < grid->rowCount(); ++r)
            selected << grid->item(r, 0)->isSelected();
    }
    apply(builder().addMapping(scriptText(), choice));
}

void FrmScriptGrid::cmdMakeReadFile_Click()
{
    setScriptText(ScriptBuilder::makeReadFile(scriptText()));
}

void FrmScriptGrid::cmdWriteScript_Click()
{
    const QString start = m_context.scriptFilename.isEmpty() ? QDir(m_context.scriptsFolder).filePath(QStringLiteral("Default.txt"))
                                                             : m_context.scriptFilename;
    const QString path = m_context.shell.chooseSaveFile({QStringLiteral("Save Script"), start, kScriptFilter, kTextFilter});
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !m_context.shell.askYesNo(kAppTitle, QStringLiteral("Do you want to replace the existing file?"), false))
        return;
    if (const std::optional<QString> error = writeTextFile1252(path, scriptText() + kLineEnd)) {
        m_context.shell.showMessage(MessageSink::Severity::Critical, kAppTitle, *error);
        return;
    }
    rememberFile(path);
}

void FrmScriptGrid::cmdBrowse_Click()
{
    const QString start = m_context.scriptFilename.isEmpty() ? m_context.scriptsFolder : m_context.scriptFilename;
    const QString path = m_context.shell.chooseOpenFile({QStringLiteral("Open Script"), start, kScriptFilter, kTextFilter});
    if (path.isEmpty())
        return;
    const std::optional<QStringList> lines = script::readScriptFile(path);
    if (!lines) {
        m_context.shell.showMessage(MessageSink::Severity::Warning, kAppTitle,
                                    QStringLiteral("The script file '%1' could not be read.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    setScriptText(ScriptBuilder::textOfLines(*lines));
    rememberFile(path);
}

void FrmScriptGrid::cmdOpenFolder_Click()
{
    const QString path = filePath();
    const QString folder = path.isEmpty() ? m_context.scriptsFolder : QFileInfo(path).path();
    m_context.shell.openUrl(QUrl::fromLocalFile(folder));
}

void FrmScriptGrid::rememberFile(const QString& path)
{
    m_context.scriptFilename = path;
    txtFilePath->setText(QDir::toNativeSeparators(path));
    updateButtons();
}

void FrmScriptGrid::cmdRunScript_Click()
{
    if (m_context.runViaTerminal && QFileInfo(filePath()).isFile())
        m_context.runViaTerminal(filePath());
}

void FrmScriptGrid::cmdRunModbus_Click()
{
    const QStringList lines = scriptText().split(kLineEnd);
    if (!m_runner.start(lines))
        return;
    lstScript->clear();
    lstScript->addItems(lines);
    lstScript->setCurrentRow(0);
    lstScript->show();
    lstScript->raise();
    cmdRunModbus->setEnabled(false);
    cmdStopModbusRun->setEnabled(true);
}

void FrmScriptGrid::cmdStopModbusRun_Click()
{
    m_runner.stop();
    endModbusRun();
}

void FrmScriptGrid::endModbusRun()
{
    lstScript->hide();
    lstScript->clear();
    cmdStopModbusRun->setEnabled(false);
    updateButtons();
}

std::function<void(const QString&)> FrmScriptGrid::install(MDIForm1& form, UnitSession& session,
                                                            std::function<void(const QString&)> runViaTerminal)
{
    auto* slot = new ChildWindowSlot(form, GeometryKeys{}, QStringLiteral("mnuScriptGrid"));
    const auto show = [&form, &session, slot, runViaTerminal]() -> FrmScriptGrid* {
        if (!slot->isOpen()) {
            const QString scripts = FolderLocations(form.settings(), form.folders()).folderInUse(FolderLocations::Scripts);
            auto* w = new FrmScriptGrid(
                {form.shell(), session, form.folders().programFolder, scripts, form.flags().scriptFilename, runViaTerminal});
            slot->open(w);
            w->checkRememberedFile();
        }
        form.mdiArea()->setActiveSubWindow(slot->window());
        return qobject_cast<FrmScriptGrid*>(slot->widget());
    };
    form.setMenuCommand(QStringLiteral("mnuScriptGrid"), [show] { show(); });
    return [show](const QString& text) {
        if (FrmScriptGrid* w = show()) {
            w->txtFilePath->clear();
            w->setScriptText(text);
        }
    };
}

} // namespace halvana
