#pragma once

// Runs the real `pravik` where only a process shows it: exit statuses as the shell sees them, a
// closed or full stream, no display, a chart drawn without one.
#include "cli/tests/pravik_run.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace pravik_process {

using pravik_run::environmentWithLocale;
using pravik_run::everyLineNamesTheProgram;
using pravik_run::Run;

inline Run runPravikProcess(const QStringList& arguments, const QByteArray& input = {},
                            const QStringList& locale = {"LANG=en_US.UTF-8"},
                            const QString& workingDirectory = {}) {
    QProcess process;
    process.setProcessEnvironment(environmentWithLocale(locale));
    if (!workingDirectory.isEmpty()) {
        process.setWorkingDirectory(workingDirectory);
    }
    process.start(QStringLiteral(PRAVIK_PATH), arguments);
    Run run;
    if (!process.waitForStarted()) {
        run.err = process.errorString();
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("pravik did not finish");
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.outBytes = process.readAllStandardOutput();
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace pravik_process
