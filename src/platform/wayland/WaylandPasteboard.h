#pragma once

#include "WaylandClipboardConnection.h"
#include "capture/PasteboardReading.h"
#include "history/ClipContent.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

class QSocketNotifier;

// The Wayland clipboard as the watcher sees it, through the data-control
// protocol on a connection of its own that lives on a thread of its own:
// new selections are counted there (this process's own copies are not),
// and a copy's types are read there within one budget, so a source that
// never sends its data cannot hold the application.
class WaylandPasteboard final : public QObject, public PasteboardReading {
    Q_OBJECT

public:
    static constexpr int readBudgetMs = 1000;

    // None without a compositor that lets clipboard managers watch.
    static std::unique_ptr<WaylandPasteboard> create(QObject* parent = nullptr);
    ~WaylandPasteboard() override;

    qint64 changeCount() override { return m_changeCount; }
    bool watchChanges(std::function<void()> changed) override;
    void readSnapshot(SnapshotHandler done) override;
    void setMaximumBytes(qint64 bytes) override { m_maximumBytes = bytes; }
    // The data-control protocol the clipboard is read through.
    QString protocolName() const { return m_protocolName; }

    // Puts the content on the clipboard and answers pastes of it until
    // another client takes the clipboard. Not counted as a change.
    void write(const ClipContent& content);
    // The types and data a clip is offered as: every name Wayland and
    // X11 clients look for text under, and the clip's own formats.
    static QList<WaylandClipboardConnection::Representation>
    representations(const ClipContent& content);

private:
    explicit WaylandPasteboard(QObject* parent);
    bool start();
    // On the reading thread.
    void handleEvents();
    std::optional<PasteboardSnapshot> readCurrent();

    QThread m_thread;
    QObject* m_threadContext = nullptr;
    std::unique_ptr<WaylandClipboardConnection> m_connection;
    std::unique_ptr<QSocketNotifier> m_events;
    quint64 m_seenSelections = 0;
    std::atomic<qint64> m_changeCount = 0;
    std::atomic<qint64> m_maximumBytes = 32LL << 20;
    std::function<void()> m_changed;
    QString m_protocolName;
};
