#include "PasteboardWatcher.h"

#include "ClipClassification.h"

#include <cmath>

PasteboardWatcher::PasteboardWatcher(std::shared_ptr<PasteboardReading> pasteboard,
                                     BundleIDFunction frontmostBundleID, PIDFunction frontmostPID,
                                     double pollInterval, QObject* parent)
    : QObject(parent), m_pasteboard(std::move(pasteboard)),
      m_frontmostBundleID(std::move(frontmostBundleID)), m_frontmostPID(std::move(frontmostPID)),
      m_lastChangeCount(m_pasteboard->changeCount()), m_pollInterval(pollInterval) {}

void PasteboardWatcher::start() {
    if (m_timer)
        return;
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(std::chrono::milliseconds(std::llround(m_pollInterval * 1000)));
    connect(m_timer, &QTimer::timeout, this, &PasteboardWatcher::handleTick);
    m_timer->start();
}

void PasteboardWatcher::handleTick() {
    if (const auto pid = m_frontmostPID())
        m_lastOtherPID = pid;
    const qint64 count = m_pasteboard->changeCount();
    if (count == m_lastChangeCount)
        return;
    // Handled from here on, whatever follows: a refused or empty copy is not
    // looked at again.
    m_lastChangeCount = count;
    if (m_pasteboard->isConcealedOrTransient())
        return;
    const auto content = readCapture();
    if (!content || !onCapture)
        return;
    onCapture(*content, m_frontmostBundleID());
}

std::optional<ClipContent> PasteboardWatcher::readCapture() {
    if (m_pasteboard->isConcealedOrTransient())
        return std::nullopt;
    return clipContent(m_pasteboard->snapshot());
}
