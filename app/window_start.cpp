#include "app/window_start.h"

#include "forms/main/main_form.h"
#include "identity/identity.h"
#include "locale/locale_settings.h"
#include "resources/resource_paths.h"
#include "runtime/qt_runtime.h"

#include <QApplication>
#include <QIcon>

namespace veltrane {

int runWindow(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(identity::internalName));
    QApplication::setApplicationVersion(QString::fromStdString(identity::versionText()));
    QApplication::setOrganizationName(QString::fromUtf8(identity::companyName));
    // Ties the running window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(identity::applicationId));
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(resources::iconPath)));

    // Read once, here: nothing else in the window looks at the locale.
    const RegionalSettings settings = userRegionalSettings();

    QtRuntime runtime;
    MainForm window(runtime, settings);
    window.show();
    // Ends with status 0 when the main window closes or the Exit command ends the loop.
    return QApplication::exec();
}

} // namespace veltrane
