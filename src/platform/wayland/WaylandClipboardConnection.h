#pragma once

#include "WaylandDataControl.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

struct wl_display;
struct wl_seat;

// The clipboard of a Wayland compositor through its data-control protocol,
// on a connection of its own: the offered types of every new selection, and
// reading one type with a deadline, so a source that never sends its data
// cannot hold the reader. One thread uses it at a time.
class WaylandClipboardConnection : private WaylandDataControl::Listener {
public:
    // None without a compositor ($WAYLAND_DISPLAY) or without the protocol.
    static std::unique_ptr<WaylandClipboardConnection> connect();
    ~WaylandClipboardConnection() override;

    WaylandClipboardConnection(const WaylandClipboardConnection&) = delete;
    WaylandClipboardConnection& operator=(const WaylandClipboardConnection&) = delete;

    // Handles what the compositor sent, waiting up to `timeout` for it;
    // false when the connection is lost.
    bool dispatch(std::chrono::milliseconds timeout);
    // Readable when the compositor has sent something to handle.
    int fileDescriptor() const;
    // Counts the selections announced since connecting.
    quint64 changeCount() const { return m_changeCount; }
    // The current selection's types, as its source offered them; empty
    // when nothing is selected.
    QStringList offeredTypes() const;
    // One type of the current selection, or none when the source does not
    // send it all before `deadline`, sends more than `maximumBytes`, or
    // there is no selection.
    std::optional<QByteArray> read(const QString& type, QDeadlineTimer deadline,
                                   qint64 maximumBytes);

    // Takes the clipboard with these types and their data, answering every
    // paste until another client takes it.
    struct Representation {
        QString type;
        QByteArray data;
    };
    void setSelection(const QList<Representation>& representations);
    // Whether the current selection was set by this process, on any of its
    // connections: its source also offers a type private to the process.
    bool isOwnSelection() const;
    static QString ownershipType();
    // The data-control protocol bound, as the compositor names it.
    QString protocolName() const { return m_control->protocolName(); }

private:
    WaylandClipboardConnection() = default;
    bool bind();
    bool waitForEvents(std::chrono::milliseconds timeout);

    void offerAnnounced(WaylandDataControl::Offer offer) override;
    void offerType(WaylandDataControl::Offer offer, const char* mimeType) override;
    void selectionChanged(WaylandDataControl::Offer offer) override;
    void primarySelectionChanged(WaylandDataControl::Offer offer) override;
    void finished() override;
    void sendRequested(WaylandDataControl::Source source, const char* mimeType, int fd) override;
    void sourceCancelled(WaylandDataControl::Source source) override;
    void forget(WaylandDataControl::Offer offer);

    wl_display* m_display = nullptr;
    wl_seat* m_seat = nullptr;
    std::unique_ptr<WaylandDataControl> m_control;
    // Every offer announced and not yet let go of, with its types.
    QHash<WaylandDataControl::Offer, QStringList> m_offers;
    WaylandDataControl::Offer m_selection = nullptr;
    quint64 m_changeCount = 0;
    WaylandDataControl::Source m_source = nullptr;
    QHash<QString, QByteArray> m_sourceData;
    // Pastes being written on their own threads, which may outlive this.
    std::shared_ptr<std::atomic<int>> m_sends = std::make_shared<std::atomic<int>>(0);
    QString m_ownershipType;
};
