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
    // The timer is coarse: copies whose time is up are written first.
    releaseDue();
    const double now = m_now();
    if (const Held* current = clipboardCopy(); current && restores(content, *current))
        takeBack(current->id);
    const bool heldShape = isHeldShape(content);
    // Only a copy that may be held needs to know what came before it.
    const QString previous = heldShape ? newestText() : QString();
    m_onClipboard = m_store.add(content, sourceBundleID, now, heldShape);
    if (m_onClipboard && m_store.isHeldBack(*m_onClipboard))
        hold(*m_onClipboard, now, previous);
}

void TakeBackGuard::emptied() {
    releaseDue();
    // A tool empties the clipboard whatever came after its copy, and may
    // have copied twice (a name, then a password).
    while (!m_held.isEmpty())
        takeBack(m_held.back().id);
    m_onClipboard.reset();
}

void TakeBackGuard::picked(const ClipContent& content) {
    m_onClipboard = m_store.idOfContent(content);
    if (!m_onClipboard)
        return;
    const QUuid id = *m_onClipboard;
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

// What a tool copies back is the earlier copy's plain text, whatever form
// that copy had; pictures are not what it copies.
bool TakeBackGuard::restores(const ClipContent& content, const Held& held) {
    if (held.previousText.isEmpty() || std::holds_alternative<ImageContent>(content))
        return false;
    return searchText(content).trimmed() == held.previousText;
}

// The held copy that is still on the clipboard.
const TakeBackGuard::Held* TakeBackGuard::clipboardCopy() const {
    if (m_held.isEmpty() || m_held.back().id != m_onClipboard)
        return nullptr;
    return &m_held.back();
}

// Pinned, removed or trimmed meanwhile, an entry is no longer held.
void TakeBackGuard::takeBack(const QUuid& id) {
    if (m_store.isHeldBack(id))
        m_store.deleteItem(id);
    m_held.removeIf([&](const Held& held) { return held.id == id; });
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

// Copied again, a held copy keeps the earlier copy it would be taken back
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
