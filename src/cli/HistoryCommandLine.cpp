#include "HistoryCommandLine.h"

#include "ClipListing.h"
#include "CommandLineCapture.h"
#include "history/ClipStore.h"
#include "history/PrivateFiles.h"
#include "paste/ClipMimeData.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QLockFile>

using namespace Qt::StringLiterals;

namespace {

const QStringList readCommands{u"list"_s, u"search"_s};
const QStringList changeCommands{u"add"_s, u"pin"_s, u"unpin"_s, u"delete"_s, u"clear"_s};
const QStringList pickCommands{u"copy"_s, u"paste"_s};
using WindowAction = HistoryCommandLine::WindowAction;
const QHash<QString, WindowAction> windowCommands{{u"show"_s, WindowAction::showOverlay},
                                                  {u"toggle"_s, WindowAction::toggleOverlay},
                                                  {u"settings"_s, WindowAction::showSettings},
                                                  {u"menu"_s, WindowAction::showMenu}};

const QCommandLineOption dataDirOption(u"data-dir"_s, u"Use another history folder."_s, u"DIR"_s);
const QCommandLineOption jsonOption(u"json"_s, u"Print records as JSON."_s);
const QCommandLineOption limitOption(u"limit"_s, u"Print at most N entries."_s, u"N"_s);
const QCommandLineOption linkOption(u"link"_s, u"Add a web link."_s, u"URL"_s);
const QCommandLineOption fileOption(u"file"_s, u"Add the files that follow."_s);
const QCommandLineOption imageOption(u"image"_s, u"Add an image."_s, u"FILE"_s);
const QCommandLineOption rtfOption(u"rtf"_s, u"Add rich text from an RTF file."_s, u"FILE"_s);
const QCommandLineOption plainOption(u"plain"_s, u"Plain form of the rich text."_s, u"TEXT"_s);
const QCommandLineOption plainPickOption(u"plain"_s, u"As plain text only."_s);

QList<QCommandLineOption> optionsFor(const QString& command) {
    if (command == "list"_L1)
        return {jsonOption, limitOption};
    if (command == "search"_L1)
        return {jsonOption};
    if (command == "add"_L1)
        return {linkOption, fileOption, imageOption, rtfOption, plainOption};
    if (pickCommands.contains(command))
        return {plainPickOption};
    return {};
}

qsizetype expectedPositionals(const QString& command) {
    if (command == "search"_L1 || command == "pin"_L1 || command == "unpin"_L1 ||
        command == "delete"_L1 || pickCommands.contains(command))
        return 1;
    return command == "add"_L1 ? -1 : 0;
}

} // namespace

HistoryCommandLine::HistoryCommandLine(QTextStream& out, QTextStream& err)
    : workingDirectory(QDir::currentPath()), m_out(out), m_err(err) {
    now = [] { return QDateTime::currentMSecsSinceEpoch() / 1000.0; };
}

bool HistoryCommandLine::isSubCommand(const QString& word) {
    return readCommands.contains(word) || changeCommands.contains(word) ||
           pickCommands.contains(word) || windowCommands.contains(word);
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
    if (windowCommands.contains(command))
        return openWindow(command);
    QString directory = parser.value(dataDirOption);
    if (directory.isEmpty())
        directory = ClipDisk::defaultDirectory();
    directory = QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(directory));
    if (runningStore && directory != runningStore->directory())
        return OtherHistory;
    if (command == "list"_L1)
        return list(parser, directory);
    if (command == "search"_L1)
        return search(parser, directory);
    return mutate(command, parser, directory);
}

int HistoryCommandLine::openWindow(const QString& command) {
    if (!windowAction)
        return usageError(u"%1 needs a running Velloq; start it with 'velloq'"_s.arg(command));
    windowAction(windowCommands.value(command));
    return Success;
}

int HistoryCommandLine::list(const QCommandLineParser& parser, const QString& directory) {
    qsizetype limit = -1;
    if (parser.isSet(limitOption)) {
        bool ok = false;
        limit = parser.value(limitOption).toLongLong(&ok);
        if (!ok || limit < 0)
            return usageError(u"--limit needs a whole number of 0 or more"_s);
    }
    std::optional<ClipStore> local;
    const ClipStore& store = readableStore(directory, local);
    QList<ClipItem> items = ClipStore::newestFirst(store.items());
    if (limit >= 0 && items.size() > limit)
        items.resize(limit);
    return printItems(parser, items);
}

int HistoryCommandLine::search(const QCommandLineParser& parser, const QString& directory) {
    std::optional<ClipStore> local;
    const ClipStore& store = readableStore(directory, local);
    return printItems(parser,
                      ClipStore::search(store.items(), parser.positionalArguments().first()));
}

const ClipStore& HistoryCommandLine::readableStore(const QString& directory,
                                                   std::optional<ClipStore>& local) {
    if (runningStore)
        return *runningStore;
    warnIfUnreadable(local.emplace(directory));
    return *local;
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
    if (runningStore)
        return change(command, parser, *runningStore);
    if (pickCommands.contains(command))
        return usageError(u"%1 needs a running Velloq; start it with 'velloq'"_s.arg(command));
    if (!createPrivateFolder(directory))
        return failure(u"cannot create the history folder %1"_s.arg(directory));
    QLockFile lock(directory + "/.lock"_L1);
    // The holder's process id decides whether a lock is stale, never its age:
    // a long-running writer keeps its lock.
    lock.setStaleLockTime(0);
    if (!lock.tryLock(lockTimeoutMs)) {
        const std::optional<qint64> pid = lockHolder(lock);
        if (!pid)
            return failure(u"cannot change the history in %1: its lock file cannot be made "
                           "(is the folder writable?)"_s.arg(directory));
        m_err << "velloq: the history in " << directory << " is in use by process " << *pid
              << " (a running Velloq holds it while it watches the clipboard; quit it to "
                 "change the history from the command line)"
              << Qt::endl;
        return LockBusy;
    }
    ClipStore store(directory);
    warnIfUnreadable(store);
    store.setLimit(historyLimit);
    return change(command, parser, store);
}

std::optional<qint64> HistoryCommandLine::lockHolder(const QLockFile& lock) {
    qint64 pid = 0;
    if (lock.error() != QLockFile::LockFailedError || !lock.getLockInfo(&pid, nullptr, nullptr) ||
        pid <= 0)
        return std::nullopt;
    return pid;
}

int HistoryCommandLine::change(const QString& command, const QCommandLineParser& parser,
                               ClipStore& store) {
    if (command == "add"_L1)
        return add(parser, store);
    if (command == "clear"_L1)
        return clear(store);
    if (pickCommands.contains(command))
        return pick(command, parser, store);
    return changeById(command, parser, store);
}

int HistoryCommandLine::pick(const QString& command, const QCommandLineParser& parser,
                             ClipStore& store) {
    const auto& action = command == "copy"_L1 ? copyItem : pasteItem;
    if (!action)
        return usageError(u"%1 needs a running Velloq; start it with 'velloq'"_s.arg(command));
    int exitCode = Success;
    const auto id = findEntry(parser, store, exitCode);
    if (!id)
        return exitCode;
    for (ClipItem item : store.items()) {
        if (item.id != *id)
            continue;
        // A picture has no text: it is copied or pasted as it is.
        if (parser.isSet(plainPickOption))
            item.content = plainForm(item.content);
        action(item);
    }
    return Success;
}

int HistoryCommandLine::add(const QCommandLineParser& parser, ClipStore& store) {
    CommandLineCapture::Request request;
    if (parser.isSet(linkOption))
        request.link = parser.value(linkOption);
    request.files = parser.isSet(fileOption);
    const QDir base(workingDirectory);
    for (const QString& path : parser.positionalArguments())
        request.paths.append(base.absoluteFilePath(path));
    if (parser.isSet(imageOption))
        request.imagePath = base.absoluteFilePath(parser.value(imageOption));
    if (parser.isSet(rtfOption))
        request.rtfPath = base.absoluteFilePath(parser.value(rtfOption));
    if (parser.isSet(plainOption))
        request.plain = parser.value(plainOption);
    const auto result = CommandLineCapture::content(request, readStandardInput);
    if (const auto* refusal = std::get_if<CommandLineCapture::Refusal>(&result))
        return refusal->isUsageError ? usageError(refusal->message) : failure(refusal->message);
    const ClipContent& content = std::get<ClipContent>(result);
    if (byteSize(content) > maximumClipBytes)
        return failure(u"the content is larger than the limit of %1 MB (\"maximumClipMegabytes\" "
                       "in settings.json); nothing was added"_s.arg(maximumClipBytes >> 20));
    const bool isNew = !store.idOfContent(content);
    // The store's own observer (a running Velloq's) still hears the change.
    bool changed = false;
    const auto observer = store.onChange;
    store.onChange = [&changed, &observer] {
        changed = true;
        if (observer)
            observer();
    };
    store.add(content, std::nullopt, now());
    store.onChange = observer;
    // The id is printed only once the entry is on disk.
    store.flush();
    if (!changed)
        return failure(u"could not write the image file in %1"_s.arg(store.directory()));
    const std::optional<QUuid> id = store.idOfContent(content);
    if (!store.lastSaveSucceeded()) {
        // What was not saved was not added: no id, and no picture left behind.
        if (isNew && id)
            store.deleteItem(*id);
        return failure(
            u"could not save the history in %1; nothing was added"_s.arg(store.directory()));
    }
    if (id)
        m_out << idText(*id) << '\n';
    return Success;
}

std::optional<QUuid> HistoryCommandLine::findEntry(const QCommandLineParser& parser,
                                                   const ClipStore& store, int& exitCode) {
    const QString text = parser.positionalArguments().first();
    const auto lookup = ClipListing::findId(store.items(), text);
    if (std::holds_alternative<ClipListing::TooShort>(lookup))
        exitCode = usageError(u"an id needs at least 8 characters: '%1'"_s.arg(text));
    else if (std::holds_alternative<ClipListing::NoMatch>(lookup))
        exitCode = failure(u"no entry has the id '%1'"_s.arg(text));
    else if (const auto* ambiguous = std::get_if<ClipListing::Ambiguous>(&lookup))
        exitCode = failure(
            u"'%1' matches %2 entries; give more of the id"_s.arg(text).arg(ambiguous->count));
    else
        return std::get<QUuid>(lookup);
    return std::nullopt;
}

int HistoryCommandLine::changeById(const QString& command, const QCommandLineParser& parser,
                                   ClipStore& store) {
    int exitCode = Success;
    const auto id = findEntry(parser, store, exitCode);
    if (!id)
        return exitCode;
    if (command == "delete"_L1)
        store.deleteItem(*id);
    else
        store.setPinned(command == "pin"_L1, *id);
    return finishChange(store);
}

int HistoryCommandLine::clear(ClipStore& store) {
    store.clearAll();
    return finishChange(store);
}

int HistoryCommandLine::finishChange(ClipStore& store) {
    store.flush();
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
