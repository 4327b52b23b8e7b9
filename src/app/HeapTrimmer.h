#pragma once

#include <QObject>
#include <QTimer>

// Gives memory the process has freed back to the system a moment after the
// last large change (a copy of megabytes replaced, pictures dropped), which
// the allocator would otherwise keep for reuse for as long as Velloq runs.
class HeapTrimmer : public QObject {
    Q_OBJECT

public:
    explicit HeapTrimmer(QObject* parent = nullptr);

    // Makes every large block (pictures, copies of megabytes, window
    // buffers) a mapping of its own that goes back to the system when it is
    // freed. By default the allocator raises this limit after the first
    // large block is freed and keeps later ones in its heap. Call before
    // anything allocates much.
    static void keepLargeBlocksApart();

    // Trims once things have been quiet for `quietMilliseconds`.
    void trimSoon();

    static constexpr int quietMilliseconds = 1000;

private:
    QTimer m_quiet;
};
