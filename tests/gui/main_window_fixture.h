#pragma once

#include "core/app/app_folders.h"
#include "core/app/app_settings.h"
#include "core/time/manual_clock.h"
#include "fake_shell.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/polling_session.h"
#include "support/fake_transport.h"
#include "support/file_bytes.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <functional>
#include <initializer_list>
#include <memory>

namespace halvana::test {

// A main window over a store and a program folder of its own, in a temporary home.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        QDir().mkpath(programFolder());
        writeFileBytes(programFolder() + "/BCM_Channels.txt", "Panel 1 CB 1\r\nPanel 1 CB 2\r\n");
    }

    QString storePath() const { return home.path() + "/store/settings.ini"; }
    QString programFolder() const { return home.path() + "/program"; }

    void storeBeforeStart(const QString& section, const QString& key, const QString& value)
    {
        AppSettings s(storePath());
        s.setValue(section, key, value);
        ASSERT_TRUE(s.sync());
    }

    MDIForm1& start(std::initializer_list<std::pair<QString, QString>> properties)
    {
        for (const auto& [key, value] : properties)
            storeBeforeStart(AppSettings::kProperties, key, value);
        return start();
    }

    MDIForm1& start()
    {
        form.reset();
        settings = std::make_unique<AppSettings>(storePath());
        form = std::make_unique<MDIForm1>(*settings, AppFolders::fromSystem(programFolder()), shell);
        QObject::connect(form.get(), &MDIForm1::StartCommRequested, [this] { ++startCommRequests; });
        if (beforeLoad)
            beforeLoad(*form);
        form->load();
        return *form;
    }

    // The store as the next start would read it.
    std::unique_ptr<AppSettings> storeOnDisk() const { return std::make_unique<AppSettings>(storePath()); }
    // Expects the store on disk to hold each "Section/key=value".
    void expectStored(std::initializer_list<const char*> entries) const
    {
        const auto s = storeOnDisk();
        for (const QString entry : entries)
            EXPECT_EQ(s->value(entry.section('/', 0, 0), entry.section('/', 1).section('=', 0, 0)),
                      entry.section('=', 1))
                << qPrintable(entry);
    }

    void menu(const QString& name) { form->menuAction(name)->trigger(); }
    template <typename T> static T* child(const QObject* parent, const char* name)
    {
        return parent->findChild<T*>(QLatin1String(name));
    }
    bool checked(const QString& name) const { return form->menuAction(name)->isChecked(); }
    static QMdiSubWindow* subWindowOf(QWidget* window)
    {
        return window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
    }

    QMdiSubWindow* openChild(const QString& title, const QSize& size)
    {
        auto* w = new QWidget;
        w->setWindowTitle(title);
        QMdiSubWindow* sub = form->addChildWindow(w);
        sub->resize(size);
        return sub;
    }

    TempHome home;
    FakeShell shell;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<MDIForm1> form;
    int startCommRequests = 0;
    // Runs between building the window and its start-up, where the program joins the link.
    std::function<void(MDIForm1&)> beforeLoad;
};

// The program with its polling session on a manual clock over in-memory transports.
class SessionTest : public MainWindowTest {
protected:
    SessionTest()
    {
        beforeLoad = [this](MDIForm1& f) { session = new PollingSession(f, clock, &serial, &tcp); };
    }
    // The session holds the clock and transports declared below, so the form must go first.
    ~SessionTest() override { form.reset(); }

    ManualClock clock;
    FakeTransport serial;
    FakeTransport tcp{true};
    PollingSession* session = nullptr;
};

} // namespace halvana::test
