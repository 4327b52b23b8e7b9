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
    // The timer is coarse: a copy whose time is up goes first.
    releaseDue();
    const double now = m_now();
    // What a tool copies back is the earlier copy's plain text, whatever
    // form that copy had.
    const QString text = searchText(content).trimmed();
    if (isTakeable() && !text.isEmpty() && text == m_held->previousText)
        takeBack();
    const QString previous = newestText();
    const std::optional<QUuid> id = m_store.add(content, sourceBundleID, now, isHeldShape(content));
    if (m_held && m_held->id != id)
        releaseHeld();
    if (id && m_store.isHeldBack(*id))
        hold(*id, now, previous);
}

void TakeBackGuard::emptied() {
    if (isTakeable())
        takeBack();
}

void TakeBackGuard::picked() {
    releaseHeld();
}

void TakeBackGuard::releaseDue() {
    if (m_held && m_held->until <= m_now())
        releaseHeld();
}

// Still held (not pinned, removed or trimmed meanwhile), within its time.
bool TakeBackGuard::isTakeable() const {
    return m_held && m_store.isHeldBack(m_held->id) && m_now() <= m_held->until;
}

void TakeBackGuard::takeBack() {
    m_store.deleteItem(m_held->id);
    m_held.reset();
    m_timer.stop();
}

void TakeBackGuard::releaseHeld() {
    if (!m_held)
        return;
    m_store.release(m_held->id);
    m_held.reset();
    m_timer.stop();
}

QString TakeBackGuard::newestText() const {
    const QList<ClipItem>& items = m_store.items();
    const auto newest =
        std::max_element(items.cbegin(), items.cend(), [](const ClipItem& a, const ClipItem& b) {
            return a.capturedAt < b.capturedAt;
        });
    return newest == items.cend() ? QString() : searchText(newest->content).trimmed();
}

// Copied again, the held copy keeps the earlier copy it would be taken back
// to, and its time starts over.
void TakeBackGuard::hold(const QUuid& id, double now, const QString& previousText) {
    const QString previous = m_held ? m_held->previousText : previousText;
    m_held = Held{id, now + holdSeconds, previous};
    m_timer.start(std::chrono::milliseconds(std::llround(holdSeconds * 1000) + 1));
}
