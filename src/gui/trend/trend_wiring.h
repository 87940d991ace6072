#pragma once

#include <QObject>

namespace halvana {

class ChildWindowSlot;
class Clock;
class DataViews;
class FrmTrend;
class MDIForm1;
class TrendSet;
class UnitSession;

// Joins the trend to the program: it is sampled at the end of every polling cycle, its series
// are kept in the settings and come back at the next start (their tables reopen with them),
// "Add to Trend" opens the Trend window, and the window's log goes to the next Log_###.csv of
// the downloads folder. A log that cannot be written stops with a message naming the file.
class TrendWiring : public QObject {
    Q_OBJECT
public:
    TrendWiring(MDIForm1& form, Clock& clock, UnitSession& session, DataViews& views);
    ~TrendWiring() override;

    TrendSet& trend() { return *m_trend; }
    FrmTrend* window() const;
    void mnuTrend_Click();

private:
    void openWindow();
    void startLog();

    MDIForm1& m_form;
    TrendSet* m_trend;
    ChildWindowSlot* m_slot;
};

} // namespace halvana
