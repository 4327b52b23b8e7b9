#pragma once

#include "capture/PasteboardReading.h"
#include "history/ClipContent.h"

#include <QObject>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <mutex>

class GnomeShellBridge;

// The clipboard on GNOME, through Velloq's Shell extension: each new owner
// the Shell reports counts (Velloq's own writes are not reported), and a
// copy's types are read on a thread of its own within one budget, each
// through a pipe, so a source that never sends its data holds neither the
// Shell nor the application.
class GnomeShellPasteboard final : public QObject, public PasteboardReading {
    Q_OBJECT

public:
    static constexpr int readBudgetMs = 1000;

    // `bridge` must outlive the pasteboard.
    explicit GnomeShellPasteboard(GnomeShellBridge& bridge, QObject* parent = nullptr);
    ~GnomeShellPasteboard() override;

    qint64 changeCount() override { return m_changeCount; }
    bool watchChanges(std::function<void()> changed) override;
    void readSnapshot(SnapshotHandler done) override;
    void setMaximumBytes(qint64 bytes) override { m_maximumBytes = bytes; }

    // Every type of the clip while a window of Velloq's has the keyboard
    // (GNOME lets the focused client alone take the clipboard), else the
    // one type that best stands for it, through the Shell.
    void write(const ClipContent& content);
    // That type and its data.
    static std::pair<QString, QByteArray> bestRepresentation(const ClipContent& content);

private:
    // On the reading thread.
    std::optional<PasteboardSnapshot> readCurrent();
    quint32 currentSerial();

    GnomeShellBridge& m_bridge;
    QThread m_thread;
    QObject* m_threadContext = nullptr;
    // The latest copy the Shell reported, read on the reading thread.
    std::mutex m_currentLock;
    quint32 m_serial = 0;
    QStringList m_types;
    std::atomic<qint64> m_changeCount = 0;
    std::atomic<qint64> m_maximumBytes = 32LL << 20;
    std::function<void()> m_changed;
};
