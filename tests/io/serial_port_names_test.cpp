#include "core/app/app_settings.h"
#include "io/serial_port_names.h"
#include "io/serial_transport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana;

TEST(SerialPortNames, NumberMeansTheNthPortUnlessANameIsRememberedInTheStore)
{
    const QStringList found = {QStringLiteral("ttyS0"), QStringLiteral("ttyS1"), QStringLiteral("ttyUSB0")};
    for (const auto& [number, remembered, name] :
         {std::tuple{1, "", "ttyS0"}, std::tuple{3, "", "ttyUSB0"}, std::tuple{4, "", ""}, std::tuple{0, "", ""},
          std::tuple{3, "/dev/pts/5", "/dev/pts/5"}})
        EXPECT_EQ(SerialPortNames::resolve(number, QLatin1String(remembered), found), QLatin1String(name)) << number;

    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    SerialPortNames::remember(settings, 3, QStringLiteral(" /dev/ttyUSB1 "));
    EXPECT_EQ(settings.value(QStringLiteral("SerialPortNames"), QStringLiteral("3")), QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(SerialPortNames::resolve(3, &settings), QStringLiteral("/dev/ttyUSB1"));
}

TEST(SerialTransport, PermissionProblemsAreToldApartFromAPortInUse)
{
    using E = Transport::OpenError;
    EXPECT_EQ(SerialTransport::classifyOpenError(QSerialPort::DeviceNotFoundError, true), E::NoSuchPort);
    // QSerialPort reports a port locked by another program as a permission error.
    EXPECT_EQ(SerialTransport::classifyOpenError(QSerialPort::PermissionError, true), E::InUse);
    EXPECT_EQ(SerialTransport::classifyOpenError(QSerialPort::PermissionError, false), E::PermissionDenied);
    EXPECT_EQ(SerialTransport::classifyOpenError(QSerialPort::UnsupportedOperationError, true), E::Other);
}

TEST(SerialTransport, MissingDeviceIsNoSuchPort)
{
    SerialTransport port;
    port.setEndpoint(QStringLiteral("/dev/halvana-no-such-device"));
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastOpenError(), Transport::OpenError::NoSuchPort);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.write("x"), -1);
}
