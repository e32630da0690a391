#include "tests/support/widget_test_main.h"

#include "app/home_page.h"
#include "view/message_box.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace zv::test {

QList<QUrl>& openedUrls()
{
    static QList<QUrl> urls;
    return urls;
}

} // namespace zv::test

int main(int argc, char** argv)
{
    // Listing the tests must work without a display too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Whatever a window under test sends goes to a closed loopback port and
    // fails at once: no test reaches the real network.
    qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:9");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // No real box and no browser ever opens from a test.
    zv::setScriptedMessageBoxes(true);
    zv::setUrlOpener([](const QUrl& url) { zv::test::openedUrls().append(url); });
    return RUN_ALL_TESTS();
}
