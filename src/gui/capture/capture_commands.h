#pragma once

#include "core/capture/settings_capture.h"

#include <QObject>

class QMenu;

namespace halvana {

class ChildWindowSlot;
class CompareFileList;
class DataViews;
class DeviceData;
class FrmCompare;
class FrmCompareFileSelect;
class MDIForm1;
class Sequencer;

// The settings captures of the program: the popup `mnuAllSettingsPopup` of the table grids
// ("&Refresh", "&Copy All to Clipboard", "&Capture to File"), Service > "Capture All Settings"
// and Service > "&Compare Settings" with its window `frmCompareFileSelect`.
class CaptureCommands : public QObject {
    Q_OBJECT
public:
    CaptureCommands(MDIForm1& main, DeviceData& data, Sequencer& sequencer, DataViews& views);
    ~CaptureCommands() override;

    QMenu* mnuAllSettingsPopup() const { return m_popup; }
    CompareFileList& compareFiles() { return *m_compareFiles; }
    const SettingsCaptureFiles& captures() const { return m_captures; }
    FrmCompareFileSelect* compareWindow() const;

    // Reads the clicked table again from its first meter; "All Settings" collects anew.
    void mnuRefreshAllSettings_Click();
    void mnuCopyAllSettings_Click();
    void mnuCaptureAllSettings_Click();
    void mnuCompareSettings_Click();
    // Closes the comparison file list if it is open and shows it again.
    void showCompareFileListAfresh();
    // `cmdCompare`: the checked files in the comparison window, brought forward.
    void compareChecked();
    FrmCompare* comparisonWindow() const;

signals:
    // "Create Script" in the differences window made this script text.
    void scriptCreated(const QString& text);

private:
    const GridModel* activeGrid() const;
    QString downloadsFolder() const;

    MDIForm1& m_main;
    DeviceData& m_data;
    Sequencer& m_sequencer;
    QMenu* m_popup;
    SettingsCaptureFiles m_captures;
    CompareFileList* m_compareFiles;
    ChildWindowSlot* m_compareSlot;
    ChildWindowSlot* m_comparisonSlot;
    ChildWindowSlot* m_differencesSlot;
};

} // namespace halvana
