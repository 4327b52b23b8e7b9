#pragma once

#include "ClipDisk.h"

#include <QList>
#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Writes history snapshots on a thread of its own, so that encoding and
// writing a history of megabytes never holds up the thread that changes it.
// Snapshots are written in order; one handed over while another is written
// replaces any still waiting, since only the newest state matters.
// `finished` hears of each write on the thread that made the saver.
class HistorySaver {
public:
    using Finished = std::function<void(const ClipDisk::Snapshot& snapshot, bool written)>;

    explicit HistorySaver(Finished finished);
    // Writes what is still waiting; `finished` is not called any more.
    ~HistorySaver();
    HistorySaver(const HistorySaver&) = delete;
    HistorySaver& operator=(const HistorySaver&) = delete;

    void save(ClipDisk::Snapshot snapshot);
    // Whether a snapshot is waiting, being written, or its result not heard.
    bool isBusy();
    // Blocks until every snapshot handed over is written, and reports them.
    void waitUntilWritten();

private:
    struct Result {
        ClipDisk::Snapshot snapshot;
        bool written = false;
    };

    void run();
    void deliverResults();

    Finished m_finished;
    // Lives on the owner's thread, where results are delivered.
    QObject m_receiver;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<ClipDisk::Snapshot> m_waiting;
    bool m_writing = false;
    bool m_stopping = false;
    QList<Result> m_results;
    std::thread m_thread;
};
