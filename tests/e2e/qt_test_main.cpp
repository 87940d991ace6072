#include <QCoreApplication>

#include <gtest/gtest.h>

// GoogleTest with a QCoreApplication, for tests that need sockets, timers and child processes.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
