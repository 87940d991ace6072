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
