#include "Library.h"

#include "HotKey.h"
#include "HotKeyCenter.h"
#include "Key.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace KeyboardShortcuts {

namespace {

using Callbacks = QHash<QUuid, std::function<void()>>;

struct LibraryState {
    ShortcutStoring* defaults = nullptr;
    HotKeyRegistering* platform = nullptr;
    bool isEnabled = true;
    bool isPaused = false;
    QHash<Name, QList<Action>> keyDownHandlers;
    QHash<Name, QList<Action>> keyUpHandlers;
    QHash<Name, Callbacks> streamKeyDownHandlers;
    QHash<Name, Callbacks> streamKeyUpHandlers;
    QHash<Shortcut, Callbacks> shortcutKeyDownHandlers;
    QHash<Shortcut, Callbacks> shortcutKeyUpHandlers;
    QSet<Name> disabledNames;
    QHash<Shortcut, std::shared_ptr<HotKey>> registeredHotKeys;
    std::function<std::pair<int, int>()> keyRepeatTiming;
};

LibraryState& state() {
    static LibraryState library;
    return library;
}

// What is stored under a name's key: a shortcut, the user's explicit "no
// shortcut" (false), or nothing usable.
struct Stored {
    std::optional<Shortcut> shortcut;
    bool isCleared = false;
};

std::optional<qint64> integerMember(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || std::abs(number) > 9.0e15)
        return std::nullopt;
    return qint64(number);
}

std::optional<Shortcut> decode(const QString& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const auto keyCode = integerMember(document.object(), u"carbonKeyCode"_s);
    const auto modifiers = integerMember(document.object(), u"carbonModifiers"_s);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut::fromStored(*keyCode, *modifiers);
}

QString encode(const Shortcut& shortcut) {
    // Written by hand so the members keep this order, without white space.
    return u"{\"carbonKeyCode\":%1,\"carbonModifiers\":%2}"_s.arg(shortcut.carbonKeyCode)
        .arg(shortcut.carbonModifiers);
}

Stored readStored(const Name& name) {
    ShortcutStoring* defaults = state().defaults;
    if (!defaults || !defaults->hasStoredValue(name.storageKey()))
        return {};
    const QJsonValue value = defaults->value(name.storageKey());
    if (value.isBool() && !value.toBool())
        return {std::nullopt, true};
    if (!value.isString())
        return {};
    return {decode(value.toString()), false};
}

bool hasStored(const Name& name) {
    return state().defaults && state().defaults->hasStoredValue(name.storageKey());
}

template <typename Table, typename Key>
bool hasEntry(const Table& table, const Key& name) {
    const auto it = table.constFind(name);
    return it != table.cend() && !it->isEmpty();
}

bool hasActiveHandlers(const Name& name) {
    const LibraryState& s = state();
    return hasEntry(s.keyDownHandlers, name) || hasEntry(s.keyUpHandlers, name) ||
           hasEntry(s.streamKeyDownHandlers, name) || hasEntry(s.streamKeyUpHandlers, name);
}

QSet<Name> namesWithHandlers() {
    const LibraryState& s = state();
    QSet<Name> names;
    for (const auto* table : {&s.keyDownHandlers, &s.keyUpHandlers})
        for (auto it = table->cbegin(); it != table->cend(); ++it)
            names.insert(it.key());
    for (const auto* table : {&s.streamKeyDownHandlers, &s.streamKeyUpHandlers})
        for (auto it = table->cbegin(); it != table->cend(); ++it)
            names.insert(it.key());
    return names;
}

void dispatch(EventType type, const Shortcut& shortcut);

void registerHotKey(const Shortcut& shortcut, const QString& name = QString()) {
    LibraryState& s = state();
    HotKeyCenter* center = HotKeyCenter::existing();
    if (!center || s.registeredHotKeys.contains(shortcut))
        return;
    const qint64 id = ++center->lastHotKeyId;
    auto hotKey = std::make_shared<HotKey>(
        shortcut.carbonKeyCode, shortcut.carbonModifiers, id,
        [shortcut] { dispatch(EventType::keyDown, shortcut); },
        [shortcut] { dispatch(EventType::keyUp, shortcut); });
    hotKey->name = name;
    if (!center->registerHotKey(hotKey))
        return;
    hotKey->onRegistrationFailed = [shortcut, weak = std::weak_ptr<HotKey>(hotKey)] {
        const auto it = state().registeredHotKeys.constFind(shortcut);
        if (it != state().registeredHotKeys.cend() && *it == weak.lock())
            state().registeredHotKeys.remove(shortcut);
    };
    s.registeredHotKeys.insert(shortcut, hotKey);
}

void registerIfNeeded(const Name& name) {
    if (state().disabledNames.contains(name) || !hasActiveHandlers(name))
        return;
    if (const auto shortcut = getShortcut(name))
        registerHotKey(*shortcut, name.rawValue());
}

void releaseIfUnused(const std::optional<Shortcut>& shortcut,
                     const std::optional<Name>& except = std::nullopt) {
    if (shortcut && !isShortcutInUse(*shortcut, except))
        state().registeredHotKeys.remove(*shortcut);
}

void releaseOldShortcut(const Name& name) {
    releaseIfUnused(getShortcut(name), name);
}

QList<Name> matchingNames(const QList<Name>& names, const Shortcut& shortcut) {
    QList<Name> matching;
    for (const Name& name : names) {
        if (!state().disabledNames.contains(name) && getShortcut(name) == shortcut)
            matching.append(name);
    }
    return matching;
}

void dispatch(EventType type, const Shortcut& shortcut) {
    const LibraryState& s = state();
    if (s.isPaused)
        return;
    const bool down = type == EventType::keyDown;
    // A copy: an action may change the tables (for example remove itself).
    const QHash<Name, QList<Action>> actions = down ? s.keyDownHandlers : s.keyUpHandlers;
    for (const Name& name : matchingNames(actions.keys(), shortcut)) {
        for (const Action& action : actions.value(name))
            action();
    }
    // Callbacks are looked up again right before each call: an earlier one
    // may have closed the stream a later one belongs to.
    const auto* streams = down ? &s.streamKeyDownHandlers : &s.streamKeyUpHandlers;
    for (const Name& name : matchingNames(streams->keys(), shortcut)) {
        const QList<QUuid> ids = streams->value(name).keys();
        for (const QUuid& id : ids) {
            if (const auto callback = streams->value(name).value(id))
                callback();
        }
    }
    const auto* bare = down ? &s.shortcutKeyDownHandlers : &s.shortcutKeyUpHandlers;
    const QList<QUuid> ids = bare->value(shortcut).keys();
    for (const QUuid& id : ids) {
        if (const auto callback = bare->value(shortcut).value(id))
            callback();
    }
}

void changed(const Name& name) {
    registerIfNeeded(name);
    Q_EMIT notifier().shortcutByNameDidChange(name);
}

void updateCenterEnabled() {
    if (HotKeyCenter* center = HotKeyCenter::existing())
        center->setEnabled(state().isEnabled && !state().isPaused);
}

} // namespace

Notifier& notifier() {
    static Notifier instance;
    return instance;
}

void setDefaults(ShortcutStoring* defaults) {
    state().defaults = defaults;
}

ShortcutStoring* defaults() {
    return state().defaults;
}

void setHotKeyPlatform(HotKeyRegistering* platform) {
    // Released while the old platform is still there to free the grabs.
    state().registeredHotKeys.clear();
    state().platform = platform;
    HotKeyCenter::install(platform);
    updateCenterEnabled();
}

void setKeyRepeatTiming(std::function<std::pair<int, int>()> timing) {
    state().keyRepeatTiming = std::move(timing);
}

std::optional<Shortcut> getShortcut(const Name& name) {
    return readStored(name).shortcut;
}

void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    ShortcutStoring* defaults = state().defaults;
    if (!defaults)
        return;
    if (shortcut) {
        releaseOldShortcut(name);
        defaults->set(name.storageKey(), encode(*shortcut));
    } else if (name.initialShortcut()) {
        if (readStored(name).isCleared)
            return;
        releaseOldShortcut(name);
        defaults->set(name.storageKey(), false);
    } else {
        if (!hasStored(name))
            return;
        releaseOldShortcut(name);
        defaults->remove(name.storageKey());
    }
    changed(name);
}

void reset(const QList<Name>& names) {
    ShortcutStoring* defaults = state().defaults;
    if (!defaults)
        return;
    for (const Name& name : names) {
        if (const auto initial = name.initialShortcut()) {
            releaseOldShortcut(name);
            defaults->set(name.storageKey(), encode(*initial));
        } else {
            if (!hasStored(name))
                continue;
            releaseOldShortcut(name);
            defaults->remove(name.storageKey());
        }
        changed(name);
    }
}

void removeAllShortcuts() {
    for (const Name& name : allNames())
        setShortcut(std::nullopt, Name(name.rawValue()));
}

QSet<Name> allNames() {
    QSet<Name> names;
    if (!state().defaults)
        return names;
    const QString prefix = QLatin1String(Name::storagePrefix);
    for (const QString& key : state().defaults->keys()) {
        if (key.startsWith(prefix))
            names.insert(Name(key.mid(prefix.size())));
    }
    return names;
}

void disable(const QList<Name>& names) {
    for (const Name& name : names) {
        state().disabledNames.insert(name);
        releaseIfUnused(getShortcut(name), name);
    }
}

void enable(const QList<Name>& names) {
    for (const Name& name : names) {
        state().disabledNames.remove(name);
        registerIfNeeded(name);
    }
}

bool isEnabled() {
    return state().isEnabled;
}

void setEnabled(bool enabled) {
    if (enabled == state().isEnabled)
        return;
    state().isEnabled = enabled;
    updateCenterEnabled();
}

bool isPaused() {
    return state().isPaused;
}

bool isTakenBySystem(const Shortcut& shortcut) {
    // F12 alone belongs to no system shortcut worth a warning.
    if (shortcut == Shortcut::fromKeyCode(Keys::f12.rawValue, 0) || !state().platform)
        return false;
    return state().platform->isTakenBySystem(quint32(shortcut.carbonKeyCode),
                                             quint32(shortcut.carbonModifiers));
}

void setPaused(bool paused) {
    if (paused == state().isPaused)
        return;
    state().isPaused = paused;
    updateCenterEnabled();
}

void onKeyDown(const Name& name, Action action) {
    state().keyDownHandlers[name].append(std::move(action));
    registerIfNeeded(name);
}

void onKeyUp(const Name& name, Action action) {
    state().keyUpHandlers[name].append(std::move(action));
    registerIfNeeded(name);
}

void removeHandler(const Name& name) {
    LibraryState& s = state();
    s.keyDownHandlers.remove(name);
    s.keyUpHandlers.remove(name);
    if (!s.disabledNames.contains(name) &&
        (hasEntry(s.streamKeyDownHandlers, name) || hasEntry(s.streamKeyUpHandlers, name)))
        return;
    releaseIfUnused(getShortcut(name), name);
}

void removeAllHandlers() {
    LibraryState& s = state();
    QSet<Shortcut> shortcuts;
    for (const auto* table : {&s.keyDownHandlers, &s.keyUpHandlers}) {
        for (auto it = table->cbegin(); it != table->cend(); ++it) {
            if (const auto shortcut = getShortcut(it.key()))
                shortcuts.insert(*shortcut);
        }
    }
    s.keyDownHandlers.clear();
    s.keyUpHandlers.clear();
    for (const Shortcut& shortcut : shortcuts)
        releaseIfUnused(shortcut);
}

bool isRegistered(const Name& name) {
    if (!state().isEnabled || !hasActiveHandlers(name))
        return false;
    const auto shortcut = getShortcut(name);
    return shortcut && state().registeredHotKeys.contains(*shortcut);
}

bool isShortcutInUse(const Shortcut& shortcut, const std::optional<Name>& except) {
    const LibraryState& s = state();
    for (const Name& name : namesWithHandlers()) {
        if ((except && name == *except) || s.disabledNames.contains(name))
            continue;
        if (hasActiveHandlers(name) && getShortcut(name) == shortcut)
            return true;
    }
    return hasEntry(s.shortcutKeyDownHandlers, shortcut) ||
           hasEntry(s.shortcutKeyUpHandlers, shortcut);
}

std::unique_ptr<EventStream> events(const Name& name) {
    return std::make_unique<EventStream>(name, std::nullopt, std::nullopt);
}

std::unique_ptr<EventStream> events(EventType type, const Name& name) {
    return std::make_unique<EventStream>(name, std::nullopt, type);
}

std::unique_ptr<EventStream> events(const Shortcut& shortcut) {
    return std::make_unique<EventStream>(std::nullopt, shortcut, std::nullopt);
}

std::unique_ptr<EventStream> events(EventType type, const Shortcut& shortcut) {
    return std::make_unique<EventStream>(std::nullopt, shortcut, type);
}

namespace {

std::pair<int, int> keyRepeatTiming() {
    if (state().keyRepeatTiming)
        return state().keyRepeatTiming();
    return {600, 25};
}

} // namespace

std::unique_ptr<RepeatingKeyDownStream> repeatingKeyDownEvents(const Name& name) {
    const auto [delay, interval] = keyRepeatTiming();
    return std::make_unique<RepeatingKeyDownStream>(name, std::nullopt, delay, interval);
}

std::unique_ptr<RepeatingKeyDownStream> repeatingKeyDownEvents(const Shortcut& shortcut) {
    const auto [delay, interval] = keyRepeatTiming();
    return std::make_unique<RepeatingKeyDownStream>(std::nullopt, shortcut, delay, interval);
}

namespace detail {

void nameCreated(const Name& name) {
    // The default is stored once, the first time the name exists; after
    // that the user's choice (including "none") stands.
    ShortcutStoring* defaults = state().defaults;
    if (defaults && name.initialShortcut() && !defaults->hasStoredValue(name.storageKey()))
        defaults->set(name.storageKey(), encode(*name.initialShortcut()));
}

void openStream(EventStream& stream, const std::optional<Name>& name,
                const std::optional<Shortcut>& shortcut) {
    LibraryState& s = state();
    EventStream* target = &stream;
    auto down = [target] { target->deliver(EventType::keyDown); };
    auto up = [target] { target->deliver(EventType::keyUp); };
    if (name) {
        s.streamKeyDownHandlers[*name].insert(stream.id(), down);
        s.streamKeyUpHandlers[*name].insert(stream.id(), up);
        registerIfNeeded(*name);
    } else if (shortcut) {
        s.shortcutKeyDownHandlers[*shortcut].insert(stream.id(), down);
        s.shortcutKeyUpHandlers[*shortcut].insert(stream.id(), up);
        registerHotKey(*shortcut);
    }
}

template <typename Table, typename Key>
void removeCallback(Table& table, const Key& key, const QUuid& id) {
    auto it = table.find(key);
    if (it == table.end())
        return;
    it->remove(id);
    if (it->isEmpty())
        table.erase(it);
}

void closeStream(const EventStream& stream, const std::optional<Name>& name,
                 const std::optional<Shortcut>& shortcut) {
    LibraryState& s = state();
    if (name) {
        removeCallback(s.streamKeyDownHandlers, *name, stream.id());
        removeCallback(s.streamKeyUpHandlers, *name, stream.id());
        releaseIfUnused(getShortcut(*name));
    } else if (shortcut) {
        removeCallback(s.shortcutKeyDownHandlers, *shortcut, stream.id());
        removeCallback(s.shortcutKeyUpHandlers, *shortcut, stream.id());
        releaseIfUnused(*shortcut);
    }
}

bool isLive(const std::optional<Name>& name, const std::optional<Shortcut>& shortcut,
            const std::optional<Shortcut>& heldShortcut) {
    const LibraryState& s = state();
    if (s.isPaused || !s.isEnabled)
        return false;
    if (shortcut)
        return s.registeredHotKeys.contains(*shortcut);
    if (!name || s.disabledNames.contains(*name) || !hasActiveHandlers(*name))
        return false;
    const auto current = getShortcut(*name);
    return current && s.registeredHotKeys.contains(*current) && current == heldShortcut;
}

} // namespace detail

} // namespace KeyboardShortcuts
