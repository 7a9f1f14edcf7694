#include "cli/command_support.h"

#include "cli/decoded_input.h"
#include "cli/job_count.h"
#include "cli/messages.h"
#include "csv/dialect.h"
#include "locale/locale_settings.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string>

namespace veltrane {

ExitStatus usageError(std::ostream& err, const QString& text, std::string_view helpCommand) {
    printError(err, text.toStdString() + "\nTry '" + std::string{helpCommand} + " --help'.");
    return ExitStatus::usage;
}

QString cutArgument(const QString& argument) {
    return QString::fromStdString(quotedPart(argument.toStdString()));
}

bool writeAll(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
}

ExitStatus writeOrReport(std::ostream& out, std::ostream& err, std::string_view text,
                         std::string_view where) {
    if (!writeAll(out, text)) {
        printError(err, writeFailure(where, errno));
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
                                                const QStringList& repeatable, std::ostream& err,
                                                std::string_view helpCommand) {
    for (const QString& name : parser.optionNames()) {
        if (!repeatable.contains(name) && parser.optionNames().count(name) > 1) {
            return usageError(err,
                              QStringLiteral("the option '%1' is given more than once").arg(name),
                              helpCommand);
        }
    }
    return std::nullopt;
}

std::optional<ExitStatus> readDelimiter(const std::optional<QString>& name, std::ostream& err,
                                        std::string_view helpCommand,
                                        std::optional<char>& delimiter) {
    delimiter.reset();
    if (!name) {
        return std::nullopt;
    }
    delimiter = delimiterNamed(name->toStdString());
    if (!delimiter) {
        return usageError(err,
                          QStringLiteral("unknown delimiter '%1': use ',', ';', 'tab' or '|'")
                              .arg(cutArgument(*name)),
                          helpCommand);
    }
    return std::nullopt;
}

std::optional<ExitStatus> readEncoding(const std::optional<QString>& name, std::ostream& err,
                                       std::string_view helpCommand, std::string& encoding) {
    encoding.clear();
    if (!name) {
        return std::nullopt;
    }
    if (!DecodedInput::knows(name->toStdString())) {
        return usageError(err,
                          QStringLiteral("unknown encoding '%1': name one that iconv knows, such "
                                         "as windows-1252 or iso-8859-15 ('iconv --list' lists "
                                         "them)")
                              .arg(*name),
                          helpCommand);
    }
    encoding = name->toStdString();
    return std::nullopt;
}

std::optional<ExitStatus> readRegionalSettings(const std::optional<QString>& name,
                                               std::ostream& err, std::string_view helpCommand,
                                               RegionalSettings& settings) {
    if (!name) {
        settings = userRegionalSettings();
        return std::nullopt;
    }
    const std::optional<RegionalSettings> named = regionalSettingsNamed(*name);
    if (!named) {
        return usageError(err, QStringLiteral("unknown locale '%1'").arg(cutArgument(*name)),
                          helpCommand);
    }
    settings = *named;
    return std::nullopt;
}

std::optional<ExitStatus> readColumnMappings(const QStringList& values,
                                             const std::vector<std::string>& keys,
                                             std::ostream& err, std::string_view helpCommand,
                                             std::vector<ColumnMapping>& mappings) {
    mappings.clear();
    for (const QString& value : values) {
        const qsizetype equals = value.indexOf(u'=');
        const std::string key = comparableColumnName(value.left(equals).toStdString());
        const std::string header = value.mid(equals + 1).toStdString();
        if (equals < 0 || key.empty() || isBlankField(header)) {
            return usageError(err,
                              QStringLiteral("--column takes KEY=HEADER (strike_price=Strike), "
                                             "not '%1'")
                                  .arg(value),
                              helpCommand);
        }
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            QStringList known;
            for (const std::string& name : keys) {
                known.append(QString::fromStdString(name));
            }
            return usageError(err,
                              QStringLiteral("--column '%1': no input is named '%2'; the keys are "
                                             "%3")
                                  .arg(value, value.left(equals), known.join(QStringLiteral(", "))),
                              helpCommand);
        }
        mappings.push_back({key, header});
    }
    return std::nullopt;
}

std::optional<ExitStatus> readJobCount(const std::optional<QString>& text, std::ostream& err,
                                       std::string_view helpCommand, unsigned& count) {
    if (!text) {
        count = availableCores();
        return std::nullopt;
    }
    const std::optional<unsigned> parsed = parseJobCount(text->toStdString());
    if (!parsed) {
        return usageError(err,
                          QStringLiteral("--jobs takes a number of threads from 1 to %1, not '%2'")
                              .arg(maxJobs)
                              .arg(cutArgument(*text)),
                          helpCommand);
    }
    count = *parsed;
    return std::nullopt;
}

std::chrono::year_month_day localToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return {};
    }
    return std::chrono::year{local.tm_year + 1900} /
           std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
           std::chrono::day{static_cast<unsigned>(local.tm_mday)};
}

} // namespace veltrane
