#pragma once

#include "core/app/app_folders.h"
#include "core/app/app_settings.h"
#include "core/device/polling_fixture.h"
#include "fake_shell.h"
#include "gui/app/mdi_form1.h"
#include "gui/views/data_views.h"
#include "gui/views/frm_meter_table.h"
#include "gui/views/grid_table_model.h"
#include "gui/views/grid_view.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <memory>

namespace halvana::test {

// The main window with its data windows over a polled unit: a FakeUnit behind an in-memory
// socket, the sequencer on a manual clock, a store and a program folder in a temporary home.
// The panel offset the views choose goes to the link, as in the program.
class DataViewsTest : public ::testing::Test {
protected:
    DataViewsTest()
    {
        QDir().mkpath(programFolder());
        QFile names(programFolder() + "/BCM_Channels.txt");
        if (names.open(QIODevice::WriteOnly))
            names.write("Panel 1 CB 1\r\nPanel 1 CB 2\r\n");
        storeBeforeStart(AppSettings::kProperties, QStringLiteral("LoginLevel"), QStringLiteral("2"));
    }

    QString storePath() const { return home.path() + "/store/settings.ini"; }
    QString programFolder() const { return home.path() + "/program"; }

    void storeBeforeStart(const QString& section, const QString& key, const QString& value)
    {
        AppSettings s(storePath());
        s.setValue(section, key, value);
        ASSERT_TRUE(s.sync());
    }
    std::unique_ptr<AppSettings> storeOnDisk() const { return std::make_unique<AppSettings>(storePath()); }

    // Starts the program; the unit it polls keeps its description across restarts.
    void start()
    {
        form.reset();
        const RegisterImage image = polling ? polling->unit.image : RegisterImage();
        polling = std::make_unique<PollingHarness>();
        polling->unit.image = image;
        settings = std::make_unique<AppSettings>(storePath());
        form = std::make_unique<MDIForm1>(*settings, AppFolders::fromSystem(programFolder()), shell);
        views = new DataViews(*form, polling->data);
        QObject::connect(views, &DataViews::panelOffsetChanged, &polling->link, &ModbusLink::setPanelOffset);
        form->load();
        form->resize(1400, 900);
        form->show();
        polling->start();
    }

    // Closes the program as the user would and starts it again.
    void restart()
    {
        form->close();
        start();
    }

    void menu(const QString& name) { form->menuAction(name)->trigger(); }
    bool checked(const QString& name) const { return form->menuAction(name)->isChecked(); }

    QMdiSubWindow* subWindowOf(QWidget* window) const
    {
        return window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
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

    TempHome home;
    FakeShell shell;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<PollingHarness> polling;
    std::unique_ptr<MDIForm1> form;
    DataViews* views = nullptr;
};

} // namespace halvana::test
