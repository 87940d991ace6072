#include "core/device/meter_tables.h"

#include "core/app/definition_file.h"
#include "core/device/table_headers.h"

namespace halvana {

namespace {
const QString kUpdatedMark = QStringLiteral(": Updated");
constexpr int kRegColumnWidth = 940;
constexpr int kDescriptionColumnWidth = 3400;

// The heading row in bold, then the header file's rows and the empty row that ends a table
// built from a file.
void fillGrid(GridModel& grid, const QStringList& heading, const std::vector<TableHeaders::HeaderRow>& rows,
              bool fromFile)
{
    grid.reset(int(rows.size()) + (fromFile ? 2 : 1), int(heading.size()));
    GridModel::UpdateBatch batch(grid);
    for (int c = 0; c < heading.size(); ++c) {
        grid.setText(0, c, heading.at(c));
        grid.setBold(0, c, true);
    }
    grid.setColumnWidth(0, kRegColumnWidth);
    grid.setColumnWidth(1, kDescriptionColumnWidth);
    for (size_t i = 0; i < rows.size(); ++i) {
        grid.setText(int(i) + 1, 0, rows[i].reg);
        grid.setText(int(i) + 1, 1, rows[i].description);
    }
}
} // namespace

MeterTable::MeterTable(int index, QObject* parent) : QObject(parent), m_index(index) {}

bool MeterTable::isUpdated() const
{
    return m_caption.contains(QLatin1String("Updated"), Qt::CaseInsensitive);
}

void MeterTable::markUpdated()
{
    if (!isUpdated())
        setCaption(m_caption + kUpdatedMark);
}

void MeterTable::markStale()
{
    m_grid.setStale(true);
    QString caption = m_caption;
    setCaption(caption.remove(kUpdatedMark));
}

void MeterTable::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    emit captionChanged(caption);
}

MeterTables::MeterTables(const QString& programFolder, MessageSink& messages, QObject* parent)
    : QObject(parent), m_programFolder(programFolder), m_messages(messages)
{
    for (int i = 0; i < kTableCount; ++i)
        m_tables[size_t(i)] = std::make_unique<MeterTable>(i);
}

MeterTables::~MeterTables() = default;

bool MeterTables::isOpen(int index) const
{
    return isTableIndex(index) && table(index).isOpen();
}

void MeterTables::Get_BCM_Headers(int index, int mapVersion)
{
    if (!isTableIndex(index))
        return;
    ActiveTableIndex = index;
    MeterTable& t = table(index);
    t.setCaption(TableHeaders::caption(index));
    t.m_builtMapVersion = mapVersion;

    if (index == kAllSettingsTable) {
        fillGrid(t.grid(), {QStringLiteral("Reg"), QStringLiteral("Description"), QStringLiteral("Value")}, {},
                 false);
    } else {
        const QString path = m_programFolder + QLatin1Char('/') + TableHeaders::headerFileName(index, mapVersion);
        fillGrid(t.grid(), {QStringLiteral("Reg"), QStringLiteral("Description")},
                 TableHeaders::parseHeaderLines(readDefinitionFileLines(path, m_messages)), true);
        for (int row : TableHeaders::hiddenRows(index, mapVersion))
            t.grid().setRowHidden(row, true);
    }

    if (!t.m_open) {
        t.m_open = true;
        emit tableOpened(index);
    }
}

void MeterTables::close(int index)
{
    if (!isOpen(index))
        return;
    table(index).m_open = false;
    emit tableClosed(index);
}

} // namespace halvana
