#include "cli/command_line.h"

#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/messages.h"
#include "identity/identity.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace veltrane {

namespace {

// The usage of `pravik` itself: a line for each registered command among its own lines.
std::string generalHelp() {
    std::vector<std::pair<std::string, std::string>> lines{
        {"pravik", "open the calculator window"}};
    std::string names;
    std::string helps;
    const std::vector<const Command*>& commands = registeredCommands();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string name{commands[i]->name()};
        lines.emplace_back("pravik " + name + " [OPTIONS]", std::string{commands[i]->summary()});
        const char* separator = i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ";
        names.append(separator).append(name);
        helps.append(separator).append("'pravik " + name + " --help'");
    }
    lines.emplace_back("pravik help [COMMAND]", "show this help, or the help of " + names);
    lines.emplace_back("pravik --help", "show this help");
    lines.emplace_back("pravik --version", "show the version on one line");
    lines.emplace_back("pravik --version-record", "show the executable's whole version record");
    std::size_t width = 0;
    for (const auto& line : lines) {
        width = std::max(width, line.first.size());
    }
    std::string text;
    for (const auto& [usage, what] : lines) {
        text.append(text.empty() ? "Usage: " : "       ")
            .append(usage)
            .append(width + 1 - usage.size(), ' ')
            .append(what)
            .push_back('\n');
    }
    return text + "\nRun " + helps + " for their options.\n";
}

std::string versionLine() {
    return std::string{identity::title} + " " + identity::versionText() + " (version " +
           identity::versionRecordText() + ")\n";
}

ExitStatus runTopLevel(const QStringList& arguments, CommandStreams streams) {
    QCommandLineParser parser;
    // "-platform" is one word, as the toolkit's options are, not eight letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version on one line."));
    const QCommandLineOption record(QStringLiteral("version-record"),
                                    QStringLiteral("Show the executable's version record."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(record);
    constexpr std::string_view helpCommand = "pravik";
    if (!parser.parse(arguments)) {
        return usageError(streams.err, parser.errorText(), helpCommand);
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(help) || positional == QStringList{QStringLiteral("help")}) {
        return writeOrReport(streams.out, streams.err, generalHelp());
    }
    if (parser.isSet(version)) {
        return writeOrReport(streams.out, streams.err, versionLine());
    }
    if (parser.isSet(record)) {
        return writeOrReport(streams.out, streams.err,
                             versionLine() + "\nVersion record of the executable:\n" +
                                 identity::versionRecordReport());
    }
    const bool asksForHelp = positional.size() > 1 && positional.front() == QStringLiteral("help");
    if (asksForHelp && positional.size() == 2) {
        if (const Command* command = commandNamed(positional.back().toStdString())) {
            return writeOrReport(streams.out, streams.err, commandHelp(*command));
        }
    }
    if (!positional.isEmpty()) {
        const QString unknown = asksForHelp ? positional.at(1) : positional.front();
        return usageError(streams.err,
                          QStringLiteral("unknown command '%1'").arg(cutArgument(unknown)),
                          helpCommand);
    }
    return usageError(streams.err, QStringLiteral("nothing to do"), helpCommand);
}

// A standard stream the program was started without keeps its number, held by a descriptor that
// cannot be used that way: otherwise the next file opened (Qt's own, or the CSV input) would take
// it, and the results would go into that file or fail with its reason. Reading or writing the
// stream then fails as on a closed one, with EBADF.
void holdClosedStandardStreams() {
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // Lower numbers are open, so the lowest free one is the stream's own.
        const int held =
            open("/dev/null", (stream == STDIN_FILENO ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (held >= 0 && held != stream) {
            dup2(held, stream);
            close(held);
        }
    }
}

std::unique_ptr<QCoreApplication> application(int& argc, char* argv[]) {
    const Command* command = argc > 1 ? commandNamed(argv[1]) : nullptr;
    const std::vector<std::string_view> arguments(argv + std::min(argc, 2), argv + argc);
    if (command == nullptr || !command->draws(arguments)) {
        // No display is needed or opened on this path: a core application only.
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    // Fonts need Qt Gui; the offscreen platform draws without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

ExitStatus runPravikCommand(const QStringList& arguments, CommandStreams streams) {
    if (arguments.size() > 1) {
        if (const Command* command = commandNamed(arguments.at(1).toStdString())) {
            QStringList commandLine = arguments;
            commandLine.removeAt(1);
            return runCommand(*command, commandLine, streams);
        }
    }
    return runTopLevel(arguments, streams);
}

int runCommandLine(int argc, char* argv[]) {
    holdClosedStandardStreams();
    // Qt's own messages are the runtime's business (runtime/qt_messages.h, installed by main).
    const std::unique_ptr<QCoreApplication> app = application(argc, argv);
    // The streams alone carry the program's text, so they need not keep in step with C's.
    std::ios::sync_with_stdio(false);
    return toInt(runPravikCommand(QCoreApplication::arguments(), {std::cin, std::cout, std::cerr}));
}

} // namespace veltrane
