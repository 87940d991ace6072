#include "core/device/panelboard_views.h"

#include "core/device/device_model.h"
#include "core/device/meter_types.h"

namespace halvana {

namespace {
const QString kLabelSeparator = QStringLiteral("       ");
constexpr int kBranchColumnWidths[] = {615, 1060, 580};

QStringList initialFrameCaptions(int kind)
{
    QStringList captions;
    for (int frame = 0; frame < PanelboardView::kMeterFrameCount; ++frame) {
        const int code = kind == kPduView ? (frame % 2 == 0 ? kTypePduInput : kTypePduOutput)
                         : kind == kPanelsView ? int(kTypePanel)
                                               : int(kTypeSubfeed);
        const int ordinal = kind == kPduView ? frame / 2 : frame;
        captions << PanelboardViews::meterFrameCaption(code, ordinal, QString());
    }
    return captions;
}

QString viewCaption(int kind, bool columnWidthLayout)
{
    switch (kind) {
    case kBranchPanelView:
        return columnWidthLayout ? QStringLiteral("Branch Panelboard (Column-Width) View")
                                 : QStringLiteral("Branch Panelboard (Standard) View");
    case kSubfeedPanelView:
        return QStringLiteral("Subfeed Panelboard View");
    case kPanelsView:
        return QStringLiteral("Panels View");
    default:
        return QStringLiteral("PDU View");
    }
}
} // namespace

PanelboardView::PanelboardView(int kind, QObject* parent) : QObject(parent), m_kind(kind)
{
    for (auto& grid : m_branchGrids) {
        grid = std::make_unique<GridModel>();
        grid->setFixed(0, 1);
    }
    const QStringList& labels = PanelboardViews::meterRowLabels();
    static const char* const headings[] = {"", "\u00f8A", "\u00f8B", "\u00f8C", "Total"};
    for (auto& grid : m_meterGrids) {
        grid = std::make_unique<GridModel>();
        grid->reset(kMeterGridRows, kMeterGridColumns);
        GridModel::UpdateBatch batch(*grid);
        for (int c = 0; c < kMeterGridColumns; ++c) {
            grid->setText(0, c, QString::fromUtf8(headings[c]));
            grid->setBold(0, c, true);
        }
        for (int r = 1; r < kMeterGridRows; ++r)
            grid->setText(r, 0, labels.at(r - 1));
    }
}

void PanelboardView::buildBranchGrids(bool columnWidthLayout)
{
    for (int g = 0; g < kBranchGridCount; ++g) {
        GridModel& grid = *m_branchGrids[size_t(g)];
        grid.reset(kBranchGridRows, 3);
        GridModel::UpdateBatch batch(grid);
        for (int c = 0; c < 3; ++c)
            grid.setColumnWidth(c, kBranchColumnWidths[c]);
        for (int r = 0; r < kBranchGridRows; ++r) {
            const int branch = PanelboardViews::branchAt(g, r, columnWidthLayout);
            grid.setText(r, kCircuitColumn,
                         QStringLiteral("B%1").arg(branch % PanelboardViews::kBranchesPerPanel + 1));
            grid.setBold(r, kCircuitColumn, true);
        }
    }
}

void PanelboardView::setCaptions(const QString& caption, const QStringList& groups, const QStringList& frames)
{
    bool changed = caption != m_caption;
    m_caption = caption;
    for (int i = 0; i < kGroupCount && i < groups.size(); ++i) {
        changed |= m_groupCaptions[size_t(i)] != groups.at(i);
        m_groupCaptions[size_t(i)] = groups.at(i);
    }
    for (int i = 0; i < kMeterFrameCount && i < frames.size(); ++i) {
        changed |= m_meterCaptions[size_t(i)] != frames.at(i);
        m_meterCaptions[size_t(i)] = frames.at(i);
    }
    if (changed)
        emit captionsChanged();
}

void PanelboardView::setMeterFrameCaption(int frame, const QString& caption)
{
    if (m_meterCaptions.at(size_t(frame)) == caption)
        return;
    m_meterCaptions[size_t(frame)] = caption;
    emit captionsChanged();
}

PanelboardViews::PanelboardViews(QObject* parent) : QObject(parent)
{
    for (int k = 0; k < kPanelViewCount; ++k) {
        m_views[size_t(k)] = std::make_unique<PanelboardView>(k);
        PanelboardView& v = view(k);
        v.buildBranchGrids(m_columnWidthLayout);
        QStringList groups;
        for (int g = 0; g < PanelboardView::kGroupCount; ++g)
            groups << groupCaption(g, m_labelMode);
        v.setCaptions(viewCaption(k, m_columnWidthLayout), groups, initialFrameCaptions(k));
    }
}

PanelboardViews::~PanelboardViews() = default;

bool PanelboardViews::isOpen(int kind) const
{
    return kind >= 0 && kind < kPanelViewCount && m_views[size_t(kind)]->isOpen();
}

bool PanelboardViews::anyThreePhaseViewOpen() const
{
    return isOpen(kSubfeedPanelView) || isOpen(kPanelsView) || isOpen(kPduView);
}

void PanelboardViews::open(int kind)
{
    if (kind >= 0 && kind < kPanelViewCount)
        view(kind).m_open = true;
}

void PanelboardViews::close(int kind)
{
    if (kind >= 0 && kind < kPanelViewCount)
        view(kind).m_open = false;
}

void PanelboardViews::setColumnWidthLayout(bool columnWidth)
{
    if (columnWidth == m_columnWidthLayout)
        return;
    m_columnWidthLayout = columnWidth;
    PanelboardView& branches = view(kBranchPanelView);
    branches.buildBranchGrids(columnWidth);
    branches.setCaptions(viewCaption(kBranchPanelView, columnWidth), {}, {});
}

void PanelboardViews::setLabelMode(int mode)
{
    m_labelMode = mode;
    QStringList groups;
    for (int g = 0; g < PanelboardView::kGroupCount; ++g)
        groups << groupCaption(g, mode);
    for (auto& v : m_views)
        v->setCaptions(v->caption(), groups, {});
}

BranchCell PanelboardViews::cellOfBranch(int branch, bool columnWidthLayout)
{
    if (branch < 0 || branch >= kMaxPanelBranches)
        return {};
    if (columnWidthLayout)
        return {branch / PanelboardView::kBranchGridRows, branch % PanelboardView::kBranchGridRows};
    const int panel = branch / kBranchesPerPanel;
    const int offset = branch % kBranchesPerPanel;
    return {2 * panel + offset % 2, offset / 2};
}

int PanelboardViews::branchAt(int grid, int row, bool columnWidthLayout)
{
    if (grid < 0 || grid >= PanelboardView::kBranchGridCount || row < 0 || row >= PanelboardView::kBranchGridRows)
        return -1;
    if (columnWidthLayout)
        return grid * PanelboardView::kBranchGridRows + row;
    return (grid / 2) * kBranchesPerPanel + 2 * row + grid % 2;
}

QString PanelboardViews::groupCaption(int group, int labelMode)
{
    return QStringLiteral("Group %1: %2 / Mapping (Ch#) / Parent ID")
        .arg(group + 1)
        .arg(labelMode == kVoltageLabels ? QStringLiteral("Voltage") : QStringLiteral("Current"));
}

QString PanelboardViews::compositeLabel(const QString& currentName, int currentChannel, const QString& voltageName,
                                        int voltageChannel, const QString& parentId)
{
    return QStringLiteral("%1 (%2)").arg(currentName).arg(currentChannel) + kLabelSeparator
        + QStringLiteral("%1 (%2)").arg(voltageName).arg(voltageChannel) + kLabelSeparator
        + QStringLiteral("Parent ID ") + parentId;
}

QString PanelboardViews::cellLabel(const QString& composite, int labelMode, bool showParentId)
{
    const QStringList parts = composite.split(kLabelSeparator);
    if (showParentId)
        return parts.value(2);
    if (labelMode == kVoltageLabels)
        return parts.value(1);
    return composite;
}

void PanelboardViews::updateBranch(int branch, const QString& label, quint16 value, quint16 alarmWord,
                                   quint16 warningWord)
{
    if (!isOpen(kBranchPanelView))
        return;
    const BranchCell cell = cellOfBranch(branch, m_columnWidthLayout);
    if (!cell.isValid())
        return;
    GridModel& grid = view(kBranchPanelView).branchGrid(cell.grid);
    GridModel::UpdateBatch batch(grid);
    if (!label.isEmpty())
        grid.setText(cell.row, PanelboardView::kLabelColumn, label);
    grid.setText(cell.row, PanelboardView::kValueColumn, QString::number(value));
    grid.setBackground(cell.row, PanelboardView::kValueColumn,
                       alarmWord != 0 ? kStatusRed : warningWord != 0 ? kStatusYellow : kStatusGreen);
}

std::pair<int, int> PanelboardViews::frameOfMeter(int kind, int ordinal)
{
    if (ordinal < 0)
        return {-1, -1};
    switch (kind) {
    case kTypeSubfeed:
    case kTypePanel:
        if (ordinal >= PanelboardView::kMeterFrameCount)
            return {-1, -1};
        return {kind == kTypeSubfeed ? int(kSubfeedPanelView) : int(kPanelsView), ordinal};
    case kTypePduInput:
    case kTypePduOutput:
        // Inputs and outputs alternate: input 1, output 1, input 2, output 2.
        return ordinal < PanelboardView::kMeterFrameCount / 2
            ? std::pair{int(kPduView), 2 * ordinal + (kind == kTypePduOutput ? 1 : 0)}
            : std::pair{-1, -1};
    default:
        return {-1, -1};
    }
}

QString PanelboardViews::meterFrameCaption(int kind, int ordinal, const QString& parentId)
{
    QString name;
    switch (kind) {
    case kTypePduInput:
        name = QStringLiteral("PDU Input ");
        break;
    case kTypePduOutput:
        name = QStringLiteral("PDU Output ");
        break;
    case kTypePanel:
        name = QStringLiteral("Panel ");
        break;
    default:
        name = QStringLiteral("Subfeed ");
        break;
    }
    name += QString::number(ordinal + 1);
    if (!parentId.isEmpty())
        name += QStringLiteral(" (Parent ID %1)").arg(parentId);
    return name;
}

const QStringList& PanelboardViews::meterRowLabels()
{
    static const QStringList labels = {
        QStringLiteral("Voltage (L-L)"), QStringLiteral("Voltage (L-N)"), QStringLiteral("V Mapping"),
        QStringLiteral("Frequency"),     QStringLiteral("Current (Line)"), QStringLiteral("I(L) Mapping"),
        QStringLiteral("Current (Neut)"), QStringLiteral("I(N) Mapping"), QStringLiteral("Current (Gnd)"),
        QStringLiteral("I(G) Mapping"),  QStringLiteral("Load (%)"),       QStringLiteral("KW"),
        QStringLiteral("KVA"),           QStringLiteral("KVAR"),           QStringLiteral("PF"),
        QStringLiteral("KWH"),           QStringLiteral("KVAH"),           QStringLiteral("Max Demand"),
        QStringLiteral("Over Voltage"),  QStringLiteral("UnderVoltage"),   QStringLiteral("Over Current"),
        QStringLiteral("Under Current"), QStringLiteral("Over KVA"),       QStringLiteral("Over KW"),
        QStringLiteral("Low PF"),        QStringLiteral("Over THD (V)"),   QStringLiteral("Over THD (I)"),
        QStringLiteral("Over Freq."),    QStringLiteral("Under Freq."),    QStringLiteral("NCF"),
        QStringLiteral("GIF"),           QStringLiteral("GCF"),            QStringLiteral("Phase Seq."),
        QStringLiteral("Phase Loss"),    QStringLiteral("Unbal. (I)"),     QStringLiteral("Unbal. (V)"),
    };
    return labels;
}

void PanelboardViews::updateThreePhaseMeter(const ThreePhasePanelData& data)
{
    const auto [kind, frame] = frameOfMeter(data.kind, data.ordinal);
    if (!isOpen(kind))
        return;
    PanelboardView& v = view(kind);
    v.setMeterFrameCaption(frame, meterFrameCaption(data.kind, data.ordinal, data.parentId));
    GridModel& grid = v.meterGrid(frame);
    GridModel::UpdateBatch batch(grid);
    for (int r = 1; r < kFirstConditionRow; ++r) {
        for (int c = 0; c < 4; ++c)
            grid.setText(r, c + 1, data.cells[size_t(r)][size_t(c)]);
    }
    static const QString stateTexts[] = {QStringLiteral("OK"), QStringLiteral("Warning"), QStringLiteral("Alarm")};
    static const Rgb stateColours[] = {kStatusGreen, kStatusYellow, kStatusRed};
    for (int r = kFirstConditionRow; r < PanelboardView::kMeterGridRows; ++r) {
        const int state = data.conditionStates[size_t(r)];
        grid.setTextAndBackground(r, 4, stateTexts[state], stateColours[state]);
    }
}

int PanelboardViews::readingsColumnOfFrame(const DeviceModel& model, int viewKind, int frame)
{
    int cursor = 0;
    for (int m = 0; m < model.NumMeters; ++m) {
        const int type = model.meterType(m);
        if (type == kTypeBranch)
            continue;
        if (frameOfMeter(type, model.meterOrdinal(m)) == std::pair{viewKind, frame})
            return cursor + 2;
        ++cursor;
    }
    return -1;
}

} // namespace halvana
