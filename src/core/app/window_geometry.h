#pragma once

#include <QRect>
#include <QString>

#include <optional>

namespace halvana {

class AppSettings;

// Window layouts are stored in twips, as the unit's tools always have; 15 twips make one
// logical pixel (Qt scales logical pixels for dense screens itself).
constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }
constexpr int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

// The stored window states.
enum class WindowState { Normal = 0, Minimised = 1, Maximised = 2 };

// Where one stored value lives.
struct SettingKey {
    QString section;
    QString key;
};

// Where a window keeps its position, size and state. The order of the keys differs from
// window to window, so each window names its own; some keep no size or no state, and a field
// without a key is neither read nor written.
struct GeometryKeys {
    std::optional<SettingKey> left;
    std::optional<SettingKey> top;
    std::optional<SettingKey> width;
    std::optional<SettingKey> height;
    std::optional<SettingKey> state;

    // Numbered keys in one section, e.g. ("frmDataSpyPos", "0", "1", "2", "3", "4").
    static GeometryKeys numbered(const QString& section, int leftKey, int topKey, int widthKey,
                                 int heightKey, std::optional<int> stateKey);
    // The meter tables: one section per field, keyed by the table index; width and height
    // share "MeterTablePosition" as "05_Width" and "05_Height".
    static GeometryKeys meterTable(int tableIndex);
    // "frmSystemSettingsPos": "0" left, "1" top, "2" state, "3" height; the width is its own.
    static GeometryKeys systemSettings();
    // "BCM_PnlBraRdgs_Left", "BCM_PnlBraRdgs_Top", "BCM_PnlBraRdgs_State" keyed by the view.
    static GeometryKeys panelView(int viewIndex);
};

// What is stored for a window, in twips. A field is empty when nothing usable is stored
// (missing, empty or not a number), so the window keeps its own default there.
struct StoredGeometry {
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<WindowState> state;

    // The rectangle in pixels: stored fields over the fallback's.
    QRect applyTo(const QRect& fallbackPixels) const;
};

StoredGeometry readGeometry(const AppSettings& settings, const GeometryKeys& keys);
// Stores the window's normal (restored) rectangle, in pixels, and its state.
void writeGeometry(AppSettings& settings, const GeometryKeys& keys, const QRect& normalPixels,
                   WindowState state);

} // namespace halvana
