#include "core/device/table_readout.h"

#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/device/table_headers.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/status_panels.h"

namespace halvana {

TableReadout::TableReadout(DeviceData& data, Sequencer& sequencer, ModbusLink& link, QObject* parent)
    : QObject(parent), m_data(data), m_sequencer(sequencer), m_link(link)
{
    connect(&m_sequencer, &Sequencer::passCompleted, this, [this](int table) {
        if (table == m_table)
            complete();
    });
    // The meter grid holds the system information, meter list and status of one cycle once
    // the cycle that decoded the system information has gone round.
    // A table that has not completed by then never will: the readout ends rather than poll on.
    connect(&m_sequencer, &Sequencer::cycleCompleted, this, [this] {
        if (m_table == kSystemGrid && m_systemInfoDecoded)
            complete();
        if (++m_cycles >= kMaxCycles)
            fail(QStringLiteral("the table did not complete a pass in %1 full cycles").arg(kMaxCycles));
    });
    // Emitted before the cycle moves on, so a refused block fails the readout before a pass
    // can be counted as complete without it.
    connect(&m_sequencer, &Sequencer::replyHandled, this, [this](int step, bool decoded) {
        if (!decoded) {
            fail(m_commMessage.isEmpty() ? QStringLiteral("the reply could not be decoded") : m_commMessage);
            return;
        }
        m_failedInRow = 0;
        m_commMessage.clear();
        if (step == kStepSystemInfo)
            m_systemInfoDecoded = true;
    });
    // The link names what went wrong with an exchange here, just before it ends the exchange.
    connect(&m_link, &ModbusLink::statusText, this, [this](const QString& panel, const QString& text) {
        if (panel == panel::CommMsg)
            m_commMessage = text;
    });
    connect(&m_link, &ModbusLink::exchangeEnded, this, [this](const ExchangeOutcome& outcome) {
        if (!outcome.answered() && outcome.kind != ExchangeOutcome::Kind::Abandoned)
            onExchangeFailed();
    });
}

bool TableReadout::isReadable(int table)
{
    return table == kSystemGrid || isTableIndex(table);
}

QList<int> TableReadout::tablesOpenedFor(int table)
{
    if (table == kAllSettingsTable)
        return {kSystemSettingsTable, kMeterInfoTable, kBranchSettingsTable, kThreePhaseSettingsTable,
                kInputBoardTable,     kThermalSettingsTable, kAllSettingsTable};
    if (table == kSystemGrid)
        return {};
    return {table};
}

void TableReadout::start(int table)
{
    m_table = table;
    m_running = true;
    m_systemInfoDecoded = false;
    m_failedInRow = 0;
    m_cycles = 0;
    m_commMessage.clear();
    if (table == kSystemGrid) {
        // As the open window does: the meter grid and the count boxes beside it are filled.
        m_data.systemSettings().SystemSettingsWindowOpen = true;
        m_data.systemSettings().frmSystemSettingsFlag = true;
    }
    // Opened before the first reply, the tables start from the files of Map 2 and are rebuilt
    // from those of Map 1 when the unit says so, before any of their blocks is read.
    for (int t : tablesOpenedFor(table))
        m_data.openTable(t);
    m_sequencer.setPollingDisabled(false);
    m_sequencer.setPollStep(kStepSystemInfo);
    m_sequencer.setMainTimerEnabled(true);
}

void TableReadout::stop()
{
    m_running = false;
    m_sequencer.setPollingDisabled(true);
    m_sequencer.setMainTimerEnabled(false);
}

void TableReadout::complete()
{
    if (!m_running)
        return;
    stop();
    emit passCompleted();
}

void TableReadout::fail(const QString& reason)
{
    if (!m_running)
        return;
    stop();
    emit failed(QStringLiteral("%1: %2").arg(m_sequencer.pollingStatus().trimmed(), reason));
}

void TableReadout::onExchangeFailed()
{
    if (++m_failedInRow >= kMaxFailedExchanges) {
        fail(QStringLiteral("no usable reply in %1 attempts in a row (last: %2)").arg(kMaxFailedExchanges).arg(m_commMessage));
        return;
    }
    m_commMessage.clear();
}

GridText TableReadout::text() const
{
    if (m_table == kSystemGrid) {
        const GridModel& grid = m_data.systemSettings().grid();
        GridText text = GridText::fromGrid(grid, grid.rowCount() - 1);
        text.table = QStringLiteral("system");
        text.caption = kSystemGridCaption;
        text.rowKeys = QStringList{QStringLiteral("meter")};
        return text;
    }
    const GridModel& grid = m_data.tables().table(m_table).grid();
    // "All Settings" grows row by row; the tables built from a header file end with an empty row.
    const int registerRows = grid.rowCount() - (m_table == kAllSettingsTable ? 1 : 2);
    GridText text = GridText::fromGrid(grid, registerRows);
    text.table = m_table;
    text.caption = TableHeaders::caption(m_table);
    text.rowKeys = QStringList{QStringLiteral("register"), QStringLiteral("description")};
    return text;
}

} // namespace halvana
