#pragma once

// Runs `pravik`'s commands in this process as a user or a script would, with a chosen locale and
// no display: arguments and input in, output, messages and status out.
#include "cli/command_line.h"

#include <QByteArray>
#include <QDir>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <sstream>
#include <string>

namespace pravik_run {

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
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_NUMERIC", "LC_MONETARY", "LC_TIME",
                             "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    for (const QString& variable : variables) {
        const qsizetype equals = variable.indexOf(u'=');
        environment.insert(variable.left(equals), variable.mid(equals + 1));
    }
    return environment;
}

// Every line of standard error begins with "pravik: ", and there is one.
inline bool everyLineNamesTheProgram(const QString& err) {
    const QStringList lines = err.split(u'\n', Qt::SkipEmptyParts);
    return !lines.isEmpty() && std::all_of(lines.begin(), lines.end(), [](const QString& line) {
        return line.startsWith(QStringLiteral("pravik: "));
    });
}

// Sets the environment and the working folder of one run, and puts them back after it.
class RunSurroundings {
public:
    RunSurroundings(const QStringList& locale, const QString& workingDirectory)
        : environment_{QProcessEnvironment::systemEnvironment()}
        , folder_{QDir::currentPath()} {
        const QProcessEnvironment wanted = environmentWithLocale(locale);
        for (const QString& name : environment_.keys()) {
            qunsetenv(name.toLocal8Bit().constData());
        }
        for (const QString& name : wanted.keys()) {
            qputenv(name.toLocal8Bit().constData(), wanted.value(name).toLocal8Bit());
        }
        if (!workingDirectory.isEmpty()) {
            QDir::setCurrent(workingDirectory);
        }
    }
    ~RunSurroundings() {
        for (const QString& name : QProcessEnvironment::systemEnvironment().keys()) {
            qunsetenv(name.toLocal8Bit().constData());
        }
        for (const QString& name : environment_.keys()) {
            qputenv(name.toLocal8Bit().constData(), environment_.value(name).toLocal8Bit());
        }
        QDir::setCurrent(folder_);
    }
    RunSurroundings(const RunSurroundings&) = delete;
    RunSurroundings& operator=(const RunSurroundings&) = delete;
    RunSurroundings(RunSurroundings&&) = delete;
    RunSurroundings& operator=(RunSurroundings&&) = delete;

private:
    QProcessEnvironment environment_;
    QString folder_;
};

// `pravik arguments` in this process, with `input` as standard input.
inline Run runPravik(const QStringList& arguments, const QByteArray& input = {},
                     const QStringList& locale = {"LANG=en_US.UTF-8"},
                     const QString& workingDirectory = {}) {
    const RunSurroundings surroundings{locale, workingDirectory};
    std::istringstream in{input.toStdString()};
    std::ostringstream out;
    std::ostringstream err;
    Run run;
    run.status = veltrane::toInt(veltrane::runPravikCommand(
        QStringList{QStringLiteral("pravik")} + arguments, {in, out, err}));
    run.outBytes = QByteArray::fromStdString(out.str());
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromStdString(err.str());
    return run;
}

} // namespace pravik_run
