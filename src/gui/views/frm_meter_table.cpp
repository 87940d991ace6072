#include "gui/views/frm_meter_table.h"

#include "core/device/meter_tables.h"
#include "gui/views/grid_view.h"

#include <QVBoxLayout>

namespace halvana {

FrmMeterTable::FrmMeterTable(MeterTable& table, QWidget* parent)
    : QWidget(parent), m_table(table), m_index(table.index()), m_grid(new GridView(table.grid(), this))
{
    setObjectName(QStringLiteral("frmMeterTable"));
    setProperty("tag", QString::number(m_index));
    setWindowTitle(table.caption());
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_grid);
    resize(720, 460);

    connect(&table, &MeterTable::captionChanged, this, &QWidget::setWindowTitle);
}

bool FrmMeterTable::allSettingsPopupAllowed() const
{
    return m_table.isUpdated() || m_index == kSystemSettingsTable || m_index == kMeterInfoTable;
}

} // namespace halvana
