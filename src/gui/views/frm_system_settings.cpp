#include "gui/views/frm_system_settings.h"

#include "core/app/window_geometry.h"
#include "core/device/meter_types.h"
#include "core/device/system_settings_view.h"
#include "gui/views/grid_view.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QVBoxLayout>

namespace halvana {

namespace {
constexpr int kGridFrameWidthTwips = 5235;
constexpr int kGridWidthTwips = 4995;
constexpr int kBoxWidthTwips = 1100;
constexpr int kRowHeightTwips = 300;
} // namespace

FrmSystemSettings::FrmSystemSettings(SystemSettingsView& view, QWidget* parent)
    : QWidget(parent), m_view(view), m_grid(new GridView(view.grid(), this))
{
    setObjectName(QStringLiteral("frmSystemSettings"));
    setWindowTitle(QStringLiteral("System Configuration"));
    m_fieldBoxes.resize(SystemSettingsView::kFieldCount);
    m_countBoxes.resize(kMeterTypeCountSize);

    auto* fraGrid = new QGroupBox(QStringLiteral("Meter Info"), this);
    fraGrid->setObjectName(QStringLiteral("fraGrid"));
    fraGrid->setFixedWidth(twipsToPixels(kGridFrameWidthTwips));
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setFixedWidth(twipsToPixels(kGridWidthTwips));
    auto* gridLayout = new QVBoxLayout(fraGrid);
    gridLayout->addWidget(m_grid);

    const QStringList frameCaptions = {QStringLiteral("System Settings"), QStringLiteral("Number of Meters"),
                                       QStringLiteral("System Info")};
    QList<QGroupBox*> frames;
    auto* column = new QVBoxLayout;
    for (int i = 0; i < frameCaptions.size(); ++i) {
        auto* frame = new QGroupBox(frameCaptions.at(i), this);
        frame->setObjectName(QStringLiteral("fraSystemInfo%1").arg(i));
        new QGridLayout(frame);
        frames << frame;
        column->addWidget(frame);
    }
    column->addStretch(1);

    const auto field = [&](int frame, const QString& label, int index) {
        m_fieldBoxes[index] = addBox(frames[frame], label, QStringLiteral("txtSysInfo%1").arg(index));
    };
    const auto count = [&](const QString& label, int index) {
        m_countBoxes[index] = addBox(frames[1], label, QStringLiteral("txtNoOfMeterTypes%1").arg(index));
    };
    field(0, QStringLiteral("Device ID"), SystemSettingsView::kDeviceId);
    field(0, QStringLiteral("Module Baud"), SystemSettingsView::kModuleBaud);
    field(0, QStringLiteral("Modbus Ver,"), SystemSettingsView::kModbusVersion);
    field(1, QStringLiteral("Total"), SystemSettingsView::kTotalMeters);
    count(QStringLiteral("Branches"), kCountBranch);
    m_threePhaseTotal = addBox(frames[1], QStringLiteral("3\u00f8 Meters"), QStringLiteral("txtNoOf_3Ph_Meters"));
    count(QStringLiteral("PDU Inputs"), kCountPduInput);
    count(QStringLiteral("PDU Outputs"), kCountPduOutput);
    count(QStringLiteral("Subfeeds"), kCountSubfeed);
    count(QStringLiteral("Br. Multipole"), kCountMultipole);
    count(QStringLiteral("Panels"), kCountPanel);
    count(QStringLiteral("Unknown"), kCountUnknown);
    field(2, QStringLiteral("Alarm"), SystemSettingsView::kAlarm);
    field(2, QStringLiteral("Software Ver."), SystemSettingsView::kSoftwareVersion);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(fraGrid);
    layout->addLayout(column);

    connect(&view, &SystemSettingsView::fieldsChanged, this, &FrmSystemSettings::refreshFields);
    connect(&view.grid(), &GridModel::staleChanged, this, &FrmSystemSettings::showStale);
    refreshFields();
    showStale(view.grid().isStale());
}

void FrmSystemSettings::showStale(bool stale)
{
    // The boxes go grey with the grid while their values are old.
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text, stale ? QColor(128, 128, 128) : this->palette().color(QPalette::Text));
        box->setPalette(palette);
    }
}

QLineEdit* FrmSystemSettings::addBox(QGroupBox* frame, const QString& label, const QString& name)
{
    auto* grid = static_cast<QGridLayout*>(frame->layout());
    grid->setVerticalSpacing(2);
    const int row = grid->count() / 2;
    auto* box = new QLineEdit(frame);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFixedWidth(twipsToPixels(kBoxWidthTwips));
    box->setFixedHeight(twipsToPixels(kRowHeightTwips));
    auto* caption = new QLabel(label, frame);
    caption->setBuddy(box);
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

QLineEdit* FrmSystemSettings::txtSysInfo(int index) const
{
    return m_fieldBoxes.value(index);
}

QLineEdit* FrmSystemSettings::txtNoOfMeterTypes(int index) const
{
    return m_countBoxes.value(index);
}

void FrmSystemSettings::refreshFields()
{
    // A box is rewritten only when its text changes, so a user's selection in it survives polling.
    const auto show = [](QLineEdit* box, const QString& text) {
        if (box && box->text() != text)
            box->setText(text);
    };
    for (int i = 0; i < m_fieldBoxes.size(); ++i)
        show(m_fieldBoxes[i], m_view.field(i));
    for (int i = 0; i < m_countBoxes.size(); ++i)
        show(m_countBoxes[i], m_view.meterTypeCount(i));
    show(m_threePhaseTotal, m_view.threePhaseMeterTotal());
}

} // namespace halvana
