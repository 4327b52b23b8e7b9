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

    // Trims once things have been quiet for `quietMilliseconds`.
    void trimSoon();

    static constexpr int quietMilliseconds = 1000;

private:
    QTimer m_quiet;
};
