#pragma once

#include <QObject>

namespace halvana {

class DataViews;
class MDIForm1;
class UnitSession;

// The meter tables' grid double-click (`MSFlexGrid1_DblClick`): the edit gate, the
// change-setting dialog with the cell in light cyan meanwhile, the range message, and the write
// handed to the setting writes. Polling stays suspended from the dialog until the write ends.
class SettingEditor : public QObject {
    Q_OBJECT
public:
    SettingEditor(MDIForm1& form, UnitSession& session, DataViews& views);

    void MSFlexGrid1_DblClick(int table, int row, int column);

private:
    MDIForm1& m_form;
    UnitSession& m_session;
};

} // namespace halvana
