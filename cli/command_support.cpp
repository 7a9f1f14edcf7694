#include "cli/command_support.h"

#include "cli/job_count.h"
#include "cli/messages.h"
#include "csv/dialect.h"
#include "locale/locale_settings.h"

#include <QCommandLineParser>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace veltrane {

ExitStatus usageError(const QString& text, std::string_view helpCommand) {
    printError(text.toStdString() + "\nTry '" + std::string{helpCommand} + " --help'.");
    return ExitStatus::usage;
}

bool writeAll(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
}

ExitStatus writeStandardOutput(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        printError(std::string{"cannot write the results: "} + std::strerror(errno));
        return ExitStatus::outputFailed;
    }
    return ExitStatus::ok;
}

QStringList withCsvFileApart(QStringList arguments) {
    const QString prefix = QStringLiteral("--csv=");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i).startsWith(prefix)) {
            const QString file = arguments.at(i).mid(prefix.size());
            arguments[i] = QStringLiteral("--csv");
            arguments.insert(i + 1, file);
            ++i;
        }
    }
    return arguments;
}

std::optional<ExitStatus> refuseRepeatedOptions(const QCommandLineParser& parser,
                                                std::string_view helpCommand) {
    for (const QString& name : parser.optionNames()) {
        if (parser.optionNames().count(name) > 1) {
            return usageError(QStringLiteral("the option '%1' is given more than once").arg(name),
                              helpCommand);
        }
    }
    return std::nullopt;
}

QCommandLineOption delimiterOption() {
    return {QStringLiteral("delimiter"),
            QStringLiteral("With --csv: the field delimiter, ',', ';', 'tab' or '|' (default: told "
                           "from the header; the output uses the same)."),
            QStringLiteral("NAME")};
}

QCommandLineOption localeOption() {
    return {QStringLiteral("locale"),
            QStringLiteral("Read and write numbers and money as locale NAME does (C: the US "
                           "reference), whatever the environment says."),
            QStringLiteral("NAME")};
}

std::optional<ExitStatus> readDelimiter(const QCommandLineParser& parser,
                                        const QCommandLineOption& option,
                                        std::string_view helpCommand,
                                        std::optional<char>& delimiter) {
    delimiter.reset();
    if (!parser.isSet(option)) {
        return std::nullopt;
    }
    const QString name = parser.value(option);
    delimiter = delimiterNamed(name.toStdString());
    if (!delimiter) {
        return usageError(
            QStringLiteral("unknown delimiter '%1': use ',', ';', 'tab' or '|'").arg(name),
            helpCommand);
    }
    return std::nullopt;
}

std::optional<ExitStatus> readRegionalSettings(const QCommandLineParser& parser,
                                               const QCommandLineOption& option,
                                               std::string_view helpCommand,
                                               RegionalSettings& settings) {
    if (!parser.isSet(option)) {
        settings = userRegionalSettings();
        return std::nullopt;
    }
    const QString name = parser.value(option);
    const std::optional<RegionalSettings> named = regionalSettingsNamed(name);
    if (!named) {
        return usageError(QStringLiteral("unknown locale '%1'").arg(name), helpCommand);
    }
    settings = *named;
    return std::nullopt;
}

QCommandLineOption jobsOption() {
    return {QStringLiteral("jobs"),
            QStringLiteral("With --csv: compute the rows on N threads (default: the cores this "
                           "process may use). The output is the same for any N; 1 starts no "
                           "thread."),
            QStringLiteral("N")};
}

std::optional<ExitStatus> readJobCount(const QCommandLineParser& parser,
                                       const QCommandLineOption& jobs, std::string_view helpCommand,
                                       unsigned& count) {
    if (!parser.isSet(jobs)) {
        count = availableCores();
        return std::nullopt;
    }
    const QString text = parser.value(jobs);
    const std::optional<unsigned> parsed = parseJobCount(text.toStdString());
    if (!parsed) {
        return usageError(QStringLiteral("--jobs takes a number of threads from 1 to %1, not '%2'")
                              .arg(maxJobs)
                              .arg(text),
                          helpCommand);
    }
    count = *parsed;
    return std::nullopt;
}

} // namespace veltrane
