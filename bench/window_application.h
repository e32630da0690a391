#pragma once
// The QApplication of a benchmark program that drives the main window: made
// once, offscreen unless QT_QPA_PLATFORM says otherwise, with message boxes
// answered by script and no browser opened.

#include "app/home_page.h"
#include "view/message_box.h"

#include <QApplication>
#include <QUrl>

#include <string>

namespace zv::bench {

inline QApplication& windowApplication(const char* programName)
{
    static std::string name = programName;
    static int argc = 1;
    static char* argv[] = {name.data(), nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    setScriptedMessageBoxes(true);
    setUrlOpener([](const QUrl&) {});
    return app;
}

} // namespace zv::bench
