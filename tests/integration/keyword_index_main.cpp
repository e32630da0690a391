#include "app/home_page.h"
#include "view/message_box.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // No box and no browser ever opens from a test.
    zv::setScriptedMessageBoxes(true);
    zv::setUrlOpener([](const QUrl&) {});
    return RUN_ALL_TESTS();
}
