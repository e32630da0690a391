#include "program_run.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace zv::test {

using namespace Qt::StringLiterals;

QProcessEnvironment programEnvironment(const QString& proxy)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(u"ZERAVUDEZ_PROXY"_s, proxy);
    return environment;
}

Outcome outcomeOf(QProcess& process, bool ended)
{
    Outcome outcome;
    if (!ended || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "the program did not end normally";
        process.kill();
        process.waitForFinished();
        return outcome;
    }
    outcome.exitCode = process.exitCode();
    outcome.out = process.readAllStandardOutput().toStdString();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

Outcome runProgram(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QString::fromUtf8(ZV_PROGRAM), arguments);
    const bool ended = process.waitForFinished(120000);
    return outcomeOf(process, ended);
}

} // namespace zv::test
