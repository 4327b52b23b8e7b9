#include "HeapTrimmer.h"

#include <malloc.h>

HeapTrimmer::HeapTrimmer(QObject* parent) : QObject(parent) {
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMilliseconds);
    connect(&m_quiet, &QTimer::timeout, this, [] { malloc_trim(0); });
}

void HeapTrimmer::keepLargeBlocksApart() {
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

void HeapTrimmer::trimSoon() {
    m_quiet.start();
}
