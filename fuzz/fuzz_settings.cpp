// The settings reader: settings.json as a user, an editor or another
// version may leave it. Each input is written to a settings file and read
// the way the application starts: Defaults on the file, the show-clipboard
// shortcut's default stored if none is, the registered defaults, then every
// validated reader. What Defaults writes back must read back the same.

#include "FuzzSupport.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

// The folder the settings file lives in; emptied after every input, since
// an unreadable file is kept aside under a new name when Defaults writes.
const QString& settingsFolder() {
    static QTemporaryDir folder;
    static const QString path = folder.isValid() ? folder.path() + "/Velloq"_L1 : QString();
    if (path.isEmpty() || !QDir().mkpath(path))
        fuzz::fail("cannot create the settings folder");
    return path;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fuzz::fail("cannot write the settings file");
}

void emptyFolder(const QString& path) {
    QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
}

void describeShortcut(const KeyboardShortcuts::Shortcut& shortcut) {
    using namespace KeyboardShortcuts;
    if (description(shortcut).isEmpty())
        fuzz::fail("a shortcut has an empty description");
    (void)keyEquivalent(shortcut);
    (void)keySequence(shortcut);
    (void)modifierText(shortcut.carbonModifiers);
}

QStringList storedKeys(const Defaults& defaults) {
    QStringList keys;
    for (const QString& key : defaults.keys()) {
        if (defaults.hasStoredValue(key))
            keys.append(key);
    }
    keys.sort();
    return keys;
}

void readEverything(const Defaults& defaults) {
    for (const QString& key : defaults.keys()) {
        (void)defaults.integer(key);
        (void)defaults.boolean(key);
        const QJsonValue value = defaults.value(key);
        if (defaults.string(key).has_value() != value.isString())
            fuzz::fail("string() disagrees with the stored value's type", fuzz::visible(key));
        if (defaults.stringList(key) && !value.isArray())
            fuzz::fail("stringList() reads a value that is no array", fuzz::visible(key));
    }

    const int limit = Preferences::currentHistoryLimit(defaults);
    if (!Preferences::historyLimitOptions.contains(limit))
        fuzz::fail("currentHistoryLimit is not one of the options", QString::number(limit));
    const qint64 clipBytes = Preferences::maximumClipBytes(defaults);
    constexpr qint64 megabyte = qint64(1024) * 1024;
    if (clipBytes < megabyte || clipBytes > Preferences::largestMaximumClipMegabytes * megabyte ||
        clipBytes % megabyte != 0)
        fuzz::fail("maximumClipBytes is out of range", QString::number(clipBytes));
    const int gridSize = Preferences::currentGridSize(defaults);
    if (gridSize != 6 && gridSize != 9)
        fuzz::fail("currentGridSize is neither 6 nor 9", QString::number(gridSize));
    (void)Preferences::showsKeyHints(defaults);
    (void)currentAppearance(defaults);
    for (const QString& id : {u"org.keepassxc.KeePassXC"_s, u"org.gnome.TextEditor"_s})
        (void)Preferences::isExcluded(defaults, id);

    for (const KeyboardShortcuts::Name& name : KeyboardShortcuts::allNames()) {
        if (const auto shortcut = KeyboardShortcuts::getShortcut(name))
            describeShortcut(*shortcut);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    // Defaults watches its file, and the watcher needs an application.
    fuzz::startApplication("fuzz_settings");
    settingsFolder();
    // Made before any preferences are set, so it stores nothing by itself.
    Preferences::showClipboardShortcut();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = settingsFolder() + "/settings.json"_L1;
    writeFile(path, fuzz::bytes(data, size));
    {
        Defaults defaults(path);
        KeyboardShortcuts::setDefaults(&defaults);
        const KeyboardShortcuts::Name& showClipboard = Preferences::showClipboardShortcut();
        const bool hadShortcut = defaults.hasStoredValue(showClipboard.storageKey());
        // As at start-up: creating the name stores its default if nothing is
        // stored for it yet.
        const KeyboardShortcuts::Name created(showClipboard.rawValue(),
                                              showClipboard.initialShortcut());
        if (!hadShortcut &&
            KeyboardShortcuts::getShortcut(showClipboard) != showClipboard.initialShortcut())
            fuzz::fail("the show-clipboard shortcut's default was not stored");
        Preferences::registerGridSizeDefault(defaults);
        Preferences::registerPreferenceDefaults(defaults);
        if (defaults.hasStoredValue(Preferences::historyLimitKey)) {
            const auto stored =
                Defaults::integerValue(defaults.value(Preferences::historyLimitKey));
            if (stored && !Preferences::historyLimitOptions.contains(*stored))
                fuzz::fail("a stored history limit outside the options was not repaired",
                           QString::number(*stored));
        }
        readEverything(defaults);

        // Whatever Defaults wrote (the shortcut's default, a repaired limit)
        // is what the next start reads. Read here the way Defaults reads
        // its file: a second Defaults would cost a file watcher, whose
        // teardown takes longer than everything else an input does.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            fuzz::fail("the settings file is gone");
        const QJsonObject written = QJsonDocument::fromJson(file.readAll()).object();
        QStringList writtenKeys = written.keys();
        writtenKeys.sort();
        if (writtenKeys != storedKeys(defaults))
            fuzz::fail("the settings file reads back with other keys",
                       fuzz::visible(storedKeys(defaults).join(u' ')) + u"\nreads back as\n"_s +
                           fuzz::visible(writtenKeys.join(u' ')));
        for (const QString& key : writtenKeys) {
            if (defaults.value(key) != written.value(key))
                fuzz::fail("a stored setting reads back differently", fuzz::visible(key));
        }
        KeyboardShortcuts::setDefaults(nullptr);
    }
    emptyFolder(settingsFolder());
    // What the input posted (deferred deletions, watcher events) is
    // delivered now, as the event loop would, so nothing carries over.
    QCoreApplication::sendPostedEvents();
    return 0;
}
