#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <xcb/xcb.h>

// A private connection to the X server. Velloq keeps its own connections
// for work that must not disturb Qt's: reading another client's clipboard
// (which may never answer) and watching the active window.
class XcbConnection {
public:
    // Connects to $DISPLAY; check isValid() afterwards.
    XcbConnection();
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t* get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    int fileDescriptor() const;

    // The atom of that name, created when missing; cached.
    xcb_atom_t atom(const QByteArray& name);
    // Interns all these names in one round trip, for later atom() calls.
    void internAtoms(const QByteArrayList& names);
    QByteArray atomName(xcb_atom_t atom);

    // Creates an unmapped 1×1 input-only window with the given event mask.
    xcb_window_t createHiddenWindow(uint32_t eventMask);

    // Hands every queued event to `handle` until it returns true, or until
    // the deadline passes (false). Events are freed after handling.
    bool waitForEvent(const std::function<bool(xcb_generic_event_t*)>& handle,
                      QDeadlineTimer deadline);
    // Hands every event already received to `handle`, without waiting.
    void drainEvents(const std::function<void(xcb_generic_event_t*)>& handle);

    // A property's value: its type, format and bytes (format 8/16/32).
    struct Property {
        xcb_atom_t type = XCB_ATOM_NONE;
        uint8_t format = 0;
        QByteArray bytes;
        // More than `maximumBytes` were there; `bytes` holds only the start.
        bool truncated = false;
    };
    Property property(xcb_window_t window, xcb_atom_t property, bool remove = false,
                      xcb_atom_t type = XCB_GET_PROPERTY_TYPE_ANY,
                      qint64 maximumBytes = qint64(UINT32_MAX));

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    QHash<QByteArray, xcb_atom_t> m_atoms;
};

// Frees xcb replies and events with std::free.
struct XcbFree {
    void operator()(void* pointer) const;
};
template <class T>
using XcbReply = std::unique_ptr<T, XcbFree>;
