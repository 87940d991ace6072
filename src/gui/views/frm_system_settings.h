#pragma once

#include <QWidget>

class QGroupBox;
class QLineEdit;

namespace halvana {

class GridView;
class SystemSettingsView;

// The System Configuration window (`frmSystemSettings`): the meter grid `MSFlexGrid1` in the
// "Meter Info" frame on the left, and on the right the frames "System Settings", "Number of
// Meters" and "System Info" with read-only boxes. It shows what the decoders put into the
// SystemSettingsView and writes nothing.
class FrmSystemSettings : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumHeightTwips = 6195;
    static constexpr int kLoadHeightTwips = 5940;

    explicit FrmSystemSettings(SystemSettingsView& view, QWidget* parent = nullptr);

    GridView* MSFlexGrid1() const { return m_grid; }
    // The box of a system information field (`txtSysInfo(index)`); null for fields not shown.
    QLineEdit* txtSysInfo(int index) const;
    // The box of a meter-type count (`txtNoOfMeterTypes(index)`).
    QLineEdit* txtNoOfMeterTypes(int index) const;
    QLineEdit* txtNoOf_3Ph_Meters() const { return m_threePhaseTotal; }

    // Shows the view's current field texts and counts.
    void refreshFields();

private:
    void showStale(bool stale);
    QLineEdit* addBox(QGroupBox* frame, const QString& label, const QString& name);

    SystemSettingsView& m_view;
    GridView* m_grid;
    QList<QLineEdit*> m_fieldBoxes;
    QList<QLineEdit*> m_countBoxes;
    QLineEdit* m_threePhaseTotal = nullptr;
};

} // namespace halvana
