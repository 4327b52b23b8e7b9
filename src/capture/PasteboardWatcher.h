#pragma once

#include "PasteboardReading.h"
#include "history/ClipContent.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// Notices every new copy through the clipboard's change counter, looked at
// when the clipboard announces a change (or, where it cannot, on a
// main-thread timer), and remembers the last other application in front,
// the paste target when Velloq itself is in front. One read runs at a time; a copy noticed while
// it runs is read when it ends, and the result of a read overtaken by a
// newer copy is dropped.
class PasteboardWatcher : public QObject {
    Q_OBJECT

public:
    using BundleIDFunction = std::function<std::optional<QString>()>;
    using PIDFunction = std::function<std::optional<qint32>()>;

    PasteboardWatcher(std::shared_ptr<PasteboardReading> pasteboard,
                      BundleIDFunction frontmostBundleID, PIDFunction frontmostPID,
                      double pollInterval, QObject* parent = nullptr);

    std::function<void(const ClipContent&, const std::optional<QString>&)> onCapture;
    // Another application put empty text on the clipboard, as password tools
    // do to clear it.
    std::function<void()> onEmptied;

    std::optional<qint32> lastOtherPID() const { return m_lastOtherPID; }

    // Set by the owner after each of Velloq's own clipboard writes, so that
    // they are never captured again.
    qint64 lastChangeCount() const { return m_lastChangeCount; }
    void setLastChangeCount(qint64 count);

    bool isStarted() const { return m_started; }
    void start();

    // One look at the counter; change notices or the timer call it.
    void handleTick();

    // Another application may have come to the front.
    void noteFrontmost();

    bool isReading() const { return m_reading; }

private:
    void readLatest();
    void capture(const PasteboardSnapshot& snapshot, const std::optional<QString>& bundleID);

    std::optional<qint32> m_lastOtherPID;
    std::shared_ptr<PasteboardReading> m_pasteboard;
    BundleIDFunction m_frontmostBundleID;
    PIDFunction m_frontmostPID;
    qint64 m_lastChangeCount;
    bool m_unreadChange = false;
    bool m_reading = false;
    QTimer* m_timer = nullptr;
    bool m_started = false;
    double m_pollInterval;
};
