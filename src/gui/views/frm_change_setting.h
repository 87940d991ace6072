#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace halvana {

class ChangeSettingForm;

// The change-setting dialog `frmChangeSetting`: a new value for a cell, and for a global value
// the panel (parent ID) it is for. What the boxes accept and revert to is the form's logic.
class FrmChangeSetting : public QDialog {
    Q_OBJECT
public:
    explicit FrmChangeSetting(const ChangeSettingForm& form, QWidget* parent = nullptr);

    QString valueText() const;
    QString panelText() const;

    QLabel* lblEnterNewSetting;
    QLabel* lblPanelNo;
    QLineEdit* txtPanelNo;
    QLabel* Label1;
    QLineEdit* txtNewSetting;
    QPushButton* OKButton;
    QPushButton* CancelButton;

private:
    void txtNewSetting_Change(const QString& text);
    void txtPanelNo_Change(const QString& text);
    void OKButton_Click();

    const ChangeSettingForm& m_form;
    bool m_initialSelectionDone = false;
};

} // namespace halvana
