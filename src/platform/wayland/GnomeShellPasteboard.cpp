#include "GnomeShellPasteboard.h"

#include "GnomeShellBridge.h"
#include "WaylandPasteboard.h"
#include "paste/ClipMimeData.h"
#include "platform/xdg/ClipboardOffer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>

GnomeShellPasteboard::GnomeShellPasteboard(GnomeShellBridge& bridge, QObject* parent)
    : QObject(parent), m_bridge(bridge), m_serial(bridge.initialSerial()),
      m_types(bridge.initialTypes()) {
    m_thread.setObjectName(QStringLiteral("GNOME clipboard"));
    m_thread.start();
    m_threadContext = new QObject;
    m_threadContext->moveToThread(&m_thread);
    connect(&m_bridge, &GnomeShellBridge::clipboardChanged, this,
            [this](quint32 serial, const QStringList& types) {
                {
                    const std::lock_guard lock(m_currentLock);
                    m_serial = serial;
                    m_types = types;
                }
                ++m_changeCount;
                if (m_changed)
                    m_changed();
            });
}

GnomeShellPasteboard::~GnomeShellPasteboard() {
    m_threadContext->deleteLater();
    m_thread.quit();
    m_thread.wait();
}

bool GnomeShellPasteboard::watchChanges(std::function<void()> changed) {
    m_changed = std::move(changed);
    return true;
}

void GnomeShellPasteboard::readSnapshot(SnapshotHandler done) {
    QPointer<GnomeShellPasteboard> self(this);
    QMetaObject::invokeMethod(m_threadContext, [this, self, done = std::move(done)] {
        std::optional<PasteboardSnapshot> snapshot = readCurrent();
        QMetaObject::invokeMethod(this, [self, done, snapshot = std::move(snapshot)] {
            if (self)
                done(snapshot);
        });
    });
}

quint32 GnomeShellPasteboard::currentSerial() {
    const std::lock_guard lock(m_currentLock);
    return m_serial;
}

// The Shell refuses a read of a copy that a newer one replaced, and of one
// marked secret; either gives no snapshot.
std::optional<PasteboardSnapshot> GnomeShellPasteboard::readCurrent() {
    quint32 serial = 0;
    QByteArrayList types;
    {
        const std::lock_guard lock(m_currentLock);
        serial = m_serial;
        for (const QString& type : std::as_const(m_types))
            types << type.toUtf8();
    }
    const QDeadlineTimer deadline(readBudgetMs);
    const qint64 maximumBytes = m_maximumBytes;
    std::optional<PasteboardSnapshot> snapshot =
        ClipboardOffer::snapshot(types, [&](const QByteArray& type) {
            return m_bridge.read(serial, QString::fromUtf8(type), deadline, maximumBytes);
        });
    if (currentSerial() != serial)
        return std::nullopt;
    return snapshot;
}

void GnomeShellPasteboard::write(const ClipContent& content) {
    if (QGuiApplication::focusWindow()) {
        QGuiApplication::clipboard()->setMimeData(mimeDataFor(content));
        return;
    }
    const auto [type, data] = bestRepresentation(content);
    if (!type.isEmpty())
        m_bridge.write(type, data);
}

// A file list pastes as files, a picture as a picture, anything else as
// its text, which every field takes.
std::pair<QString, QByteArray>
GnomeShellPasteboard::bestRepresentation(const ClipContent& content) {
    const QList<WaylandClipboardConnection::Representation> offer =
        WaylandPasteboard::representations(content);
    const char* preferred =
        std::holds_alternative<FilesContent>(content) ? "text/uri-list" : "image/png";
    for (const char* type : {preferred, "text/plain;charset=utf-8"}) {
        for (const auto& representation : offer) {
            if (representation.type == QLatin1String(type))
                return {representation.type, representation.data};
        }
    }
    if (offer.isEmpty())
        return {};
    return {offer.constFirst().type, offer.constFirst().data};
}
