#include "HistoryCommandLine.h"

#include "ClipListing.h"
#include "CommandLineCapture.h"
#include "history/ClipStore.h"
#include "history/PrivateFiles.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QLockFile>

using namespace Qt::StringLiterals;

namespace {

const QStringList readCommands{u"list"_s, u"search"_s};
const QStringList changeCommands{u"add"_s, u"pin"_s, u"unpin"_s, u"delete"_s, u"clear"_s};

const QCommandLineOption dataDirOption(u"data-dir"_s, u"Use another history folder."_s, u"DIR"_s);
const QCommandLineOption jsonOption(u"json"_s, u"Print records as JSON."_s);
const QCommandLineOption limitOption(u"limit"_s, u"Print at most N entries."_s, u"N"_s);
const QCommandLineOption linkOption(u"link"_s, u"Add a web link."_s, u"URL"_s);
const QCommandLineOption fileOption(u"file"_s, u"Add the files that follow."_s);
const QCommandLineOption imageOption(u"image"_s, u"Add an image."_s, u"FILE"_s);
const QCommandLineOption rtfOption(u"rtf"_s, u"Add rich text from an RTF file."_s, u"FILE"_s);
const QCommandLineOption plainOption(u"plain"_s, u"Plain form of the rich text."_s, u"TEXT"_s);

QList<QCommandLineOption> optionsFor(const QString& command) {
    if (command == "list"_L1)
        return {jsonOption, limitOption};
    if (command == "search"_L1)
        return {jsonOption};
    if (command == "add"_L1)
        return {linkOption, fileOption, imageOption, rtfOption, plainOption};
    return {};
}

qsizetype expectedPositionals(const QString& command) {
    if (command == "search"_L1 || command == "pin"_L1 || command == "unpin"_L1 ||
        command == "delete"_L1)
        return 1;
    return command == "add"_L1 ? -1 : 0;
}

} // namespace

HistoryCommandLine::HistoryCommandLine(QTextStream& out, QTextStream& err)
    : m_out(out), m_err(err) {
    now = [] { return QDateTime::currentMSecsSinceEpoch() / 1000.0; };
}

bool HistoryCommandLine::isSubCommand(const QString& word) {
    return readCommands.contains(word) || changeCommands.contains(word);
}

QString HistoryCommandLine::usage() {
    return uR"(Usage: velloq [COMMAND] [--data-dir DIR]

Without a command, Velloq starts. Commands work on the clipboard history:
  list [--json] [--limit N]   the whole history, newest first
  search QUERY [--json]       entries whose text contains QUERY
  add                         add text read from standard input
  add --link URL              add a web link
  add --file PATH...          add a list of files
  add --image FILE            add an image (stored as PNG)
  add --rtf FILE --plain TEXT add rich text with its plain form
  pin ID | unpin ID           pin or unpin an entry
  delete ID                   delete an entry
  clear                       delete every entry, pinned ones too

ID is an entry's id or a unique prefix of at least 8 characters.
Exit codes: 0 done, 1 failed, 2 bad arguments, 3 history busy.
)"_s;
}

int HistoryCommandLine::run(const QStringList& arguments) {
    if (arguments.isEmpty() || !isSubCommand(arguments.first()))
        return usageError(arguments.isEmpty() ? u"no command given"_s
                                              : u"unknown command '%1'"_s.arg(arguments.first()));
    const QString& command = arguments.first();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(dataDirOption);
    parser.addOptions(optionsFor(command));
    // The parser takes the first argument, the command, for the program name.
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    const qsizetype positionals = parser.positionalArguments().size();
    const qsizetype expected = expectedPositionals(command);
    if (expected >= 0 && positionals != expected)
        return usageError(expected == 0 ? u"%1 takes no arguments"_s.arg(command)
                                        : u"%1 needs exactly one argument"_s.arg(command));
    QString directory = parser.value(dataDirOption);
    if (directory.isEmpty())
        directory = ClipDisk::defaultDirectory();
    directory = QDir::cleanPath(QDir(directory).absolutePath());
    if (command == "list"_L1)
        return list(parser, directory);
    if (command == "search"_L1)
        return search(parser, directory);
    return mutate(command, parser, directory);
}

int HistoryCommandLine::list(const QCommandLineParser& parser, const QString& directory) {
    qsizetype limit = -1;
    if (parser.isSet(limitOption)) {
        bool ok = false;
        limit = parser.value(limitOption).toLongLong(&ok);
        if (!ok || limit < 0)
            return usageError(u"--limit needs a whole number of 0 or more"_s);
    }
    const ClipStore store(directory);
    warnIfUnreadable(store);
    QList<ClipItem> items = ClipStore::newestFirst(store.items());
    if (limit >= 0 && items.size() > limit)
        items.resize(limit);
    return printItems(parser, items);
}

int HistoryCommandLine::search(const QCommandLineParser& parser, const QString& directory) {
    const ClipStore store(directory);
    warnIfUnreadable(store);
    return printItems(parser,
                      ClipStore::search(store.items(), parser.positionalArguments().first()));
}

int HistoryCommandLine::printItems(const QCommandLineParser& parser, const QList<ClipItem>& items) {
    if (parser.isSet(jsonOption)) {
        m_out << QString::fromUtf8(ClipDisk::encodeRecords(items)) << '\n';
        return Success;
    }
    for (qsizetype i = 0; i < items.size(); ++i)
        m_out << ClipListing::plainLine(i + 1, items[i]) << '\n';
    return Success;
}

int HistoryCommandLine::mutate(const QString& command, const QCommandLineParser& parser,
                               const QString& directory) {
    if (!createPrivateFolder(directory))
        return failure(u"cannot create the history folder %1"_s.arg(directory));
    QLockFile lock(directory + "/.lock"_L1);
    // The holder's process id decides whether a lock is stale, never its age:
    // a long-running writer keeps its lock.
    lock.setStaleLockTime(0);
    if (!lock.tryLock(lockTimeoutMs)) {
        qint64 pid = 0;
        lock.getLockInfo(&pid, nullptr, nullptr);
        m_err << "velloq: the history in " << directory << " is in use by process " << pid
              << " (a running Velloq holds it while it watches the clipboard; quit it to "
                 "change the history from the command line)"
              << Qt::endl;
        return LockBusy;
    }
    ClipStore store(directory);
    warnIfUnreadable(store);
    if (command == "add"_L1)
        return add(parser, store);
    if (command == "clear"_L1)
        return clear(store);
    return changeById(command, parser, store);
}

int HistoryCommandLine::add(const QCommandLineParser& parser, ClipStore& store) {
    CommandLineCapture::Request request;
    if (parser.isSet(linkOption))
        request.link = parser.value(linkOption);
    request.files = parser.isSet(fileOption);
    request.paths = parser.positionalArguments();
    if (parser.isSet(imageOption))
        request.imagePath = parser.value(imageOption);
    if (parser.isSet(rtfOption))
        request.rtfPath = parser.value(rtfOption);
    if (parser.isSet(plainOption))
        request.plain = parser.value(plainOption);
    const auto result = CommandLineCapture::content(request, readStandardInput);
    if (const auto* refusal = std::get_if<CommandLineCapture::Refusal>(&result))
        return refusal->isUsageError ? usageError(refusal->message) : failure(refusal->message);
    const ClipContent& content = std::get<ClipContent>(result);
    bool changed = false;
    store.onChange = [&changed] { changed = true; };
    store.add(content, std::nullopt, now());
    if (!changed)
        return failure(u"could not write the image file in %1"_s.arg(store.directory()));
    const QByteArray hash = contentHash(content);
    for (const ClipItem& item : store.items()) {
        if (contentHash(item.content) == hash) {
            m_out << idText(item.id) << '\n';
            break;
        }
    }
    return finishChange(store);
}

int HistoryCommandLine::changeById(const QString& command, const QCommandLineParser& parser,
                                   ClipStore& store) {
    const QString text = parser.positionalArguments().first();
    const auto lookup = ClipListing::findId(store.items(), text);
    if (std::holds_alternative<ClipListing::TooShort>(lookup))
        return usageError(u"an id needs at least 8 characters: '%1'"_s.arg(text));
    if (std::holds_alternative<ClipListing::NoMatch>(lookup))
        return failure(u"no entry has the id '%1'"_s.arg(text));
    if (const auto* ambiguous = std::get_if<ClipListing::Ambiguous>(&lookup))
        return failure(
            u"'%1' matches %2 entries; give more of the id"_s.arg(text).arg(ambiguous->count));
    const QUuid id = std::get<QUuid>(lookup);
    if (command == "delete"_L1)
        store.deleteItem(id);
    else
        store.setPinned(command == "pin"_L1, id);
    return finishChange(store);
}

int HistoryCommandLine::clear(ClipStore& store) {
    store.clearAll();
    return finishChange(store);
}

int HistoryCommandLine::finishChange(const ClipStore& store) {
    if (!store.lastSaveSucceeded())
        return failure(u"could not save the history in %1"_s.arg(store.directory()));
    return Success;
}

void HistoryCommandLine::warnIfUnreadable(const ClipStore& store) {
    if (!store.startedFromUnreadableHistory())
        return;
    m_err << "velloq: " << store.directory()
          << "/items.json could not be read; the history starts empty and the unreadable "
             "file is kept beside it as items.json.unreadable-… at the next change"
          << Qt::endl;
}

int HistoryCommandLine::usageError(const QString& message) {
    m_err << "velloq: " << message << "\nRun 'velloq --help' for the commands." << Qt::endl;
    return UsageError;
}

int HistoryCommandLine::failure(const QString& message) {
    m_err << "velloq: " << message << Qt::endl;
    return Failure;
}
