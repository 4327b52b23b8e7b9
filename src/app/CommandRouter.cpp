#include "CommandRouter.h"

#include "AppServices.h"
#include "InstanceClient.h"
#include "cli/HistoryCommandLine.h"
#include "history/ClipStore.h"
#include "overview/OverviewPanelController.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/SettingsWindowController.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

// Standard input up to the size the running Velloq accepts; none when it
// holds more.
std::optional<QByteArray> readStandardInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes;
    while (bytes.size() <= InstanceServer::maximumInputBytes) {
        const QByteArray chunk = input.read(1024 * 1024);
        if (chunk.isEmpty())
            return bytes;
        bytes += chunk;
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

bool CommandRouter::isApplicationLaunch(const QStringList& arguments) {
    return arguments.isEmpty() || arguments.first().startsWith(u'-');
}

int CommandRouter::runCommand(const QStringList& arguments) {
    InstanceServer::Request request{
        arguments, {}, QDir::currentPath(), qEnvironmentVariable("XDG_ACTIVATION_TOKEN")};
    if (HistoryCommandLine::readsStandardInput(arguments)) {
        const std::optional<QByteArray> input = readStandardInput();
        if (!input) {
            QTextStream(stderr) << "velloq: standard input is larger than "
                                << InstanceServer::maximumInputBytes / (1024 * 1024)
                                << " MB; nothing was done\n";
            return 1;
        }
        request.input = *input;
    }
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
