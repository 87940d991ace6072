#include "gui/views/frm_change_setting.h"

#include "core/device/setting_edit.h"
#include "core/app/window_geometry.h"
#include "gui/app/ok_cancel_buttons.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace halvana {

namespace {
constexpr int kWidthTwips = 6000;
} // namespace

FrmChangeSetting::FrmChangeSetting(const ChangeSettingForm& form, QWidget* parent) : QDialog(parent), m_form(form)
{
    setObjectName(QStringLiteral("frmChangeSetting"));
    setWindowTitle(SettingEdit::kCaption);

    lblEnterNewSetting =
        new QLabel(form.isGlobal() ? SettingEdit::kGlobalPrompt : SettingEdit::kNewValuePrompt, this);
    lblEnterNewSetting->setObjectName(QStringLiteral("lblEnterNewSetting"));
    lblEnterNewSetting->setWordWrap(true);
    lblPanelNo = new QLabel(QStringLiteral("Parent ID:"), this);
    lblPanelNo->setObjectName(QStringLiteral("lblPanelNo"));
    txtPanelNo = new QLineEdit(QStringLiteral("1"), this);
    txtPanelNo->setObjectName(QStringLiteral("txtPanelNo"));
    Label1 = new QLabel(QStringLiteral("New Value:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtNewSetting = new QLineEdit(this);
    txtNewSetting->setObjectName(QStringLiteral("txtNewSetting"));
    lblPanelNo->setVisible(form.isGlobal());
    txtPanelNo->setVisible(form.isGlobal());

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    OKButton = buttons.ok;
    CancelButton = buttons.cancel;
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &FrmChangeSetting::OKButton_Click);
    connect(txtNewSetting, &QLineEdit::textChanged, this, &FrmChangeSetting::txtNewSetting_Change);
    connect(txtPanelNo, &QLineEdit::textChanged, this, &FrmChangeSetting::txtPanelNo_Change);

    auto* boxes = new QGridLayout;
    boxes->addWidget(lblPanelNo, 0, 0);
    boxes->addWidget(txtPanelNo, 0, 1);
    boxes->addWidget(Label1, 1, 0);
    boxes->addWidget(txtNewSetting, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblEnterNewSetting);
    layout->addLayout(boxes);
    layout->addWidget(buttons.box);

    setMinimumWidth(twipsToPixels(kWidthTwips));
    txtNewSetting->setText(form.initialText());
    txtNewSetting->setFocus();
}

QString FrmChangeSetting::valueText() const
{
    return txtNewSetting->text();
}

QString FrmChangeSetting::panelText() const
{
    return txtPanelNo->text();
}

void FrmChangeSetting::txtNewSetting_Change(const QString& text)
{
    const QString kept = m_form.valueTextChanged(text);
    if (kept != text) {
        txtNewSetting->setText(kept);
        txtNewSetting->selectAll();
        return;
    }
    // The first fill is selected whole, so typing replaces it.
    if (!m_initialSelectionDone) {
        m_initialSelectionDone = true;
        txtNewSetting->selectAll();
    }
}

void FrmChangeSetting::txtPanelNo_Change(const QString& text)
{
    const QString kept = SettingEdit::panelBoxText(text);
    if (kept != text)
        txtPanelNo->setText(kept);
}

// Enter in the value box presses the default OK button; Escape rejects the dialog.
void FrmChangeSetting::OKButton_Click()
{
    if (m_form.canAccept(txtNewSetting->text()))
        accept();
}

} // namespace halvana
