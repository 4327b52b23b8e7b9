#pragma once

#include "Name.h"
#include "Shortcut.h"

#include <QObject>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace KeyboardShortcuts {

// Presses and releases of a named shortcut (or of a bare shortcut), for as
// long as the stream object lives. Its hot key stays registered while the
// stream is open; destroying the stream ends it.
class EventStream {
public:
    ~EventStream();
    EventStream(const EventStream&) = delete;
    EventStream& operator=(const EventStream&) = delete;

    std::function<void(EventType)> onEvent;

    // Opened by events(…) of the library.
    EventStream(std::optional<Name> name, std::optional<Shortcut> shortcut,
                std::optional<EventType> only);
    void deliver(EventType type);
    const QUuid& id() const { return m_id; }

private:
    QUuid m_id = QUuid::createUuid();
    std::optional<Name> m_name;
    std::optional<Shortcut> m_shortcut;
    std::optional<EventType> m_only;
};

// Key-downs of a shortcut that repeat while it is held, with the desktop's
// key-repeat delay and interval: one element at the press, then one per
// interval after the delay, until the release (or until the shortcut stops
// being live: paused, disabled, changed or unregistered).
class RepeatingKeyDownStream : public QObject {
    Q_OBJECT

public:
    RepeatingKeyDownStream(std::optional<Name> name, std::optional<Shortcut> shortcut,
                           int delayMilliseconds, int intervalMilliseconds);
    ~RepeatingKeyDownStream() override;

    std::function<void()> onKeyDown;

private:
    void handle(EventType type);
    void repeat();
    bool isStillLive() const;

    std::optional<Name> m_name;
    std::optional<Shortcut> m_shortcut;
    std::optional<Shortcut> m_heldShortcut;
    int m_interval;
    int m_delay;
    QTimer m_timer;
    std::unique_ptr<EventStream> m_events;
};

} // namespace KeyboardShortcuts
