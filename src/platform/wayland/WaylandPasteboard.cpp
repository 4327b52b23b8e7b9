#include "WaylandPasteboard.h"

#include "WaylandClipboardConnection.h"
#include "paste/ClipMimeData.h"
#include "platform/xdg/ClipboardOffer.h"

#include <QMimeData>
#include <QPointer>
#include <QSocketNotifier>

#include <cstdio>
#include <wayland-client.h>

std::unique_ptr<WaylandPasteboard> WaylandPasteboard::create(QObject* parent) {
    std::unique_ptr<WaylandPasteboard> pasteboard(new WaylandPasteboard(parent));
    if (!pasteboard->start())
        return nullptr;
    return pasteboard;
}

WaylandPasteboard::WaylandPasteboard(QObject* parent) : QObject(parent) {}

WaylandPasteboard::~WaylandPasteboard() {
    if (m_threadContext) {
        // The connection and its notifier belong to the reading thread.
        QMetaObject::invokeMethod(
            m_threadContext,
            [this] {
                m_events.reset();
                m_connection.reset();
            },
            Qt::BlockingQueuedConnection);
        m_threadContext->deleteLater();
    }
    m_thread.quit();
    m_thread.wait();
}

// The connection is made on the reading thread, where all its events are
// handled from then on.
bool WaylandPasteboard::start() {
    m_thread.setObjectName(QStringLiteral("Wayland clipboard"));
    m_thread.start();
    m_threadContext = new QObject;
    m_threadContext->moveToThread(&m_thread);
    bool connected = false;
    QMetaObject::invokeMethod(
        m_threadContext,
        [this, &connected] {
            m_connection = WaylandClipboardConnection::connect();
            if (!m_connection)
                return;
            m_seenSelections = m_connection->changeCount();
            m_protocolName = m_connection->protocolName();
            m_events = std::make_unique<QSocketNotifier>(m_connection->fileDescriptor(),
                                                         QSocketNotifier::Read);
            QObject::connect(m_events.get(), &QSocketNotifier::activated, m_threadContext,
                             [this] { handleEvents(); });
            connected = true;
        },
        Qt::BlockingQueuedConnection);
    return connected;
}

bool WaylandPasteboard::watchChanges(std::function<void()> changed) {
    m_changed = std::move(changed);
    return true;
}

// A new selection of another client counts; the watcher is told on its own
// thread.
void WaylandPasteboard::handleEvents() {
    if (!m_connection->dispatch(std::chrono::milliseconds(0))) {
        // The compositor closed this connection: its socket stays readable,
        // so it is heard no more rather than spun on.
        m_events->setEnabled(false);
        std::fputs("velloq: the compositor closed the clipboard connection; new copies are not "
                   "recorded until Velloq starts again\n",
                   stderr);
        return;
    }
    const quint64 selections = m_connection->changeCount();
    if (selections == m_seenSelections)
        return;
    m_seenSelections = selections;
    if (m_connection->isOwnSelection())
        return;
    ++m_changeCount;
    QMetaObject::invokeMethod(this, [this] {
        if (m_changed)
            m_changed();
    });
}

void WaylandPasteboard::readSnapshot(SnapshotHandler done) {
    QPointer<WaylandPasteboard> self(this);
    QMetaObject::invokeMethod(m_threadContext, [this, self, done = std::move(done)] {
        std::optional<PasteboardSnapshot> snapshot = readCurrent();
        QMetaObject::invokeMethod(this, [self, done, snapshot = std::move(snapshot)] {
            if (self)
                done(snapshot);
        });
    });
}

std::optional<PasteboardSnapshot> WaylandPasteboard::readCurrent() {
    if (m_connection->isOwnSelection())
        return std::nullopt;
    const quint64 selection = m_connection->changeCount();
    QByteArrayList types;
    for (const QString& type : m_connection->offeredTypes())
        types << type.toUtf8();
    const QDeadlineTimer deadline(readBudgetMs);
    const qint64 maximumBytes = m_maximumBytes;
    std::optional<PasteboardSnapshot> snapshot =
        ClipboardOffer::snapshot(types, [&](const QByteArray& type) {
            return m_connection->read(QString::fromUtf8(type), deadline, maximumBytes);
        });
    // A newer copy that came during the read is read in its turn.
    m_connection->dispatch(std::chrono::milliseconds(0));
    if (m_connection->changeCount() != selection)
        return std::nullopt;
    return snapshot;
}

void WaylandPasteboard::write(const ClipContent& content) {
    // The connection answers pastes on its own thread; the write queues
    // behind a read under way there, so it never waits for another client.
    QMetaObject::invokeMethod(m_threadContext, [this, offer = representations(content)] {
        m_connection->setSelection(offer);
    });
}

QList<WaylandClipboardConnection::Representation>
WaylandPasteboard::representations(const ClipContent& content) {
    const std::unique_ptr<QMimeData> data(mimeDataFor(content));
    QList<WaylandClipboardConnection::Representation> offer;
    for (const QString& type : data->formats()) {
        if (type == QLatin1String("text/plain")) {
            const QByteArray text = data->text().toUtf8();
            for (const char* name : {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING"})
                offer.append({QString::fromLatin1(name), text});
        } else {
            offer.append({type, data->data(type)});
        }
    }
    return offer;
}
