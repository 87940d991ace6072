#pragma once

#include "core/calibration/calibration_form.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace halvana {

class CalibrationSequence;
struct CalibrationResponse;
class DeviceData;
class MDIForm1;
class MessageSink;
class UnitSession;

// The Calibration window (`frmSFCM_Cal`): the user's choices go to a CalibrationForm, whose
// rules decide what the window shows, and "&Calibrate" hands its request to the session's
// calibration sequence, whose results land in the response box.
class FrmSfcmCal : public QWidget {
    Q_OBJECT
public:
    FrmSfcmCal(CalibrationSequence& calibration, DeviceData& data, MessageSink& messages, QWidget* parent = nullptr);
    ~FrmSfcmCal() override;

    // Gives `mnuBCM_Cal_Top` its command: it shows the window, placed by "frmSFCM_CalPos".
    static void install(MDIForm1& form, UnitSession& session);

    void cmdCalibrate_Click();
    const CalibrationForm& form() const { return m_form; }

private:
    void refresh();
    void fillList(QListWidget* list, const QStringList& entries, int selected);
    void showResponse(const CalibrationResponse& response);

    QPointer<CalibrationSequence> m_calibration;
    MessageSink& m_messages;
    CalibrationForm m_form;

    std::array<QRadioButton*, 2> optCalLevel{};
    std::array<QRadioButton*, 2> optMeterType{};
    std::array<QRadioButton*, 2> optCommand{};
    std::array<QRadioButton*, 2> optType{};
    QGroupBox* fraMeterKind;
    QGroupBox* fraPanelNo;
    QGroupBox* fraParameter;
    QListWidget* lstMeterType;
    QListWidget* lstPanelNo;
    QListWidget* lstMeterNo;
    QListWidget* lstParam;
    QLabel* lblReading;
    QLineEdit* txtReading;
    QLineEdit* txtResultResponse;
    QPushButton* cmdCalibrate;
    QPushButton* cmdExit;
};

} // namespace halvana
