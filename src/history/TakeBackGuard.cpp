#include "TakeBackGuard.h"

#include <algorithm>
#include <cmath>

TakeBackGuard::TakeBackGuard(ClipStore& store, Clock now, QObject* parent)
    : QObject(parent), m_store(store), m_now(std::move(now)) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TakeBackGuard::releaseDue);
}

bool TakeBackGuard::isHeldShape(const ClipContent& content) {
    const auto* text = std::get_if<TextContent>(&content);
    if (!text)
        return false;
    const QString line = text->text.trimmed();
    return !line.isEmpty() && line.size() <= longestHeldText && !line.contains(u'\n') &&
           !line.contains(u'\r');
}

void TakeBackGuard::add(const ClipContent& content, const std::optional<QString>& sourceBundleID) {
    // The timer is coarse: those whose time is up go first.
    releaseDue();
    const double now = m_now();
    // What a tool copies back is the earlier copy's plain text, whatever
    // form that copy had.
    const QString text = searchText(content).trimmed();
    if (const auto newest = takeableNewest();
        newest && !text.isEmpty() && text == newest->previousText)
        takeBackNewest();
    const QString previous = newestText();
    m_lastAdded = m_store.add(content, sourceBundleID, now, isHeldShape(content));
    if (m_lastAdded && m_store.isHeldBack(*m_lastAdded))
        hold(*m_lastAdded, now, previous);
}

void TakeBackGuard::emptied() {
    if (takeableNewest())
        takeBackNewest();
}

void TakeBackGuard::picked(const ClipContent& content) {
    m_lastAdded = m_store.idOfContent(content);
    if (!m_lastAdded)
        return;
    const QUuid id = *m_lastAdded;
    m_held.removeIf([&](const Held& held) { return held.id == id; });
    m_store.release(id);
    schedule();
}

void TakeBackGuard::releaseDue() {
    const double now = m_now();
    while (!m_held.isEmpty() &&
           (m_held.front().until <= now || !m_store.isHeldBack(m_held.front().id)))
        m_store.release(m_held.takeFirst().id);
    schedule();
}

// The copy that is still on the clipboard, held, within its time.
std::optional<TakeBackGuard::Held> TakeBackGuard::takeableNewest() const {
    if (m_held.isEmpty() || !m_lastAdded)
        return std::nullopt;
    const Held& newest = m_held.back();
    if (newest.id != *m_lastAdded || !m_store.isHeldBack(newest.id) || m_now() > newest.until)
        return std::nullopt;
    return newest;
}

void TakeBackGuard::takeBackNewest() {
    m_store.deleteItem(m_held.takeLast().id);
    m_lastAdded.reset();
    schedule();
}

QString TakeBackGuard::newestText() const {
    const QList<ClipItem>& items = m_store.items();
    const auto newest =
        std::max_element(items.cbegin(), items.cend(), [](const ClipItem& a, const ClipItem& b) {
            return a.capturedAt < b.capturedAt;
        });
    return newest == items.cend() ? QString() : searchText(newest->content).trimmed();
}

// A held copy copied again keeps the earlier copy it would be taken back
// to, and its time starts over.
void TakeBackGuard::hold(const QUuid& id, double now, const QString& previousText) {
    QString previous = previousText;
    const auto it = std::find_if(m_held.cbegin(), m_held.cend(),
                                 [&](const Held& held) { return held.id == id; });
    if (it != m_held.cend()) {
        previous = it->previousText;
        m_held.erase(it);
    }
    m_held.append({id, now + holdSeconds, previous});
    schedule();
}

void TakeBackGuard::schedule() {
    if (m_held.isEmpty()) {
        m_timer.stop();
        return;
    }
    const double wait = std::max(0.0, m_held.front().until - m_now());
    m_timer.start(std::chrono::milliseconds(std::llround(wait * 1000) + 1));
}
