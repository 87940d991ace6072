#pragma once

class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace halvana {

// The OK and Cancel buttons of the small dialogs: OK is the default button ("cmdOK"), Cancel
// ("cmdCancel") rejects the dialog. The caller connects OK and places the box.
struct OkCancelButtons {
    QDialogButtonBox* box;
    QPushButton* ok;
    QPushButton* cancel;
};

OkCancelButtons makeOkCancelButtons(QDialog* dialog);

} // namespace halvana
