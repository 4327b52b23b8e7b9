#include "AppServices.h"
#include "Defaults.h"
#include "SignalQuitter.h"
#include "cli/HistoryCommandLine.h"
#include "history/ClipStore.h"
#include "history/PrivateFiles.h"
#include "platform/x11/GeneralPasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "platform/xdg/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLockFile>
#include <QTextStream>
#include <qguiapplication_platform.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAllStandardInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return {};
    return input.readAll();
}

int runCommandLine(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    HistoryCommandLine commandLine(out, err);
    commandLine.readStandardInput = readAllStandardInput;
    return commandLine.run(arguments);
}

QString historyDirectory(const QStringList& arguments) {
    const qsizetype option = arguments.indexOf(u"--data-dir"_s);
    if (option >= 0 && option + 1 < arguments.size())
        return QDir::cleanPath(QDir(arguments[option + 1]).absolutePath());
    return ClipDisk::defaultDirectory();
}

AppServices::Platform x11Platform(QGuiApplication& app, X11Workspace& workspace) {
    xcb_connection_t* qtConnection = nullptr;
    if (auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>())
        qtConnection = x11->connection();
    AppServices::Platform platform;
    platform.pasteboard = std::make_shared<GeneralPasteboard>(app.clipboard(), qtConnection);
    platform.frontmostBundleID = [&workspace] { return workspace.frontmostBundleID(); };
    platform.frontmostPID = [&workspace] { return workspace.frontmostPID(); };
    platform.observeActivations = [&workspace](auto handler) {
        QObject::connect(&workspace, &X11Workspace::applicationActivated, &workspace, handler);
    };
    return platform;
}

int runApplication(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QTextStream(stderr) << "velloq: no X display ($DISPLAY is not set); the history "
                               "commands work without one (velloq --help)\n";
        return 1;
    }
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(u"Velloq"_s);
    QGuiApplication::setApplicationVersion(QStringLiteral(VELLOQ_VERSION));
    const QString directory = historyDirectory(QGuiApplication::arguments());
    createPrivateFolder(directory);
    // While Velloq runs it is the history's only writer.
    QLockFile lock(directory + "/.lock"_L1);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        qint64 pid = 0;
        lock.getLockInfo(&pid, nullptr, nullptr);
        QTextStream(stderr) << "velloq: Velloq is already running (process " << pid << ")\n";
        return 0;
    }
    X11Workspace workspace(std::make_shared<DesktopEntries>());
    AppServices services(Defaults::standard(), std::make_unique<ClipStore>(directory),
                         x11Platform(app, workspace));
    SignalQuitter quitter;
    QTextStream(stderr) << "Velloq is watching the clipboard; history in " << directory << '\n';
    return QGuiApplication::exec();
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
    if (arguments.isEmpty() || arguments.first().startsWith(u'-'))
        return runApplication(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Velloq"_s);
    return runCommandLine(QCoreApplication::arguments().mid(1));
}
