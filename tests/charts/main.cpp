#include <QApplication>

#ifdef ZV_CHARTS_TESTS_WITH_APP
#include "app/home_page.h"
#include "view/message_box.h"
#endif

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Listing the tests must work without a display too.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef ZV_CHARTS_TESTS_WITH_APP
    // No real box and no browser ever opens from a test.
    zv::setScriptedMessageBoxes(true);
    zv::setUrlOpener([](const QUrl&) {});
#endif
    return RUN_ALL_TESTS();
}
