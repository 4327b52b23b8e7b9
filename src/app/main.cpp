#include "AppServices.h"
#include "Appearance.h"
#include "Defaults.h"
#include "InstanceClient.h"
#include "InstanceServer.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/MenuTracker.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "Preferences.h"
#include "SignalQuitter.h"
#include "TrayMenu.h"
#include "cli/HistoryCommandLine.h"
#include "history/ClipStore.h"
#include "history/PrivateFiles.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewPanel.h"
#include "overview/OverviewPanelController.h"
#include "overview/OverviewView.h"
#include "platform/x11/GeneralPasteboard.h"
#include "platform/x11/VirtualKeyCodes.h"
#include "platform/x11/X11ClipboardWriter.h"
#include "platform/x11/X11Compositing.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11KeyRepeat.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11PasteTarget.h"
#include "platform/x11/X11Workspace.h"
#include "platform/xdg/DesktopEntries.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLockFile>
#include <QPointer>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <qguiapplication_platform.h>

#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAllStandardInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return {};
    return input.readAll();
}

bool isApplicationLaunch(const QStringList& arguments) {
    return arguments.isEmpty() || arguments.first().startsWith(u'-');
}

// Runs a history command in this process, on `store` when it is the running
// Velloq's, else on the files.
InstanceServer::Reply runHistoryCommand(const InstanceServer::Request& request,
                                        AppServices* services) {
    QByteArray out;
    QByteArray err;
    QBuffer outBuffer(&out);
    QBuffer errBuffer(&err);
    outBuffer.open(QIODevice::WriteOnly);
    errBuffer.open(QIODevice::WriteOnly);
    QTextStream outStream(&outBuffer);
    QTextStream errStream(&errBuffer);
    HistoryCommandLine commandLine(outStream, errStream);
    commandLine.readStandardInput = [&request] { return request.input; };
    if (!request.workingDirectory.isEmpty())
        commandLine.workingDirectory = request.workingDirectory;
    if (services) {
        commandLine.runningStore = &services->store();
        commandLine.copyItem = [services](const ClipItem& item) {
            services->pasteService().copy(item.content);
        };
        commandLine.pasteItem = [services](const ClipItem& item) {
            services->pasteService().paste(item);
        };
        commandLine.overlayAction = [services](HistoryCommandLine::OverlayAction action) {
            if (action == HistoryCommandLine::OverlayAction::show)
                services->overview().show();
            else
                services->overview().toggle();
        };
    }
    const int code = commandLine.run(request.arguments);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

int runCommand(const QStringList& arguments) {
    InstanceServer::Request request{arguments, {}, QDir::currentPath()};
    if (HistoryCommandLine::readsStandardInput(arguments))
        request.input = readAllStandardInput();
    auto reply = InstanceClient::send(request);
    if (!reply || reply->code == HistoryCommandLine::OtherHistory)
        reply = runHistoryCommand(request, nullptr);
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    out.write(reply->out);
    QFile err;
    err.open(stderr, QIODevice::WriteOnly);
    err.write(reply->err);
    return reply->code;
}

QString historyDirectory(const QStringList& arguments) {
    const qsizetype option = arguments.indexOf(u"--data-dir"_s);
    if (option >= 0 && option + 1 < arguments.size())
        return QDir::cleanPath(QDir(arguments[option + 1]).absolutePath());
    return ClipDisk::defaultDirectory();
}

// The physical key of a key event as a virtual key code: X key codes are
// evdev codes plus 8.
std::optional<qint64> virtualKeyOfEvent(const QKeyEvent& event) {
    const quint32 keyCode = event.nativeScanCode();
    if (keyCode < xKeycodeOffset)
        return std::nullopt;
    return virtualKeyForEvdevCode(keyCode - xKeycodeOffset);
}

struct X11Desktop {
    std::shared_ptr<DesktopEntries> desktopEntries = std::make_shared<DesktopEntries>();
    X11Workspace workspace{desktopEntries};
    X11PasteTarget pasteTarget{workspace};
    X11ClipboardWriter writer;
    X11HotKeys hotKeys;
    X11KeyboardLayout keyboardLayout;
    KeyboardShortcuts::MenuTracker menuTracker{virtualKeyOfEvent};
};

// Global shortcuts on this desktop: grabs, the keyboard layout for their
// text, the key repeat for held shortcuts.
void installShortcutPlatform(X11Desktop& desktop, xcb_connection_t* connection) {
    KeyboardShortcuts::setHotKeyPlatform(&desktop.hotKeys);
    KeyboardShortcuts::setKeyToCharacter(
        [&desktop](qint64 keyCode) { return desktop.keyboardLayout.character(keyCode); });
    const auto timing = keyRepeatTiming(connection);
    if (timing)
        KeyboardShortcuts::setKeyRepeatTiming([timing] { return *timing; });
}

void removeShortcutPlatform() {
    KeyboardShortcuts::setHotKeyPlatform(nullptr);
    KeyboardShortcuts::setKeyToCharacter({});
}

std::optional<QRect> screenFrameUnderPointer() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? std::optional(screen->geometry()) : std::nullopt;
}

int defaultScreenNumber() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    const bool parsed = xcb_parse_display(nullptr, &host, &display, &screen);
    std::free(host);
    return parsed ? screen : 0;
}

std::unique_ptr<OverviewPanelSurface> makeOverviewPanel(OverviewModel& model,
                                                        OverviewPanelController& controller,
                                                        X11Desktop& desktop,
                                                        xcb_connection_t* connection) {
    auto panel =
        std::make_unique<OverviewPanel>(model, [connection, screen = defaultScreenNumber()] {
            return compositingManagerRuns(connection, screen);
        });
    OverviewView* view = panel->view();
    const std::shared_ptr<DesktopEntries> entries = desktop.desktopEntries;
    view->setApplicationLookup(
        [entries](const QString& id) { return entries->applicationIcon(id); },
        [entries](const QString& id) { return entries->applicationName(id); });
    Defaults& defaults = Defaults::standard();
    view->setShowsKeyHints(Preferences::showsKeyHints(defaults));
    QObject::connect(&defaults, &Defaults::changed, view, [view, &defaults] {
        view->setShowsKeyHints(Preferences::showsKeyHints(defaults));
    });
    view->setDragEndedHandler([controller = QPointer(&controller)] {
        if (controller)
            controller->dragEnded();
    });
    QObject::connect(&desktop.workspace, &X11Workspace::applicationActivated, panel.get(),
                     [window = panel.get()] { window->otherWindowActivated(); });
    // While the overlay holds the keyboard the shortcut's grab cannot fire;
    // its keys reach the overlay instead and are matched there.
    QObject::connect(panel.get(), &OverviewPanel::keyboardHeldChanged, &desktop.menuTracker,
                     [&desktop, window = panel.get()](bool holds) {
                         desktop.menuTracker.setHoldsKeyboard(window, holds);
                     });
    return panel;
}

xcb_connection_t* qtConnection(QApplication& app) {
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

AppServices::Platform x11Platform(QApplication& app, X11Desktop& desktop, Appearance& appearance) {
    xcb_connection_t* qtConnection = ::qtConnection(app);
    X11Workspace& workspace = desktop.workspace;
    AppServices::Platform platform;
    platform.pasteboard = std::make_shared<GeneralPasteboard>(app.clipboard(), qtConnection);
    platform.frontmostBundleID = [&workspace] { return workspace.frontmostBundleID(); };
    platform.frontmostPID = [&workspace] { return workspace.frontmostPID(); };
    platform.observeActivations = [&workspace](auto handler) {
        QObject::connect(&workspace, &X11Workspace::applicationActivated, &workspace, handler);
    };
    platform.write = [&desktop](const ClipContent& content) { desktop.writer.write(content); };
    platform.hasAccess = [&desktop] { return desktop.pasteTarget.hasAccess(); };
    platform.requestAccess = [] {}; // nothing to ask for on X11
    platform.sendCommandV = [&desktop](qint32 pid) { desktop.pasteTarget.sendCommandV(pid); };
    platform.applyAppearance = [&appearance] {
        appearance.apply(currentAppearance(Defaults::standard()));
    };
    platform.makeOverviewPanel = [&desktop, qtConnection](OverviewModel& model,
                                                          OverviewPanelController& controller) {
        return makeOverviewPanel(model, controller, desktop, qtConnection);
    };
    platform.screenFrameUnderPointer = screenFrameUnderPointer;
    return platform;
}

const QString showOverviewArgument = u"-ShowOverview"_s;

// The overlay's window, its first screen captures and its cards are slow the
// first time in a process; preparing them after start-up keeps the first
// showing quick.
void prepareOverlay(AppServices& services) {
    services.overview().preparePanel();
    if (auto* panel = dynamic_cast<OverviewPanel*>(services.overview().panel()))
        panel->warmUp();
}

// Qt hands our clipboard content to a clipboard manager at exit and waits up
// to five seconds for it; the history is saved after every change, so a
// slow manager must not hold the exit longer than this.
void boundTheExit() {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::_exit(0);
    }).detach();
}

int runApplication(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QTextStream(stderr) << "velloq: no X display ($DISPLAY is not set); the history "
                               "commands work without one (velloq --help)\n";
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Velloq"_s);
    QApplication::setApplicationVersion(QStringLiteral(VELLOQ_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    const QString directory = historyDirectory(QApplication::arguments());
    createPrivateFolder(directory);
    QLockFile lock(directory + "/.lock"_L1);
    lock.setStaleLockTime(0);
    InstanceServer server;
    if (!lock.tryLock(0) || !server.listen()) {
        QTextStream(stderr) << "velloq: Velloq is already running\n";
        return 0;
    }
    Appearance appearance;
    X11Desktop desktop;
    installShortcutPlatform(desktop, qtConnection(app));
    const auto shortcutsGoFirst = qScopeGuard(removeShortcutPlatform);
    AppServices services(Defaults::standard(), std::make_unique<ClipStore>(directory),
                         x11Platform(app, desktop, appearance));
    appearance.apply(currentAppearance(Defaults::standard()));
    server.onRequest = [&services](const InstanceServer::Request& request) {
        if (isApplicationLaunch(request.arguments)) {
            if (request.arguments.contains(showOverviewArgument))
                services.overview().show();
            return InstanceServer::Reply{};
        }
        return runHistoryCommand(request, &services);
    };
    TrayMenu tray;
    if (!tray.isShown())
        QTextStream(stderr) << "velloq: this desktop has no system tray; Velloq runs without an "
                               "icon. 'velloq --help' lists the commands that reach it; Ctrl-C "
                               "or 'pkill velloq' quits it.\n";
    SignalQuitter quitter;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &boundTheExit);
    if (QApplication::arguments().contains(showOverviewArgument))
        services.overview().show();
    else
        QTimer::singleShot(0, &services, [&services] { prepareOverlay(services); });
    QTextStream(stderr) << "Velloq is watching the clipboard; history in " << directory << '\n';
    return QApplication::exec();
}

bool isHelpOrVersion(const QStringList& arguments) {
    if (arguments.isEmpty())
        return false;
    const QString& first = arguments.first();
    if (first == "--help"_L1 || first == "-h"_L1 || first == "help"_L1) {
        QTextStream(stdout) << HistoryCommandLine::usage();
        return true;
    }
    if (first == "--version"_L1) {
        QTextStream(stdout) << "velloq " << VELLOQ_VERSION << '\n';
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (isHelpOrVersion(arguments))
        return 0;
    if (!isApplicationLaunch(arguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(u"Velloq"_s);
        return runCommand(arguments);
    }
    {
        QCoreApplication probe(argc, argv);
        // A second launch tells the running Velloq and leaves it at that.
        if (InstanceClient::send({arguments, {}, QDir::currentPath()}, 5000)) {
            QTextStream(stderr) << "velloq: Velloq is already running\n";
            return 0;
        }
    }
    return runApplication(argc, argv);
}
