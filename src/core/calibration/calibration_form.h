#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace halvana {

// What a calibration sends: the level, `WriteRegister`, the command word and, for the system
// level, the selection word; the reading as it goes out.
struct CalibrationRequest {
    bool systemLevel = false;
    int WriteRegister = 0;
    int commandWord = 0;
    int selectionWord = 0;
    int reading = 0;
};

// The choices of the Calibration window (`frmSFCM_Cal`) as data, with its enabling rules: the
// window shows what this says and forwards every choice here, and halvana-cli makes the same
// choices through it.
class CalibrationForm {
public:
    enum Level { MeterLevel = 0, SystemLevel = 1 };
    enum Command { Gain = 0, Offset = 1 };
    enum CalType { Voltage = 0, Current = 1 };
    // `lstMeterType` entries; "Panel" is sent as type code 9.
    enum MeterTypeIndex { AllTypes = 0, Branch = 1, PduInput = 2, PduOutput = 3, Subfeed = 4, Panel = 5 };
    static constexpr int kPanelTypeCode = 9;
    static constexpr int kSystemMeters = 42;
    static constexpr int kMeterLevelMeters = 250;
    static constexpr int kParamCount = 6;
    static constexpr int kPanelCount = 4;
    static constexpr int kCommandRegister = 12;

    static const QStringList& meterTypeLabels();
    static const QStringList& panelLabels();
    static const QStringList& paramLabels();

    // As the window loads: meter level, "1 Phase", "Gain", the first entry of every list.
    CalibrationForm();

    void chooseLevel(Level level);
    void chooseThreePhase(bool threePhase);
    void chooseMeterType(int index);
    void choosePanel(int index) { m_panel = index; }
    void chooseMeter(int index) { m_meter = index; }
    void chooseCommand(Command command) { m_command = command; }
    void chooseCalType(CalType type) { m_calType = type; }
    void chooseParam(int index) { m_param = index; }
    void setReading(const QString& text) { m_reading = text; }
    // The meters offered at meter level depend on the register map version (1 or 2).
    void setRegisterMapVersion(int version);
    // While a calibration runs, "&Calibrate" stays disabled whatever the reading says.
    void setRunning(bool running) { m_running = running; }

    Level level() const { return m_level; }
    bool threePhase() const { return m_threePhase; }
    int meterType() const { return m_meterType; }
    int panel() const { return m_panel; }
    int meter() const { return m_meter; }
    Command command() const { return m_command; }
    CalType calType() const { return m_calType; }
    int param() const { return m_param; }
    QString reading() const { return m_reading; }
    int registerMapVersion() const { return m_map; }

    // `lstMeterNo`: "1".."250" at meter level, without the three-phase meters whose registers
    // lie past the last address; "All", "1".."42" at system level.
    QStringList meterNumbers() const;
    // Frames and options the rules show or allow.
    bool meterKindFrameVisible() const { return m_level == MeterLevel; }
    bool panelFrameVisible() const { return m_level == SystemLevel; }
    bool meterTypeListEnabled() const { return m_level == SystemLevel; }
    bool voltageVisible() const { return m_level == MeterLevel; }
    bool voltageEnabled() const { return m_level == MeterLevel && m_threePhase; }
    bool parameterFrameVisible() const;
    bool calibrateEnabled() const;

    // What Calibrate sends, or nothing with the message the user gets: the reading must be a
    // whole number 0..65535 once rounded.
    std::optional<CalibrationRequest> request(QString* refusal) const;
    // The reading box after Calibrate: a system-level offset sends, and shows, 0.
    QString readingAfterCalibrate() const;

    static int commandWord(CalType type, int param, Command command);
    static int selectionWord(int meterTypeIndex, int panel, int meter);
    // `WriteRegister` of meter k + 1 of its kind at meter level.
    static int meterTargetRegister(bool threePhase, int mapVersion, int k);
    // How many meters of the kind can be calibrated at meter level: every register the steps
    // touch (`WriteRegister` - 1 .. + 2) must have a wire address.
    static int meterLevelMeters(bool threePhase, int mapVersion);

private:
    std::optional<double> readingValue() const;

    Level m_level = MeterLevel;
    bool m_threePhase = false;
    int m_meterType = -1;
    int m_panel = 0;
    int m_meter = 0;
    Command m_command = Gain;
    CalType m_calType = Current;
    int m_param = 0;
    QString m_reading;
    int m_map = 2;
    bool m_running = false;
};

} // namespace halvana
