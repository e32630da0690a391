#include "app/main_window.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"zeravudez"_s);
    QApplication::setDesktopFileName(u"zeravudez"_s);
    // The window decides when the program may end: not before the operation
    // running at the time of the close has unwound.
    QApplication::setQuitOnLastWindowClosed(false);

    zv::MainWindow window;
    QObject::connect(&window, &zv::MainWindow::closed, &app, &QCoreApplication::quit);
    window.show();
    return QApplication::exec();
}
