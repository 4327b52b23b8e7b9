#include "XcbConnection.h"

#include <cstdlib>
#include <poll.h>

void XcbFree::operator()(void* pointer) const {
    std::free(pointer);
}

XcbConnection::XcbConnection() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = screens.data->root;
}

XcbConnection::~XcbConnection() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

int XcbConnection::fileDescriptor() const {
    return m_connection ? xcb_get_file_descriptor(m_connection) : -1;
}

xcb_atom_t XcbConnection::atom(const QByteArray& name) {
    if (const auto cached = m_atoms.constFind(name); cached != m_atoms.constEnd())
        return *cached;
    const auto cookie = xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData());
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE)
        m_atoms.insert(name, atom);
    return atom;
}

QByteArray XcbConnection::atomName(xcb_atom_t atom) {
    const auto cookie = xcb_get_atom_name(m_connection, atom);
    XcbReply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(m_connection, cookie, nullptr));
    if (!reply)
        return {};
    return QByteArray(xcb_get_atom_name_name(reply.get()),
                      xcb_get_atom_name_name_length(reply.get()));
}

xcb_window_t XcbConnection::createHiddenWindow(uint32_t eventMask) {
    const xcb_window_t window = xcb_generate_id(m_connection);
    const uint32_t values[] = {eventMask};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, values);
    xcb_flush(m_connection);
    return window;
}

bool XcbConnection::waitForEvent(const std::function<bool(xcb_generic_event_t*)>& handle,
                                 QDeadlineTimer deadline) {
    xcb_flush(m_connection);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const bool done = handle(event);
            std::free(event);
            if (done)
                return true;
        }
        if (xcb_connection_has_error(m_connection) || deadline.hasExpired())
            return false;
        pollfd descriptor{fileDescriptor(), POLLIN, 0};
        const qint64 remaining = deadline.remainingTime();
        ::poll(&descriptor, 1, int(remaining < 0 ? 1000 : qMin<qint64>(remaining, 1000)));
    }
}

void XcbConnection::drainEvents(const std::function<void(xcb_generic_event_t*)>& handle) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        handle(event);
        std::free(event);
    }
}

void XcbConnection::internAtoms(const QByteArrayList& names) {
    QList<std::pair<QByteArray, xcb_intern_atom_cookie_t>> requests;
    for (const QByteArray& name : names) {
        if (!m_atoms.contains(name))
            requests.append(
                {name, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData())});
    }
    for (const auto& [name, cookie] : std::as_const(requests)) {
        XcbReply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(m_connection, cookie, nullptr));
        if (reply && reply->atom != XCB_ATOM_NONE)
            m_atoms.insert(name, reply->atom);
    }
}

XcbConnection::Property XcbConnection::property(xcb_window_t window, xcb_atom_t property,
                                                bool remove, xcb_atom_t type, qint64 maximumBytes) {
    // The length is counted in 4-byte units; one unit more than the limit
    // tells a value at the limit from a longer one. The server deletes the
    // property only when the whole value was read.
    const uint32_t units = uint32_t(std::min<qint64>(maximumBytes / 4 + 1, UINT32_MAX / 4));
    const auto cookie =
        xcb_get_property(m_connection, remove ? 1 : 0, window, property, type, 0, units);
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    Property result;
    if (!reply)
        return result;
    result.type = reply->type;
    result.format = reply->format;
    const int length = xcb_get_property_value_length(reply.get());
    result.truncated = reply->bytes_after > 0 || length > maximumBytes;
    if (length > 0)
        result.bytes =
            QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
    return result;
}
