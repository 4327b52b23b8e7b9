#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

struct wl_display;
struct wl_seat;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;
struct zwlr_data_control_source_v1;

// The clipboard of a Wayland compositor through wlroots' data-control
// protocol, on a connection of its own: the offered types of every new
// selection, and reading one type with a deadline, so a source that never
// sends its data cannot hold the reader. One thread uses it at a time.
class WaylandClipboardConnection {
public:
    // None without a compositor ($WAYLAND_DISPLAY) or without the protocol.
    static std::unique_ptr<WaylandClipboardConnection> connect();
    ~WaylandClipboardConnection();

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

private:
    WaylandClipboardConnection() = default;
    bool bind();
    bool waitForEvents(std::chrono::milliseconds timeout);

    static void dataOffer(void* data, zwlr_data_control_device_v1* device,
                          zwlr_data_control_offer_v1* offer);
    static void selection(void* data, zwlr_data_control_device_v1* device,
                          zwlr_data_control_offer_v1* offer);
    static void finished(void* data, zwlr_data_control_device_v1* device);
    static void primarySelection(void* data, zwlr_data_control_device_v1* device,
                                 zwlr_data_control_offer_v1* offer);
    static void offerType(void* data, zwlr_data_control_offer_v1* offer, const char* mimeType);
    void forget(zwlr_data_control_offer_v1* offer);
    static void sendData(void* data, zwlr_data_control_source_v1* source, const char* mimeType,
                         int32_t fd);
    static void sourceCancelled(void* data, zwlr_data_control_source_v1* source);

    wl_display* m_display = nullptr;
    wl_seat* m_seat = nullptr;
    zwlr_data_control_manager_v1* m_manager = nullptr;
    zwlr_data_control_device_v1* m_device = nullptr;
    // Every offer announced and not yet let go of, with its types.
    QHash<zwlr_data_control_offer_v1*, QStringList> m_offers;
    zwlr_data_control_offer_v1* m_selection = nullptr;
    quint64 m_changeCount = 0;
    zwlr_data_control_source_v1* m_source = nullptr;
    QHash<QString, QByteArray> m_sourceData;
    QString m_ownershipType;
};
