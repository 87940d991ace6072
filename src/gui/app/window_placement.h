#pragma once

#include "core/app/window_geometry.h"

#include <QObject>
#include <QRect>

#include <functional>

class QMdiSubWindow;

namespace halvana {

class AppSettings;

// Restores and stores one child window's placement, in twips as the store keeps it. It follows
// the window's last normal (neither minimised nor maximised) rectangle, so a window closed
// while maximised or minimised stores its state and the rectangle it will be restored to.
class WindowPlacement : public QObject {
    Q_OBJECT
public:
    WindowPlacement(QMdiSubWindow& window, AppSettings& settings, GeometryKeys keys);

    // Applies each stored value over the window's current one; the stored state only when
    // asked (a window opened minimised on purpose stays minimised).
    void restore(bool applyState = true);
    // Stores the state and the last normal rectangle.
    void store();
    // Stores the placement whenever the window closes, then runs `afterStore`.
    void storeOnClose(std::function<void()> afterStore);

    QRect lastNormalGeometry() const { return m_normal; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMdiSubWindow& m_window;
    AppSettings& m_settings;
    GeometryKeys m_keys;
    QRect m_normal;
    bool m_storeOnClose = false;
    std::function<void()> m_afterStore;
};

} // namespace halvana
