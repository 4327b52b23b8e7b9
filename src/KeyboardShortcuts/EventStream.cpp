#include "EventStream.h"

#include "Library.h"

namespace KeyboardShortcuts {

EventStream::EventStream(std::optional<Name> name, std::optional<Shortcut> shortcut,
                         std::optional<EventType> only)
    : m_name(std::move(name)), m_shortcut(shortcut), m_only(only) {
    detail::openStream(*this, m_name, m_shortcut);
}

EventStream::~EventStream() {
    detail::closeStream(*this, m_name, m_shortcut);
}

void EventStream::deliver(EventType type) {
    if ((!m_only || *m_only == type) && onEvent)
        onEvent(type);
}

RepeatingKeyDownStream::RepeatingKeyDownStream(std::optional<Name> name,
                                               std::optional<Shortcut> shortcut,
                                               int delayMilliseconds, int intervalMilliseconds)
    : m_name(std::move(name)), m_shortcut(shortcut), m_interval(intervalMilliseconds),
      m_delay(delayMilliseconds) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &RepeatingKeyDownStream::repeat);
    m_events = std::make_unique<EventStream>(m_name, m_shortcut, std::nullopt);
    m_events->onEvent = [this](EventType type) { handle(type); };
}

RepeatingKeyDownStream::~RepeatingKeyDownStream() {
    m_timer.stop();
    m_events.reset();
}

void RepeatingKeyDownStream::handle(EventType type) {
    if (type == EventType::keyUp) {
        m_timer.stop();
        return;
    }
    if (m_name)
        m_heldShortcut = getShortcut(*m_name);
    if (onKeyDown)
        onKeyDown();
    m_timer.start(m_delay);
}

void RepeatingKeyDownStream::repeat() {
    if (!isStillLive())
        return;
    if (onKeyDown)
        onKeyDown();
    m_timer.start(m_interval);
}

bool RepeatingKeyDownStream::isStillLive() const {
    return detail::isLive(m_name, m_shortcut, m_heldShortcut);
}

} // namespace KeyboardShortcuts
