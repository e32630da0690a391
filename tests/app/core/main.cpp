#include <QCoreApplication>

#include <gtest/gtest.h>

// Qt Core only: these tests need no display, and the process tests start the
// program with none.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
