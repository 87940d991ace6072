#pragma once

#include "core/session/unit_session.h"
#include "core/terminal/terminal_console.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "gui/app/polling_session.h"
#include "gui/terminal/frm_terminal.h"
#include "gui/terminal/terminal_wiring.h"
#include "io/qt_clock.h"
#include "io/serial_port_names.h"
#include "io/serial_transport.h"
#include "main_window_fixture.h"

#include <memory>

namespace halvana::test {

// A main window whose service port ("CommPort" 4) is one end of a pty pair, with the
// simulator's service console on the other end.
class ServiceTerminalTest : public MainWindowTest {
protected:
    void startSimulator(const QStringList& extraArgs = {})
    {
        ASSERT_TRUE(pty.open()) << qPrintable(pty.error());
        ASSERT_TRUE(sim.startTcp(QStringList{QStringLiteral("--service"), pty.unitSide()} + extraArgs))
            << qPrintable(sim.output());
        {
            AppSettings s(storePath());
            SerialPortNames::remember(s, 4, pty.toolSide());
            ASSERT_TRUE(s.sync());
        }
        beforeLoad = [this](MDIForm1& f) {
            polling = new PollingSession(f, clock, nullptr, nullptr);
            service = std::make_unique<SerialTransport>(&f.settings());
            polling->session().setServiceTransport(service.get());
        };
    }
    void TearDown() override
    {
        form.reset();
        EXPECT_TRUE(sim.stop()) << qPrintable(sim.output());
    }

    FrmTerminal* terminal() const { return polling->terminal().terminal(); }
    bool consoleShows(const char* text)
    {
        return waitUntil(
            [&] { return terminal() && terminal()->console().console().text().contains(QLatin1String(text)); });
    }

    PtyPair pty;
    SimProcess sim;
    QtClock clock;
    std::unique_ptr<SerialTransport> service;
    PollingSession* polling = nullptr;
};

} // namespace halvana::test
