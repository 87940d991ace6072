#pragma once

#include "core/grid/grid_model.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

namespace halvana {

struct DeviceModel;

// The four panelboard view kinds, in the order of the View menu's panelboard items.
enum PanelViewKind : int { kBranchPanelView = 0, kSubfeedPanelView = 1, kPanelsView = 2, kPduView = 3 };
inline constexpr int kPanelViewCount = 4;

// What one panelboard window (`frmBCM_Panel`) shows: four group frames with two branch grids
// each (`fraSeqNum`, `grdSeqNum`) and four three-phase meter frames (`fraPanel`, `grdPanel2`).
class PanelboardView : public QObject {
    Q_OBJECT
public:
    static constexpr int kGroupCount = 4;
    static constexpr int kBranchGridCount = 8;
    static constexpr int kBranchGridRows = 21;
    static constexpr int kMeterFrameCount = 4;
    static constexpr int kMeterGridRows = 37;
    static constexpr int kMeterGridColumns = 5;
    enum BranchColumn : int { kCircuitColumn, kLabelColumn, kValueColumn };

    PanelboardView(int kind, QObject* parent = nullptr);

    int kind() const { return m_kind; }
    // `PanelViewOpen(kind)`: the decoders update the view only while it is set.
    bool isOpen() const { return m_open; }
    QString caption() const { return m_caption; }
    QString groupCaption(int group) const { return m_groupCaptions.at(size_t(group)); }
    GridModel& branchGrid(int grid) { return *m_branchGrids.at(size_t(grid)); }
    QString meterFrameCaption(int frame) const { return m_meterCaptions.at(size_t(frame)); }
    GridModel& meterGrid(int frame) { return *m_meterGrids.at(size_t(frame)); }

signals:
    void captionsChanged();

private:
    friend class PanelboardViews;
    void buildBranchGrids(bool columnWidthLayout);
    void setCaptions(const QString& caption, const QStringList& groups, const QStringList& frames);
    void setMeterFrameCaption(int frame, const QString& caption);

    int m_kind;
    bool m_open = false;
    QString m_caption;
    std::array<QString, kGroupCount> m_groupCaptions;
    std::array<std::unique_ptr<GridModel>, kBranchGridCount> m_branchGrids;
    std::array<QString, kMeterFrameCount> m_meterCaptions;
    std::array<std::unique_ptr<GridModel>, kMeterFrameCount> m_meterGrids;
};

// Where a branch sits in the branch grids, and the branch a cell shows.
struct BranchCell {
    int grid = -1;
    int row = -1;
    bool isValid() const { return grid >= 0; }
};

// The texts and state of one three-phase meter for its frame in the subfeed, panel or PDU view.
struct ThreePhasePanelData {
    int kind = 0;
    int ordinal = 0;
    QString parentId;
    // Rows 1.. of the meter grid, columns 1..4 (phase A, B, C, total).
    std::array<std::array<QString, 4>, PanelboardView::kMeterGridRows> cells;
    // Per condition row (19..36): 0 OK, 1 warning, 2 alarm.
    std::array<int, PanelboardView::kMeterGridRows> conditionStates{};
};

// The four views and their shared state: layout, label mode and parent-ID display.
class PanelboardViews : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPanelBranches = 168;
    static constexpr int kBranchesPerPanel = 42;
    static constexpr int kFirstConditionRow = 19;
    enum LabelMode : int { kCurrentLabels = 0, kVoltageLabels = 1 };

    explicit PanelboardViews(QObject* parent = nullptr);
    ~PanelboardViews() override;

    PanelboardView& view(int kind) { return *m_views.at(size_t(kind)); }
    bool isOpen(int kind) const;
    bool anyThreePhaseViewOpen() const;
    void open(int kind);
    void close(int kind);

    // `ColumnWidthLayout`: false standard (odd circuits left, even right), true column-width
    // (21 consecutive branches per grid). Changing it rebuilds the branch grids.
    bool columnWidthLayout() const { return m_columnWidthLayout; }
    void setColumnWidthLayout(bool columnWidth);
    // `PanelLabelMode`.
    int labelMode() const { return m_labelMode; }
    void setLabelMode(int mode);
    // `ShowParentID`.
    bool showParentId() const { return m_showParentId; }
    void setShowParentId(bool show) { m_showParentId = show; }

    static BranchCell cellOfBranch(int branch, bool columnWidthLayout);
    // The branch ordinal a grid row shows; -1 outside the grids.
    static int branchAt(int grid, int row, bool columnWidthLayout);
    // "Group n: Current / Mapping (Ch#) / Parent ID" (Voltage in voltage mode).
    static QString groupCaption(int group, int labelMode);
    // The composite label of a branch: current channel name and number, seven blanks,
    // voltage channel name and number, seven blanks, "Parent ID " and the parent.
    static QString compositeLabel(const QString& currentName, int currentChannel, const QString& voltageName,
                                  int voltageChannel, const QString& parentId);
    // The part of the composite label a cell shows for the mode and the parent-ID flag.
    static QString cellLabel(const QString& composite, int labelMode, bool showParentId);

    // One branch's cell in the branch view. The label is written only when the branch has a
    // channel mapping (label not empty); the value cell is green, yellow on a warning, red
    // on an alarm. Branches from 168 on have no cell.
    void updateBranch(int branch, const QString& label, quint16 value, quint16 alarmWord, quint16 warningWord);
    // One three-phase meter's frame in the view of its kind; meters beyond the four frames of
    // their view are not shown.
    void updateThreePhaseMeter(const ThreePhasePanelData& data);

    // The view and frame that show a three-phase meter of a kind and ordinal; view -1 if none.
    static std::pair<int, int> frameOfMeter(int kind, int ordinal);
    static QString meterFrameCaption(int kind, int ordinal, const QString& parentId);
    // The three-phase readings column of the meter a frame of a view shows: `MeterCursor` + 2,
    // where the cursor counts the meters that are not branches, in meter-list order. -1 when
    // no meter of the list is shown there.
    static int readingsColumnOfFrame(const DeviceModel& model, int viewKind, int frame);
    static const QStringList& meterRowLabels();

private:
    std::array<std::unique_ptr<PanelboardView>, kPanelViewCount> m_views;
    bool m_columnWidthLayout = true;
    int m_labelMode = kCurrentLabels;
    bool m_showParentId = false;
};

} // namespace halvana
