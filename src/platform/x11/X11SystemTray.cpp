#include "X11SystemTray.h"

#include "XcbConnection.h"

#include <QCoreApplication>

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()),
        nullptr));
    return reply ? reply->atom : XCB_NONE;
}

} // namespace

X11SystemTray::X11SystemTray(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection) {
    if (!m_connection)
        return;
    m_selection = internAtom(m_connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
    m_manager = internAtom(m_connection, "MANAGER");
}

X11SystemTray::~X11SystemTray() {
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11SystemTray::isRunning() const {
    if (m_selection == XCB_NONE)
        return false;
    const XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_selection), nullptr));
    return owner && owner->owner != XCB_NONE;
}

void X11SystemTray::observe(std::function<void()> started) {
    m_started = std::move(started);
    if (!m_filtering && m_selection != XCB_NONE) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
}

bool X11SystemTray::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !m_started)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    // MANAGER's second field names the selection the new manager took.
    if (client->type == m_manager && client->format == 32 && client->data.data32[1] == m_selection)
        m_started();
    return false;
}
