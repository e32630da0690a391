#include "app/main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zeravudez"));
    QApplication::setDesktopFileName(QStringLiteral("zeravudez"));
    // The window decides when the program may end: not before the operation
    // running at the time of the close has unwound.
    QApplication::setQuitOnLastWindowClosed(false);

    zv::MainWindow window;
    QObject::connect(&window, &zv::MainWindow::closed, &app, &QCoreApplication::quit);
    window.show();
    return QApplication::exec();
}
