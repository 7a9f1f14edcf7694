#include "app/window_start.h"

#include "cli/chain_screen.h"
#include "cli/exit_status.h"
#include "forms/main/main_form.h"
#include "identity/identity.h"
#include "locale/locale_settings.h"
#include "resources/resource_paths.h"
#include "runtime/qt_runtime.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace veltrane {

namespace {

// The options QGuiApplication and QApplication take from the command line, with a value...
constexpr std::string_view valuedOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "name",   "visual"};
// ...and those that take it after "=" as well ("-style=fusion"), or only so.
constexpr std::string_view joinedOptions[] = {"style", "stylesheet", "qmljsdebugger"};
// ...and without one.
constexpr std::string_view flagOptions[] = {"reverse", "widgetcount", "nograb",
                                            "dograb",  "sync",        "testability"};

// The option's name without its dashes ("-style", "--style", "-style=fusion": "style"), or
// empty for what is no option.
std::string_view optionName(std::string_view argument, bool& hasValue) {
    if (argument.size() < 2 || argument.front() != '-') {
        return {};
    }
    argument.remove_prefix(argument[1] == '-' ? 2 : 1);
    const std::size_t equals = argument.find('=');
    hasValue = equals != std::string_view::npos;
    return argument.substr(0, equals);
}

template <std::size_t N>
bool listed(const std::string_view (&names)[N], std::string_view name) {
    for (const std::string_view known : names) {
        if (known == name) {
            return true;
        }
    }
    return false;
}

// Platforms that draw without any display server.
bool needsNoDisplay(std::string_view platform) {
    for (const std::string_view name :
         {"offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs", "vkkhrdisplay"}) {
        if (platform.substr(0, platform.find(':')) == name) {
            return true;
        }
    }
    return false;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string{} : std::string{value};
}

// The platform and display the command line names, if it names them.
struct WindowArguments {
    std::string platform;
    bool display = false;
};

WindowArguments windowArguments(int argc, char* argv[]) {
    WindowArguments found;
    for (int i = 1; i < argc; ++i) {
        bool hasValue = false;
        const std::string_view name = optionName(argv[i], hasValue);
        if (name == "display") {
            found.display = true;
        }
        if (name == "platform" && i + 1 < argc) {
            found.platform = argv[i + 1];
        }
    }
    return found;
}

// Nothing when a display can be had; otherwise why not.
std::string missingDisplay(int argc, char* argv[]) {
    const WindowArguments arguments = windowArguments(argc, argv);
    const std::string platform =
        arguments.platform.empty() ? environment("QT_QPA_PLATFORM") : arguments.platform;
    if (needsNoDisplay(platform) || arguments.display) {
        return {};
    }
    if (platform.empty() || platform.starts_with("xcb")) {
        if (environment("DISPLAY").empty() &&
            (!platform.empty() || environment("WAYLAND_DISPLAY").empty())) {
            return "DISPLAY is not set";
        }
    }
    return {};
}

void reportNoDisplay(std::string_view why) {
    std::string line = "pravik: no display to open the window on (";
    line.append(why).append("); 'pravik calc' calculates without a window, or run the window on "
                            "a virtual X server: xvfb-run pravik (Xvfb)\n");
    std::fputs(line.c_str(), stderr);
}

// While the window system starts, its complaints are held back and a fatal one ends the
// program with the one line above rather than an abort and a core file.
QtMessageHandler previousHandler = nullptr;

void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        return;
    }
    (void)context;
    const std::string display = environment("DISPLAY");
    reportNoDisplay(display.empty() ? message.section(u'\n', 0, 0).toStdString()
                                    : "the display '" + display + "' cannot be reached");
    std::fflush(stderr);
    std::_Exit(toInt(ExitStatus::noDisplay));
}

} // namespace

bool opensWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        bool hasValue = false;
        const std::string_view name = optionName(argv[i], hasValue);
        if (hasValue ? listed(joinedOptions, name) : listed(flagOptions, name)) {
            continue;
        }
        if (hasValue || !listed(valuedOptions, name)) {
            return false;
        }
        if (++i >= argc) {
            return false; // a value missing: the command line says so
        }
    }
    return true;
}

int runWindow(int argc, char* argv[]) {
    if (const std::string why = missingDisplay(argc, argv); !why.empty()) {
        reportNoDisplay(why);
        return toInt(ExitStatus::noDisplay);
    }
    // The names are set before the application exists, so that everything it starts (the
    // platform theme, the accessibility bridge) registers the program under one name.
    QApplication::setApplicationName(QString::fromUtf8(identity::internalName));
    QApplication::setApplicationVersion(QString::fromStdString(identity::versionText()));
    QApplication::setOrganizationName(QString::fromUtf8(identity::companyName));
    // Ties the running window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(identity::applicationId));

    previousHandler = qInstallMessageHandler(startupMessages);
    QApplication application(argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(resources::iconPath)));
    // The program ends when the main window closes or Exit is chosen, both through the runtime;
    // the toolkit's count of open windows, which a dialog's state can sway, has no say.
    QApplication::setQuitOnLastWindowClosed(false);

    // Read once, here: nothing else in the window looks at the locale.
    const RegionalSettings settings = userRegionalSettings();

    QtRuntime runtime;
    MainForm window(runtime, settings, ChainScreener{&screenChainFile, &readQuotes});
    window.show();
    // Ends with status 0 when the main window closes or the Exit command ends the loop.
    return QApplication::exec();
}

} // namespace veltrane
