#pragma once

// Runs the real `pravik` as a user or a script would, with a chosen locale and no display.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace pravik_process {

struct Run {
    int status = -1;
    QString out;
    QString err;
    // Standard output as it was written, byte order mark and all.
    QByteArray outBytes;
};

// The user's environment without any locale of the machine running the tests, and without a
// display: the command line must never need one.
inline QProcessEnvironment environmentWithLocale(const QStringList& variables) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_NUMERIC", "LC_MONETARY", "DISPLAY",
                             "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    for (const QString& variable : variables) {
        const qsizetype equals = variable.indexOf(u'=');
        environment.insert(variable.left(equals), variable.mid(equals + 1));
    }
    return environment;
}

inline Run runPravik(const QStringList& arguments, const QByteArray& input = {},
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
