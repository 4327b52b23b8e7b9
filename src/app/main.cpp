// The application, which the `velloq` command becomes: history commands go
// to the running Velloq (or run on the files), anything else starts Velloq
// on the desktop's platform.

#include "AppDelegate.h"
#include "CommandRouter.h"
#include "HeapTrimmer.h"
#include "HistoryClaim.h"
#include "launch/CommandSyntax.h"
#include "launch/InstanceClient.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Platform.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Qt aborts when it finds no display to connect to; say so plainly instead.
bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// Unless the user chose Qt's platform, a Wayland session gets the Wayland
// one.
bool isWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int runOnDesktop(int argc, char* argv[], const QString& historyDirectory) {
    HeapTrimmer::keepLargeBlocksApart();
    // The windows' class names the application's id, so that docks and task
    // switchers find its desktop entry and icon.
    std::vector<char*> withName(argv, argv + argc);
    char nameOption[] = "-name";
    char applicationId[] = VELLOQ_APP_ID;
    withName.insert(withName.begin() + std::min(argc, 1), {nameOption, applicationId});
    // In a Wayland session the clipboard is watched as a Wayland client even
    // where XWayland offers $DISPLAY too: through XWayland, Velloq would see
    // only the copies of X11 programs.
    char platformOption[] = "-platform";
    char waylandFirst[] = "wayland;xcb";
    if (isWaylandSession())
        withName.insert(withName.begin() + std::min(argc, 1), {platformOption, waylandFirst});
    int withNameCount = int(withName.size());
    withName.push_back(nullptr);
    QApplication app(withNameCount, withName.data());
    QGuiApplication::setDesktopFileName(QStringLiteral(VELLOQ_APP_ID));
    AppDelegate::nameApplication();
    const QString platform = QGuiApplication::platformName();
    if (platform == "xcb"_L1) {
        X11Platform x11(app);
        return AppDelegate::run(app, x11.platform(), historyDirectory);
    }
    if (platform == "wayland"_L1) {
        WaylandPlatform wayland;
        return AppDelegate::run(app, wayland.platform(), historyDirectory);
    }
    QTextStream(stderr) << "velloq: Velloq cannot run on the '" << platform
                        << "' platform yet; it needs an X11 or a Wayland session. The history "
                           "commands work anywhere "
                           "(velloq --help)\n";
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (CommandSyntax::isHelp(arguments)) {
        QTextStream(stdout) << CommandSyntax::usage();
        return 0;
    }
    if (CommandSyntax::isVersion(arguments)) {
        QTextStream(stdout) << "velloq " << VELLOQ_VERSION << '\n';
        return 0;
    }
    if (!CommandSyntax::isApplicationLaunch(arguments)) {
        QCoreApplication app(argc, argv);
        AppDelegate::nameApplication();
        return CommandRouter::runCommand(arguments);
    }
    // A second launch tells the running Velloq and leaves it at that.
    if (InstanceClient::send({arguments, {}, QDir::currentPath()}, 5000)) {
        QTextStream(stderr) << "velloq: Velloq is already running\n";
        return 0;
    }
    AppDelegate::nameApplication();
    const HistoryClaim claim(arguments);
    if (!claim.isHeld())
        return claim.exitCode();
    if (!hasDisplay()) {
        QTextStream(stderr) << "velloq: no display ($DISPLAY is not set); the history "
                               "commands work without one (velloq --help)\n";
        return 1;
    }
    return runOnDesktop(argc, argv, claim.directory());
}
