#include "PasteboardWatcher.h"

#include "ClipClassification.h"

#include <QPointer>

#include <cmath>

namespace {

// An owner that is gone leaves no text at all; this one offers text, empty.
bool holdsOnlyEmptyText(const PasteboardSnapshot& snapshot) {
    return snapshot.string && snapshot.string->trimmed().isEmpty() && !snapshot.rtf &&
           !snapshot.png && !snapshot.tiff && snapshot.fileURLs.isEmpty() &&
           snapshot.webURLs.isEmpty();
}

} // namespace

PasteboardWatcher::PasteboardWatcher(std::shared_ptr<PasteboardReading> pasteboard,
                                     BundleIDFunction frontmostBundleID, PIDFunction frontmostPID,
                                     double pollInterval, QObject* parent)
    : QObject(parent), m_pasteboard(std::move(pasteboard)),
      m_frontmostBundleID(std::move(frontmostBundleID)), m_frontmostPID(std::move(frontmostPID)),
      m_lastChangeCount(m_pasteboard->changeCount()), m_pollInterval(pollInterval) {}

void PasteboardWatcher::start() {
    if (m_started)
        return;
    m_started = true;
    if (m_pasteboard->watchChanges([self = QPointer(this)] {
            if (self)
                self->handleTick();
        }))
        return;
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(std::chrono::milliseconds(std::llround(m_pollInterval * 1000)));
    connect(m_timer, &QTimer::timeout, this, &PasteboardWatcher::handleTick);
    m_timer->start();
}

void PasteboardWatcher::setLastChangeCount(qint64 count) {
    m_lastChangeCount = count;
    // Our own write replaces whatever copy was not read yet.
    m_unreadChange = false;
}

void PasteboardWatcher::noteFrontmost() {
    if (const auto pid = m_frontmostPID())
        m_lastOtherPID = pid;
}

void PasteboardWatcher::handleTick() {
    noteFrontmost();
    const qint64 count = m_pasteboard->changeCount();
    if (count == m_lastChangeCount)
        return;
    // Handled from here on, whatever follows: a refused or empty copy is not
    // looked at again.
    m_lastChangeCount = count;
    m_unreadChange = true;
    readLatest();
}

void PasteboardWatcher::readLatest() {
    if (m_reading || !m_unreadChange)
        return;
    m_reading = true;
    m_unreadChange = false;
    const qint64 count = m_lastChangeCount;
    // The application in front when the copy was noticed is where it came from.
    const std::optional<QString> bundleID = m_frontmostBundleID();
    m_pasteboard->readSnapshot(
        [self = QPointer(this), count, bundleID](std::optional<PasteboardSnapshot> snapshot) {
            if (!self)
                return;
            self->m_reading = false;
            if (snapshot && count == self->m_lastChangeCount)
                self->capture(*snapshot, bundleID);
            if (self)
                self->readLatest();
        });
}

void PasteboardWatcher::capture(const PasteboardSnapshot& snapshot,
                                const std::optional<QString>& bundleID) {
    const auto content = clipContent(snapshot);
    if (content && onCapture)
        onCapture(*content, bundleID);
    else if (!content && holdsOnlyEmptyText(snapshot) && onEmptied)
        onEmptied();
}
