#pragma once

#include "EventStream.h"
#include "HotKeyRegistering.h"
#include "Name.h"
#include "Shortcut.h"
#include "ShortcutStoring.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

// Named, user-configurable, system-wide keyboard shortcuts: stored in the
// preferences, registered as hot keys while they have actions, dispatched
// to key-down and key-up actions and to event streams. Everything here
// belongs to the main thread.
namespace KeyboardShortcuts {

using Action = std::function<void()>;

// The change notification of stored shortcuts, as a Qt signal.
class Notifier : public QObject {
    Q_OBJECT

public:
    // The notification's name where a string is needed.
    static constexpr const char* shortcutByNameDidChangeName =
        "KeyboardShortcuts_shortcutByNameDidChange";
    static constexpr const char* recorderActiveStatusDidChangeName =
        "KeyboardShortcuts_recorderActiveStatusDidChange";

Q_SIGNALS:
    void shortcutByNameDidChange(const KeyboardShortcuts::Name& name);
    // A recorder started (true) or stopped (false) recording.
    void recorderActiveStatusDidChange(bool isActive);
};

Notifier& notifier();

// The preferences the shortcuts are stored in; set once at start-up (the
// application's Defaults; a test's own).
void setDefaults(ShortcutStoring* defaults);
ShortcutStoring* defaults();
// The system's key grabs (X11 in the application, a recording substitute
// in tests). Installs a new hot key center; none detaches the library
// before the platform goes away.
void setHotKeyPlatform(HotKeyRegistering* platform);
// The desktop's key-repeat delay and interval in milliseconds, for
// repeating streams; 600 and 25 until set.
void setKeyRepeatTiming(std::function<std::pair<int, int>()> timing);

std::optional<Shortcut> getShortcut(const Name& name);
void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
void reset(const QList<Name>& names);
void removeAllShortcuts();
QSet<Name> allNames();

void disable(const QList<Name>& names);
void enable(const QList<Name>& names);
bool isEnabled();
void setEnabled(bool enabled);
// Set while a recorder records, so a shortcut being typed does not fire.
bool isPaused();
void setPaused(bool paused);

// Whether the desktop or another program holds the combination (asked of
// the system's key grabs); never for F12 alone.
bool isTakenBySystem(const Shortcut& shortcut);

void onKeyDown(const Name& name, Action action);
void onKeyUp(const Name& name, Action action);
void removeHandler(const Name& name);
void removeAllHandlers();
bool isRegistered(const Name& name);
// Whether an active name other than `except` (or a bare-shortcut stream)
// uses the shortcut.
bool isShortcutInUse(const Shortcut& shortcut, const std::optional<Name>& except = std::nullopt);

std::unique_ptr<EventStream> events(const Name& name);
std::unique_ptr<EventStream> events(EventType type, const Name& name);
std::unique_ptr<EventStream> events(const Shortcut& shortcut);
std::unique_ptr<EventStream> events(EventType type, const Shortcut& shortcut);
std::unique_ptr<RepeatingKeyDownStream> repeatingKeyDownEvents(const Name& name);
std::unique_ptr<RepeatingKeyDownStream> repeatingKeyDownEvents(const Shortcut& shortcut);

// Used by the streams and the hot keys.
namespace detail {
void nameCreated(const Name& name);
void openStream(EventStream& stream, const std::optional<Name>& name,
                const std::optional<Shortcut>& shortcut);
void closeStream(const EventStream& stream, const std::optional<Name>& name,
                 const std::optional<Shortcut>& shortcut);
bool isLive(const std::optional<Name>& name, const std::optional<Shortcut>& shortcut,
            const std::optional<Shortcut>& heldShortcut);
} // namespace detail

} // namespace KeyboardShortcuts
