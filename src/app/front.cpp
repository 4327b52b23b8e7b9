// The `velloq` command as scripts and launchers run it: a history command
// goes to the running Velloq over its socket, with nothing loaded but Qt
// Core; anything else (the application's start, a command with no Velloq
// to answer it) becomes the application itself, in this same process.

#include "launch/CommandSyntax.h"
#include "launch/HistoryFolder.h"
#include "launch/InstanceClient.h"
#include "launch/LaunchLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The application: beside this program in the build, in the package's
// program folder once installed.
QString applicationPath() {
    const QString folder = QFileInfo(QFile::symLinkTarget(u"/proc/self/exe"_s)).absolutePath();
    const QString built = folder + u"/libexec/velloq"_s;
    if (QFileInfo(built).isExecutable())
        return built;
    return QDir::cleanPath(folder + u"/" VELLOQ_LIBEXEC_FROM_BIN "/velloq"_s);
}

int becomeApplication(char* argv[]) {
    const QByteArray path = QFile::encodeName(applicationPath());
    ::execv(path.constData(), argv);
    const int error = errno;
    LaunchLock::release();
    std::fprintf(stderr, "velloq: cannot start %s: %s\n", path.constData(), std::strerror(error));
    return 1;
}

bool writeAll(int descriptor, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno != EINTR)
            return false;
        written += qMax<ssize_t>(0, count);
    }
    return true;
}

// Puts input already read back as standard input, for the application.
bool restoreStandardInput(const QByteArray& input) {
    const int descriptor = ::memfd_create("velloq-input", MFD_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool restored = writeAll(descriptor, input) && ::lseek(descriptor, 0, SEEK_SET) == 0 &&
                          ::dup2(descriptor, STDIN_FILENO) == STDIN_FILENO;
    ::close(descriptor);
    return restored;
}

int launch(const QStringList& arguments, char* argv[]) {
    // A second launch tells the running Velloq and leaves it at that.
    if (InstanceClient::send({arguments, {}, QDir::currentPath()}, 5000)) {
        std::fputs("velloq: Velloq is already running\n", stderr);
        return 0;
    }
    LaunchLock::takeForApplication(HistoryFolder::of(arguments));
    return becomeApplication(argv);
}

int command(const QStringList& arguments, char* argv[]) {
    InstanceServer::Request request{
        arguments, {}, QDir::currentPath(), qEnvironmentVariable("XDG_ACTIVATION_TOKEN")};
    if (CommandSyntax::readsStandardInput(arguments)) {
        const std::optional<QByteArray> input = InstanceClient::readStandardInput();
        if (!input) {
            std::fprintf(stderr,
                         "velloq: standard input is larger than %lld MB; nothing was done\n",
                         InstanceServer::maximumInputBytes / (1024 * 1024));
            return 1;
        }
        request.input = *input;
    }
    const std::optional<InstanceServer::Reply> reply = InstanceClient::send(request);
    if (reply && reply->code != CommandSyntax::otherHistoryExitCode) {
        writeAll(STDOUT_FILENO, reply->out);
        writeAll(STDERR_FILENO, reply->err);
        return reply->code;
    }
    if (CommandSyntax::readsStandardInput(arguments) && !restoreStandardInput(request.input)) {
        std::fprintf(stderr, "velloq: cannot hand standard input on: %s\n", std::strerror(errno));
        return 1;
    }
    return becomeApplication(argv);
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (CommandSyntax::isHelp(arguments))
        return writeAll(STDOUT_FILENO, CommandSyntax::usage().toUtf8()) ? 0 : 1;
    if (CommandSyntax::isVersion(arguments))
        return writeAll(STDOUT_FILENO, "velloq " VELLOQ_VERSION "\n") ? 0 : 1;
    if (CommandSyntax::isApplicationLaunch(arguments))
        return launch(arguments, argv);
    return command(arguments, argv);
}
