#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/serial_transport.h"

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

class SerialOverPty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.open()) << qPrintable(pty.error()); }
    PtyPair pty;
};

} // namespace

TEST_F(SerialOverPty, CarriesBytes)
{
    SerialTransport unit;
    SerialTransport tool;
    unit.setEndpoint(pty.unitSide());
    tool.setEndpoint(pty.toolSide());
    tool.setBaudRate(9600);
    ASSERT_TRUE(unit.open()) << qPrintable(unit.errorString());
    ASSERT_TRUE(tool.open()) << qPrintable(tool.errorString());
    EXPECT_EQ(tool.description(), pty.toolSide());

    QByteArray atUnit;
    QObject::connect(&unit, &Transport::bytesReceived, [&](const QByteArray& bytes) { atUnit += bytes; });
    const QByteArray request = QByteArray::fromHex("010300000001840A");
    EXPECT_EQ(tool.write(request), request.size());
    ASSERT_TRUE(waitUntil([&] { return atUnit.size() >= request.size(); }));
    EXPECT_EQ(atUnit, request);
}

TEST_F(SerialOverPty, APortAlreadyOpenIsInUse)
{
    SerialTransport first;
    SerialTransport second;
    first.setEndpoint(pty.toolSide());
    second.setEndpoint(pty.toolSide());
    ASSERT_TRUE(first.open()) << qPrintable(first.errorString());
    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.lastOpenError(), Transport::OpenError::InUse) << qPrintable(second.errorString());

    first.close();
    EXPECT_TRUE(second.open()) << qPrintable(second.errorString());
}
