#include "HistorySaver.h"

HistorySaver::HistorySaver(Finished finished) : m_finished(std::move(finished)) {}

HistorySaver::~HistorySaver() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void HistorySaver::save(ClipDisk::Snapshot snapshot) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting = std::move(snapshot);
    }
    m_changed.notify_all();
    // Started with the first change, so a history nobody changes costs no
    // thread.
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

bool HistorySaver::isBusy() {
    std::lock_guard lock(m_mutex);
    return m_waiting || m_writing || !m_results.isEmpty();
}

void HistorySaver::waitUntilWritten() {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_waiting && !m_writing; });
    }
    deliverResults();
}

void HistorySaver::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_waiting || m_stopping; });
        if (!m_waiting)
            return;
        ClipDisk::Snapshot snapshot = std::move(*m_waiting);
        m_waiting.reset();
        m_writing = true;
        lock.unlock();
        const bool written = ClipDisk::write(snapshot);
        lock.lock();
        m_writing = false;
        m_results.append({std::move(snapshot), written});
        m_changed.notify_all();
        QMetaObject::invokeMethod(
            &m_receiver, [this] { deliverResults(); }, Qt::QueuedConnection);
    }
}

void HistorySaver::deliverResults() {
    QList<Result> results;
    {
        std::lock_guard lock(m_mutex);
        results.swap(m_results);
    }
    for (const Result& result : std::as_const(results))
        m_finished(result.snapshot, result.written);
}
