#include "gui/app/frm_find_unit.h"

#include "core/app/shell_settings.h"
#include "core/modbus/link_settings.h"
#include "io/qt_clock.h"
#include "io/serial_port_names.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace halvana {

namespace {

const QString kAllPorts = QStringLiteral("All ports");
const QString kAllSpeeds = QStringLiteral("All speeds");

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

FrmFindUnit::FrmFindUnit(bool tcp, const QString& port, const QString& address, QWidget* parent)
    : QDialog(parent), m_clock(std::make_unique<QtClock>()), m_serial(std::make_unique<SerialTransport>()),
      m_tcp(std::make_unique<TcpTransport>())
{
    setObjectName(QStringLiteral("frmFindUnit"));
    setWindowTitle(QStringLiteral("Find Unit"));

    cboMode = named(new QComboBox(this), "cboMode");
    cboMode->addItems(modeNames());
    cboMode->setCurrentIndex(tcp ? 1 : 0);
    cboPort = named(new QComboBox(this), "cboPort");
    cboPort->setEditable(true);
    cboPort->addItem(kAllPorts);
    cboPort->addItems(SerialPortNames::available());
    cboPort->setCurrentText(port.isEmpty() ? kAllPorts : port);
    cboBaud = named(new QComboBox(this), "cboBaud");
    cboBaud->addItem(kAllSpeeds);
    cboBaud->addItems(baudList());
    txtIP_Addr = named(new QLineEdit(address, this), "txtIP_Addr");
    txtFirstID = named(new QSpinBox(this), "txtFirstID");
    txtLastID = named(new QSpinBox(this), "txtLastID");
    for (QSpinBox* box : {txtFirstID, txtLastID})
        box->setRange(1, 247);
    txtLastID->setValue(247);
    auto* ids = new QHBoxLayout;
    ids->addWidget(txtFirstID);
    ids->addWidget(new QLabel(QStringLiteral("to"), this));
    ids->addWidget(txtLastID);
    ids->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Mode:"), cboMode);
    form->addRow(QStringLiteral("COM Port:"), cboPort);
    form->addRow(QStringLiteral("PC Baud:"), cboBaud);
    form->addRow(QStringLiteral("IP Address:"), txtIP_Addr);
    form->addRow(QStringLiteral("Slave IDs:"), ids);

    lblEstimate = named(new QLabel(this), "lblEstimate");
    prgScan = named(new QProgressBar(this), "prgScan");
    lblStatus = named(new QLabel(this), "lblStatus");
    lblStatus->setWordWrap(true);
    grdFound = named(new QTableWidget(0, 5, this), "grdFound");
    grdFound->setHorizontalHeaderLabels({QStringLiteral("Port / Address"), QStringLiteral("Baud"),
                                         QStringLiteral("Slave ID"), QStringLiteral("Firmware"), QStringLiteral("Map")});
    grdFound->horizontalHeader()->setStretchLastSection(true);
    grdFound->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grdFound->verticalHeader()->hide();
    grdFound->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdFound->setSelectionMode(QAbstractItemView::SingleSelection);
    grdFound->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cmdStart = named(new QPushButton(QStringLiteral("&Start"), this), "cmdStart");
    cmdUse = named(new QPushButton(QStringLiteral("&Use"), this), "cmdUse");
    cmdUse->setToolTip(QStringLiteral("Take the chosen unit's port, speed and ID into PC Setup."));
    cmdUse->setEnabled(false);
    cmdClose = named(new QPushButton(QStringLiteral("&Close"), this), "cmdClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdStart);
    buttons->addStretch(1);
    buttons->addWidget(cmdUse);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblEstimate);
    layout->addWidget(prgScan);
    layout->addWidget(lblStatus);
    layout->addWidget(grdFound, 1);
    layout->addLayout(buttons);
    resize(560, 420);

    connect(cboMode, qOverload<int>(&QComboBox::activated), this, &FrmFindUnit::showMode);
    for (QComboBox* box : {cboPort, cboBaud})
        connect(box, &QComboBox::currentTextChanged, this, &FrmFindUnit::showEstimate);
    for (QSpinBox* box : {txtFirstID, txtLastID})
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this, &FrmFindUnit::showEstimate);
    connect(txtIP_Addr, &QLineEdit::textChanged, this, &FrmFindUnit::showEstimate);
    connect(cmdStart, &QPushButton::clicked, this, &FrmFindUnit::cmdStart_Click);
    connect(cmdUse, &QPushButton::clicked, this, &FrmFindUnit::cmdUse_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmFindUnit::reject);
    connect(grdFound, &QTableWidget::itemSelectionChanged, this,
            [this] { cmdUse->setEnabled(!grdFound->selectedItems().isEmpty()); });
    showMode();
}

FrmFindUnit::~FrmFindUnit()
{
    // Before the transports it uses go.
    delete m_scan;
}

ScanPlan FrmFindUnit::plan() const
{
    ScanPlan plan;
    plan.tcp = cboMode->currentIndex() == 1;
    if (plan.tcp)
        plan.endpoints = {txtIP_Addr->text().trimmed()};
    else if (cboPort->currentText() == kAllPorts)
        plan.endpoints = SerialPortNames::available();
    else
        plan.endpoints = {cboPort->currentText().trimmed()};
    if (cboBaud->currentIndex() > 0)
        plan.bauds = {kBaudRates[size_t(cboBaud->currentIndex() - 1)]};
    else
        plan.bauds = QVector<int>(kBaudRates.begin(), kBaudRates.end());
    plan.firstId = txtFirstID->value();
    plan.lastId = txtLastID->value();
    return plan;
}

void FrmFindUnit::showMode()
{
    const bool tcp = cboMode->currentIndex() == 1;
    cboPort->setEnabled(!tcp);
    cboBaud->setEnabled(!tcp);
    txtIP_Addr->setEnabled(tcp);
    showEstimate();
}

void FrmFindUnit::showEstimate()
{
    const ScanPlan p = plan();
    lblEstimate->setText(p.endpoints.isEmpty()
                             ? QStringLiteral("No serial ports were found on this computer.")
                             : QStringLiteral("%1 tries (%2): at most %3")
                                   .arg(p.tryCount())
                                   .arg(p.description(), durationText(p.estimateMs())));
}

void FrmFindUnit::cmdStart_Click()
{
    if (m_scan) {
        m_scan->cancel();
        return;
    }
    const ScanPlan p = plan();
    if (p.tryCount() == 0)
        return;
    grdFound->setRowCount(0);
    cmdUse->setEnabled(false);
    m_found.clear();
    m_problems.clear();
    m_scan = new UnitScan(p.tcp ? static_cast<Transport&>(*m_tcp) : *m_serial, *m_clock);
    connect(m_scan, &UnitScan::progress, this, [this](int done, int total, const QString& text) {
        prgScan->setMaximum(total);
        prgScan->setValue(done);
        lblStatus->setText(QStringLiteral("Trying ") + text);
    });
    connect(m_scan, &UnitScan::unitFound, this, &FrmFindUnit::addFound);
    connect(m_scan, &UnitScan::endpointFailed, this, [this](const QString& m) { m_problems << m; });
    connect(m_scan, &UnitScan::finished, this, &FrmFindUnit::scanEnded);
    cmdStart->setText(QStringLiteral("&Cancel"));
    for (QWidget* w : std::initializer_list<QWidget*>{cboMode, cboPort, cboBaud, txtIP_Addr, txtFirstID, txtLastID})
        w->setEnabled(false);
    m_scan->start(p);
}

void FrmFindUnit::addFound(const FoundUnit& unit)
{
    m_found.push_back(unit);
    const int row = grdFound->rowCount();
    grdFound->insertRow(row);
    const QStringList cells = {unit.where.endpoint, unit.where.baud > 0 ? QString::number(unit.where.baud) : QString(),
                               QString::number(unit.where.slaveId),
                               unit.note.isEmpty() ? unit.firmware : QStringLiteral("refused: ") + unit.note,
                               unit.mapVersion > 0 ? QString::number(unit.mapVersion) : QString()};
    for (int column = 0; column < cells.size(); ++column)
        grdFound->setItem(row, column, new QTableWidgetItem(cells[column]));
    if (row == 0)
        grdFound->selectRow(0);
}

void FrmFindUnit::scanEnded(bool cancelled)
{
    // Deleted later: this runs inside the scan's own signal.
    m_scan->deleteLater();
    m_scan = nullptr;
    if (!cancelled)
        prgScan->setValue(prgScan->maximum());
    QString text = cancelled ? QStringLiteral("Scan canceled: ") : QString();
    text += m_found.isEmpty() ? QStringLiteral("no unit found.")
                              : QStringLiteral("%1 found.").arg(m_found.size() == 1 ? QStringLiteral("1 unit")
                                                                                    : QStringLiteral("%1 units").arg(m_found.size()));
    if (!m_problems.isEmpty())
        text += QLatin1Char('\n') + m_problems.join(QLatin1Char('\n'));
    lblStatus->setText(text);
    cmdStart->setText(QStringLiteral("&Start"));
    cboMode->setEnabled(true);
    txtFirstID->setEnabled(true);
    txtLastID->setEnabled(true);
    showMode();
}

void FrmFindUnit::cmdUse_Click()
{
    const int row = grdFound->currentRow();
    if (row < 0 || row >= m_found.size())
        return;
    m_chosen = m_found[row];
    if (m_scan)
        m_scan->cancel();
    accept();
}

void FrmFindUnit::reject()
{
    if (m_scan)
        m_scan->cancel();
    QDialog::reject();
}

} // namespace halvana
