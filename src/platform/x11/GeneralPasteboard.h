#pragma once

#include "X11ClipboardReader.h"
#include "capture/PasteboardReading.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <memory>

class QClipboard;
class QSocketNotifier;
class X11SnapshotReader;

// The X11 CLIPBOARD selection as the watcher sees it. Changes are counted on
// the calling thread, as XFixes announces them; other clients' data is read on a thread and a
// connection of its own (never through QClipboard, which blocks the main
// thread for seconds per format when an owner does not answer), within one
// budget of `readBudgetMs` for everything one copy needs. A new copy ends
// the read of the one it replaces.
class GeneralPasteboard final : public QObject, public PasteboardReading {
    Q_OBJECT

public:
    static constexpr int readBudgetMs = 1000;

    // `clipboard` is the application's own, whose writes count as changes at
    // once; `qtConnection` is Qt's X connection, whose ownership changes are
    // therefore not counted a second time. Either may be null.
    GeneralPasteboard(QClipboard* clipboard, xcb_connection_t* qtConnection,
                      QObject* parent = nullptr);
    ~GeneralPasteboard() override;

    qint64 changeCount() override;
    bool watchChanges(std::function<void()> changed) override;
    void readSnapshot(SnapshotHandler done) override;
    void setMaximumBytes(qint64 bytes) override { m_maximumBytes = bytes; }

private:
    X11ClipboardReader m_changes;
    std::unique_ptr<QSocketNotifier> m_changeNotices;
    std::unique_ptr<X11SnapshotReader> m_snapshots;
    QThread m_readingThread;
    QObject* m_readingContext = nullptr;
    std::atomic<qint64> m_maximumBytes = X11ClipboardReader::maximumBytes;
    QPointer<QClipboard> m_clipboard;
    qint64 m_ownWrites = 0;
};
