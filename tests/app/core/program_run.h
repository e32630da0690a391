#pragma once
// Runs the program as the user runs it from a shell or a timer: a separate
// process with no display variables and no Qt platform set.

#include <QProcessEnvironment>

class QProcess;
#include <QStringList>

#include <string>

namespace zv::test {

struct Outcome
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The test's environment without DISPLAY, WAYLAND_DISPLAY and
// QT_QPA_PLATFORM, with ZERAVUDEZ_PROXY set to proxy.
QProcessEnvironment programEnvironment(const QString& proxy);

// What a run of the program gave, once ended says it has ended; one that did
// not end normally fails the test, is killed, and gives exit code -1.
Outcome outcomeOf(QProcess& process, bool ended);

// Runs the program with arguments; a run that does not end normally within
// two minutes fails the test and gives exit code -1.
Outcome runProgram(const QStringList& arguments, const QProcessEnvironment& environment);

} // namespace zv::test
