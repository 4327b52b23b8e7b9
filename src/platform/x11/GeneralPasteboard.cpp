#include "GeneralPasteboard.h"

#include "X11SnapshotReader.h"

#include <QClipboard>
#include <QSocketNotifier>

GeneralPasteboard::GeneralPasteboard(QClipboard* clipboard, xcb_connection_t* qtConnection,
                                     QObject* parent)
    : QObject(parent), m_snapshots(std::make_unique<X11SnapshotReader>()), m_clipboard(clipboard) {
    if (qtConnection) {
        const xcb_setup_t* setup = xcb_get_setup(qtConnection);
        m_changes.ignoreOwnersOfClient(setup->resource_id_base, setup->resource_id_mask);
        m_snapshots->ignoreOwnersOfClient(setup->resource_id_base, setup->resource_id_mask);
    }
    if (clipboard) {
        // Emitted synchronously inside setMimeData, so a write of ours is
        // counted before the writer asks for the new value.
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && m_clipboard && m_clipboard->ownsClipboard())
                ++m_ownWrites;
        });
    }
    m_readingThread.setObjectName(QStringLiteral("clipboard reader"));
    m_readingContext = new QObject;
    m_readingContext->moveToThread(&m_readingThread);
    connect(&m_readingThread, &QThread::finished, m_readingContext, &QObject::deleteLater);
    m_readingThread.start();
}

GeneralPasteboard::~GeneralPasteboard() {
    // A read in progress ends within its budget.
    m_readingThread.quit();
    m_readingThread.wait();
}

bool GeneralPasteboard::watchChanges(std::function<void()> changed) {
    const int descriptor = m_changes.fileDescriptor();
    if (descriptor < 0 || !m_changes.announcesOwnerChanges())
        return false;
    m_changeNotices = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    // Every event on this connection is an owner change (or our own, which
    // the counter leaves out); the handler reads them all.
    connect(m_changeNotices.get(), &QSocketNotifier::activated, this, [changed] { changed(); });
    // For changes already read off the connection before anyone listened.
    QMetaObject::invokeMethod(this, changed, Qt::QueuedConnection);
    return true;
}

qint64 GeneralPasteboard::changeCount() {
    return m_ownWrites + qint64(m_changes.ownerChanges());
}

void GeneralPasteboard::readSnapshot(SnapshotHandler done) {
    const QDeadlineTimer deadline(readBudgetMs);
    const qint64 limit = m_maximumBytes;
    QMetaObject::invokeMethod(m_readingContext, [this, deadline, limit, done = std::move(done)] {
        std::optional<PasteboardSnapshot> snapshot = m_snapshots->read(deadline, limit);
        QMetaObject::invokeMethod(
            this, [done, snapshot = std::move(snapshot)] { done(snapshot); }, Qt::QueuedConnection);
    });
}
