#pragma once

#include "core/app/window_geometry.h"

#include <QObject>
#include <QRect>

#include <functional>

class QMdiSubWindow;

namespace halvana {

class AppSettings;

// Restores a child window's layout from its keys and stores it when the window closes. It
// follows the window's normal geometry, so a maximised or minimised window stores where it
// comes back to.
class ChildWindowGeometry : public QObject {
public:
    ChildWindowGeometry(QMdiSubWindow* window, AppSettings& settings, GeometryKeys keys,
                        QSize defaultPixels);

    // Applies what is stored (the default size where nothing is) and the stored state.
    void restore();
    void save();
    // Runs when the window closes, after its layout is stored.
    void setOnClose(std::function<void()> onClose) { m_onClose = std::move(onClose); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMdiSubWindow* m_window;
    AppSettings& m_settings;
    GeometryKeys m_keys;
    QSize m_defaultPixels;
    QRect m_normal;
    std::function<void()> m_onClose;
};

} // namespace halvana
