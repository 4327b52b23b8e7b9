#include "CommandRouter.h"

#include "AppServices.h"
#include "cli/HistoryCommandLine.h"
#include "history/ClipStore.h"
#include "launch/CommandSyntax.h"
#include "launch/HistoryFolder.h"
#include "launch/InstanceClient.h"
#include "overview/OverviewPanelController.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/SettingsWindowController.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTextStream>
#include <QThread>

namespace {

// How long a command waits for a Velloq that has claimed its history but does
// not answer yet: it starts in well under a second, also on a slow machine.
constexpr int startingInstanceWaitMs = 10000;

// The running Velloq's reply once it answers, while it holds the history's
// lock; none as soon as nobody holds the lock. A command asks a Velloq that
// is still starting rather than read the files behind its back, so that a
// copy made once the command has answered is always recorded.
std::optional<InstanceServer::Reply>
replyOfStartingInstance(const InstanceServer::Request& request) {
    const QString directory = HistoryFolder::of(request.arguments);
    if (!QFileInfo(directory).isDir())
        return std::nullopt;
    QLockFile lock(HistoryFolder::lockPath(directory));
    lock.setStaleLockTime(0);
    const QDeadlineTimer deadline(startingInstanceWaitMs);
    while (!deadline.hasExpired()) {
        if (lock.tryLock(0)) {
            lock.unlock();
            return std::nullopt;
        }
        if (!HistoryCommandLine::lockHolder(lock))
            return std::nullopt;
        QThread::msleep(10);
        if (auto reply = InstanceClient::send(request))
            return reply;
    }
    return std::nullopt;
}

void connectToServices(HistoryCommandLine& commandLine, AppServices* services) {
    commandLine.runningStore = &services->store();
    commandLine.copyItem = [services](const ClipItem& item) {
        services->pasteService().copy(item.content);
    };
    commandLine.pasteItem = [services](const ClipItem& item) {
        services->pasteService().paste(item);
    };
    commandLine.windowAction = [services](HistoryCommandLine::WindowAction action) {
        switch (action) {
        case HistoryCommandLine::WindowAction::showOverlay:
            services->overview().show();
            return;
        case HistoryCommandLine::WindowAction::toggleOverlay:
            services->overview().toggle();
            return;
        case HistoryCommandLine::WindowAction::showSettings:
            services->settings().show();
            return;
        case HistoryCommandLine::WindowAction::showMenu:
            if (services->showMenu)
                services->showMenu();
            return;
        }
    };
}

} // namespace

int CommandRouter::runCommand(const QStringList& arguments) {
    InstanceServer::Request request{
        arguments, {}, QDir::currentPath(), qEnvironmentVariable("XDG_ACTIVATION_TOKEN")};
    if (CommandSyntax::readsStandardInput(arguments)) {
        const std::optional<QByteArray> input = InstanceClient::readStandardInput();
        if (!input) {
            QTextStream(stderr) << "velloq: standard input is larger than "
                                << InstanceServer::maximumInputBytes / (1024 * 1024)
                                << " MB; nothing was done\n";
            return 1;
        }
        request.input = *input;
    }
    auto reply = InstanceClient::send(request);
    if (!reply)
        reply = replyOfStartingInstance(request);
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

InstanceServer::Reply CommandRouter::runHistoryCommand(const InstanceServer::Request& request,
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
    commandLine.maximumClipBytes = Preferences::maximumClipBytes(Defaults::standard());
    commandLine.historyLimit = Preferences::currentHistoryLimit(Defaults::standard());
    if (!request.workingDirectory.isEmpty())
        commandLine.workingDirectory = request.workingDirectory;
    if (services)
        connectToServices(commandLine, services);
    const int code = commandLine.run(request.arguments);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}
