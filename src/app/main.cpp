#include "cli/HistoryCommandLine.h"
#include "history/ClipStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

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

int describeHistory() {
    const ClipStore store;
    QTextStream out(stdout);
    out << "Velloq " << QCoreApplication::applicationVersion() << '\n'
        << "History folder: " << store.directory() << '\n'
        << "Entries: " << store.items().size() << '\n'
        << "The desktop application is not built yet; use the commands below.\n\n"
        << HistoryCommandLine::usage();
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Velloq"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLOQ_VERSION));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && HistoryCommandLine::isSubCommand(arguments.first()))
        return runCommandLine(arguments);
    if (!arguments.isEmpty() && (arguments.first() == "--help"_L1 || arguments.first() == "-h"_L1 ||
                                 arguments.first() == "help"_L1)) {
        QTextStream(stdout) << HistoryCommandLine::usage();
        return 0;
    }
    if (!arguments.isEmpty() && arguments.first() == "--version"_L1) {
        QTextStream(stdout) << "velloq " << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    if (!arguments.isEmpty() && !arguments.first().startsWith(u'-'))
        return runCommandLine(arguments);
    return describeHistory();
}
