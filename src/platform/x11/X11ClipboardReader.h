#pragma once

#include "XcbConnection.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QHash>

#include <optional>

// Reads the CLIPBOARD selection of another client on a private connection,
// and counts changes of its owner through XFixes. Every read has a deadline:
// an owner that never answers, or stops half-way through a large (INCR)
// transfer, costs at most the time left, never a frozen application.
class X11ClipboardReader {
public:
    X11ClipboardReader();

    bool isValid() const { return m_window != XCB_NONE; }

    // Owner changes seen so far (set-owner, window destroyed, client gone),
    // leaving out those whose new owner window was created by `ownClientBase`
    // (the client whose resource ids share that base: our own Qt connection,
    // whose writes are counted where they happen).
    quint64 ownerChanges();
    // Whether owner changes are announced (XFixes): the connection then
    // becomes readable when one happens.
    bool announcesOwnerChanges() const { return m_hasXfixes; }
    // -1 without a connection.
    int fileDescriptor() const { return isValid() ? m_connection.fileDescriptor() : -1; }
    void ignoreOwnersOfClient(uint32_t resourceIdBase, uint32_t resourceIdMask);

    // Targets beyond this many are not looked at.
    static constexpr qint64 maximumTargets = 4096;
    // No single representation larger than this is read.
    static constexpr qint64 maximumBytes = 256LL << 20;

    // From here on, reads end early and without a result once the clipboard
    // changes owner (anyone, ourselves included): what they would return
    // belongs to a replaced copy. Costs one round trip, so that every change
    // made before the call is known by then. False when there is nothing to
    // read: no owner, or one created by the ignored client.
    bool startCopy();
    bool copyReplaced() const { return m_copyStart && *m_copyStart != m_selectionChanges; }

    // The target names `targets` may report: interned once, so an owner
    // offering thousands of others costs no round trip per name.
    void setWantedTargets(const QByteArrayList& names);

    // The wanted targets the owner offers, in its order; empty when it
    // offers none or does not answer in time.
    QByteArrayList targets(QDeadlineTimer deadline);

    // The owner's data for `target`; nullopt when it refuses, does not answer
    // in time, breaks off, or sends more than `limit` bytes (at most
    // `maximumBytes`).
    std::optional<QByteArray> read(const QByteArray& target, QDeadlineTimer deadline,
                                   qint64 limit = maximumBytes);

private:
    struct Transfer {
        QByteArray bytes;
        bool truncated = false;
    };
    std::optional<Transfer> convert(xcb_atom_t target, QDeadlineTimer deadline, qint64 limit);
    std::optional<Transfer> readIncrementally(xcb_atom_t property, QDeadlineTimer deadline,
                                              qint64 limit);
    xcb_atom_t nextProperty();
    bool isIgnoredOwner(xcb_window_t owner) const;
    // Counts owner changes; true for other events the caller may want.
    bool countOwnerChange(xcb_generic_event_t* event);

    XcbConnection m_connection;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_clipboard = XCB_NONE;
    uint8_t m_xfixesEventBase = 0;
    bool m_hasXfixes = false;
    quint64 m_ownerChanges = 0;
    quint64 m_selectionChanges = 0;
    std::optional<quint64> m_copyStart;
    uint32_t m_ignoredBase = 0;
    uint32_t m_ignoredMask = 0;
    unsigned m_propertyIndex = 0;
    QHash<xcb_atom_t, QByteArray> m_wantedTargets;
};
