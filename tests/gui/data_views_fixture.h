#pragma once

#include "core/device/polling_fixture.h"
#include "gui/views/data_views.h"
#include "gui/views/frm_meter_table.h"
#include "gui/views/grid_table_model.h"
#include "gui/views/grid_view.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QTest>

namespace halvana::test {

// The data windows over a FakeUnit behind an in-memory socket, the sequencer on a manual clock;
// the panel offset the views choose goes to the link, as in the program.
class DataViewsTest : public MainWindowTest {
protected:
    DataViewsTest()
    {
        storeBeforeStart(AppSettings::kProperties, QStringLiteral("LoginLevel"), QStringLiteral("2"));
        beforeLoad = [this](MDIForm1& f) {
            views = new DataViews(f, polling->data);
            QObject::connect(views, &DataViews::panelOffsetChanged, &polling->link, &ModbusLink::setPanelOffset);
        };
    }
    // The windows go before the data they show.
    ~DataViewsTest() override { form.reset(); }

    // Starts the program; the unit it polls keeps its description across restarts.
    void start()
    {
        form.reset();
        const RegisterImage image = polling ? polling->unit.image : RegisterImage();
        polling = std::make_unique<PollingHarness>();
        polling->unit.image = image;
        MainWindowTest::start();
        form->resize(1400, 900);
        form->show();
        polling->start();
    }

    void restart()
    {
        form->close();
        start();
    }

    FrmMeterTable* table(int index) const { return views->meterTableWindow(index); }

    // Polls until `table` has been read through (its caption says so) or `limitMs` has passed.
    void pollUntilUpdated(int table, qint64 limitMs = 20000)
    {
        for (qint64 waited = 0; waited < limitMs && !polling->data.tables().table(table).isUpdated(); waited += 100)
            polling->runFor(100);
    }

    // Presses a mouse button on a grid cell (grid positions: heading row 0, first column 0).
    static void pressCell(GridView* view, int row, int column, Qt::MouseButton button)
    {
        const QModelIndex index = view->gridModel()->indexOfCell(row, column);
        QTest::mousePress(view->viewport(), button, {}, view->visualRect(index).center());
        QTest::mouseRelease(view->viewport(), button, {}, view->visualRect(index).center());
    }
    static QVariant cell(GridView* view, int row, int column, int role = Qt::DisplayRole)
    {
        return view->model()->data(view->gridModel()->indexOfCell(row, column), role);
    }

    std::unique_ptr<PollingHarness> polling;
    DataViews* views = nullptr;
};

} // namespace halvana::test
