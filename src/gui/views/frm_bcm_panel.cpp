#include "gui/views/frm_bcm_panel.h"

#include "core/device/panelboard_views.h"
#include "gui/views/grid_view.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace halvana {

namespace {
constexpr int kMeterLabelWidthTwips = 1400;
constexpr int kMeterValueWidthTwips = 1000;

QFont branchFont()
{
    QFont font(QStringLiteral("Arial Narrow"), 8);
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::SemiCondensed);
    return font;
}
} // namespace

FrmBCMPanel::FrmBCMPanel(PanelboardView& view, QWidget* parent) : QWidget(parent), m_view(view), m_kind(view.kind())
{
    setObjectName(QStringLiteral("frmBCM_Panel"));
    setProperty("tag", QString::number(m_kind));

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_kind == kBranchPanelView ? buildBranchGroups() : buildMeterFrames());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    connect(&view, &PanelboardView::captionsChanged, this, &FrmBCMPanel::refreshCaptions);
    refreshCaptions();
    m_content = scroll->widget();
    resize(sizeHint());
}

QWidget* FrmBCMPanel::buildBranchGroups()
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    m_activePanel = new QLabel(content);
    m_activePanel->setObjectName(QStringLiteral("lblActivePanel"));
    column->addWidget(m_activePanel);
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    column->addStretch(1);

    for (int group = 0; group < PanelboardView::kGroupCount; ++group) {
        auto* frame = new QGroupBox(content);
        frame->setObjectName(QStringLiteral("fraSeqNum%1").arg(group));
        auto* pair = new QHBoxLayout(frame);
        pair->setSpacing(2);
        pair->setContentsMargins(4, 4, 4, 4);
        for (int side = 0; side < 2; ++side) {
            const int g = 2 * group + side;
            auto* grid = new GridView(m_view.branchGrid(g), frame);
            grid->setObjectName(QStringLiteral("grdSeqNum%1").arg(g));
            grid->setFont(branchFont());
            grid->setSizedToContent(true);
            connect(grid, &GridView::gridPressed, this,
                    [this, g](int r, int, Qt::MouseButton button, const QPoint& global) {
                        emit branchGridPressed(g, r, button, global);
                    });
            pair->addWidget(grid);
            m_branchGrids[size_t(g)] = grid;
        }
        row->addWidget(frame);
        m_groupFrames[size_t(group)] = frame;
    }
    row->addStretch(1);
    return content;
}

QWidget* FrmBCMPanel::buildMeterFrames()
{
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    for (int f = 0; f < PanelboardView::kMeterFrameCount; ++f) {
        GridModel& model = m_view.meterGrid(f);
        model.setColumnWidth(0, kMeterLabelWidthTwips);
        for (int c = 1; c < PanelboardView::kMeterGridColumns; ++c)
            model.setColumnWidth(c, kMeterValueWidthTwips);

        auto* frame = new QGroupBox(content);
        frame->setObjectName(QStringLiteral("fraPanel%1").arg(f));
        auto* inner = new QVBoxLayout(frame);
        inner->setContentsMargins(4, 4, 4, 4);
        auto* grid = new GridView(model, frame);
        grid->setObjectName(QStringLiteral("grdPanel2%1").arg(f));
        grid->setSizedToContent(true);
        connect(grid, &GridView::gridPressed, this,
                [this, f](int r, int c, Qt::MouseButton button, const QPoint& global) {
                    emit meterGridPressed(f, r, c, button, global);
                });
        inner->addWidget(grid);
        inner->addStretch(1);
        row->addWidget(frame);
        m_meterGrids[size_t(f)] = grid;
        m_meterFrames[size_t(f)] = frame;
    }
    row->addStretch(1);
    return content;
}

QSize FrmBCMPanel::sizeHint() const
{
    // Large enough for every grid to show whole.
    return m_content->sizeHint() + QSize(4, 4);
}

void FrmBCMPanel::refreshCaptions()
{
    setWindowTitle(m_view.caption());
    for (int g = 0; g < PanelboardView::kGroupCount; ++g) {
        if (m_groupFrames[size_t(g)])
            m_groupFrames[size_t(g)]->setTitle(m_view.groupCaption(g));
    }
    for (int f = 0; f < PanelboardView::kMeterFrameCount; ++f) {
        if (m_meterFrames[size_t(f)])
            m_meterFrames[size_t(f)]->setTitle(m_view.meterFrameCaption(f));
    }
}

void FrmBCMPanel::showActivePanel(int panel, int offset)
{
    if (m_activePanel)
        m_activePanel->setText(
            QStringLiteral("Active panel: Group %1 (TCP register offset %2)").arg(panel + 1).arg(offset));
}

} // namespace halvana
