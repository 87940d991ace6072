#pragma once

#include "core/app/window_geometry.h"

#include <QObject>
#include <QRect>

#include <optional>

class QMdiSubWindow;

namespace halvana {

class AppSettings;

// Where a data window keeps its position, size and state. Each window has its own set, and
// some keep no width or no size at all; a field without a key is neither read nor written.
struct PlacementKeys {
    std::optional<SettingKey> left;
    std::optional<SettingKey> top;
    std::optional<SettingKey> width;
    std::optional<SettingKey> height;
    std::optional<SettingKey> state;

    // "frmSystemSettingsPos": "0" left, "1" top, "2" state, "3" height.
    static PlacementKeys systemSettings();
    // "MeterTableLeft", "MeterTableTop", "MeterTableState" keyed by the table index, and
    // "MeterTablePosition" "kk_Width" and "kk_Height".
    static PlacementKeys meterTable(int tableIndex);
    // "BCM_PnlBraRdgs_Left", "BCM_PnlBraRdgs_Top", "BCM_PnlBraRdgs_State" keyed by the view.
    static PlacementKeys panelView(int viewIndex);
};

// Restores and stores one child window's placement, in twips as the store keeps it. It follows
// the window's last normal (neither minimised nor maximised) rectangle, so a window closed
// while maximised or minimised stores its state and the rectangle it will be restored to.
class WindowPlacement : public QObject {
    Q_OBJECT
public:
    WindowPlacement(QMdiSubWindow& window, AppSettings& settings, PlacementKeys keys);

    // Applies each stored value over the window's current one; the stored state only when
    // asked (a window opened minimised on purpose stays minimised).
    void restore(bool applyState = true);
    // Stores the state and the last normal rectangle.
    void store();

    QRect lastNormalGeometry() const { return m_normal; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMdiSubWindow& m_window;
    AppSettings& m_settings;
    PlacementKeys m_keys;
    QRect m_normal;
};

} // namespace halvana
