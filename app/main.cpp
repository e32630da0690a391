#include "app/command_modes.h"
#include "app/configuration.h"
#include "app/main_window.h"
#include "app/startup_settings.h"
#include "view/paths.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // The command-line modes run without a window, so they need no display.
    if (zv::wantsCommandLine(arguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(u"zeravudez"_s);
        QFile out, err;
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
        return zv::runCommandLine(zv::parseCommandLine(arguments), out, err, isatty(STDERR_FILENO) == 1);
    }

    const QString configFile = zv::configurationPath();
    const zv::Configuration configuration = zv::readConfiguration(configFile);
    zv::applyConfiguredProxy(configuration);

    QApplication app(argc, argv);
    QApplication::setApplicationName(u"zeravudez"_s);
    QApplication::setDesktopFileName(QStringLiteral(ZV_APP_ID));
    // The window decides when the program may end: not before the operation
    // running at the time of the close has unwound.
    QApplication::setQuitOnLastWindowClosed(false);

    zv::MainWindow window;
    // The status bar shows the start of a long line; the error stream (a
    // terminal, the journal) gets all of it.
    if (const QString problems = zv::applyStartupSettings(window, configuration, configFile, zv::engineProfileFolder());
        !problems.isEmpty())
        std::fprintf(stderr, "zeravudez: %s\n", problems.toUtf8().constData());
    QObject::connect(&window, &zv::MainWindow::closed, &app, &QCoreApplication::quit);
    window.show();
    return QApplication::exec();
}
