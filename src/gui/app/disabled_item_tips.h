#pragma once

#include <QObject>

class QMenuBar;

namespace halvana {

// Greyed menu items get no hover status tip, so the tip of a disabled item (why it cannot be
// used) is shown as its tooltip instead, on the menu bar and in every menu under it.
class DisabledItemTips : public QObject {
    Q_OBJECT
public:
    explicit DisabledItemTips(QMenuBar* menuBar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace halvana
