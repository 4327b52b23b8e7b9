#include "X11PasteTarget.h"

#include "X11Workspace.h"

#include <QFileInfo>
#include <QTimer>

#include <cstring>
#include <xcb/xtest.h>

namespace {

constexpr uint32_t controlKeysym = 0xffe3; // Control_L
constexpr uint32_t vKeysym = 0x0076;       // v

bool processExists(qint32 pid) {
    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

} // namespace

X11PasteTarget::X11PasteTarget(X11Workspace& workspace, QObject* parent)
    : QObject(parent), m_workspace(workspace) {
    if (m_connection.isValid())
        m_timeWindow = m_connection.createHiddenWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
}

bool X11PasteTarget::hasAccess() {
    if (!m_connection.isValid())
        return false;
    const xcb_query_extension_reply_t* xtest =
        xcb_get_extension_data(m_connection.get(), &xcb_test_id);
    return xtest && xtest->present;
}

void X11PasteTarget::sendCommandV(qint32 pid) {
    const auto window = m_workspace.topWindowOfProcess(pid);
    if (!window || !hasAccess()) {
        Q_EMIT commandVAbandoned(pid);
        return;
    }
    if (m_workspace.activeWindow() != *window)
        requestActivation(*window);
    waitForActivation(*window, pid, QDeadlineTimer(activationDeadlineMs));
}

void X11PasteTarget::requestActivation(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = m_connection.atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // from a pager-like tool, which window managers obey
    // A real timestamp: focus-stealing prevention refuses 0 and stale ones.
    message.data.data32[1] = serverTime();
    message.data.data32[2] = XCB_NONE;
    xcb_send_event(m_connection.get(), 0, m_connection.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(m_connection.get());
}

void X11PasteTarget::waitForActivation(xcb_window_t window, qint32 pid, QDeadlineTimer deadline) {
    const bool expired = deadline.hasExpired();
    if (!expired && !processExists(pid)) {
        Q_EMIT commandVAbandoned(pid);
        return;
    }
    if (m_workspace.activeWindow() == window) {
        waitForModifierRelease(pid, QDeadlineTimer(modifierReleaseDeadlineMs));
        return;
    }
    if (expired) {
        Q_EMIT commandVAbandoned(pid);
        return;
    }
    QTimer::singleShot(activationPollMs, Qt::PreciseTimer, this,
                       [=, this] { waitForActivation(window, pid, deadline); });
}

void X11PasteTarget::waitForModifierRelease(qint32 pid, QDeadlineTimer deadline) {
    // A still-held Shift or Super would turn Control-V into another command;
    // after the deadline we paste anyway, the user clearly holds on.
    if (modifiersHeld() && !deadline.hasExpired()) {
        QTimer::singleShot(activationPollMs, Qt::PreciseTimer, this,
                           [=, this] { waitForModifierRelease(pid, deadline); });
        return;
    }
    if (!hasAccess() || !processExists(pid)) {
        Q_EMIT commandVAbandoned(pid);
        return;
    }
    typeControlV();
}

bool X11PasteTarget::modifiersHeld() {
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    XcbReply<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    if (!mapping || !keymap)
        return false;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int count = xcb_get_modifier_mapping_keycodes_length(mapping.get());
    for (int i = 0; i < count; ++i) {
        const xcb_keycode_t code = codes[i];
        if (code != 0 && (keymap->keys[code / 8] & (1 << (code % 8))))
            return true;
    }
    return false;
}

std::optional<xcb_keycode_t> X11PasteTarget::keycodeOf(uint32_t keysym) {
    xcb_connection_t* c = m_connection.get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    XcbReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr));
    if (!mapping)
        return std::nullopt;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perCode = mapping->keysyms_per_keycode;
    for (int code = 0; code < count; ++code) {
        // Level 0 first: the key that gives this symbol without Shift.
        if (perCode > 0 && syms[code * perCode] == keysym)
            return xcb_keycode_t(setup->min_keycode + code);
    }
    return std::nullopt;
}

void X11PasteTarget::typeControlV() {
    const auto control = keycodeOf(controlKeysym);
    const auto v = keycodeOf(vKeysym);
    if (!control || !v)
        return;
    xcb_connection_t* c = m_connection.get();
    const auto key = [c](uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(c, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    key(XCB_KEY_PRESS, *control);
    key(XCB_KEY_PRESS, *v);
    key(XCB_KEY_RELEASE, *v);
    key(XCB_KEY_RELEASE, *control);
    xcb_flush(c);
}

xcb_timestamp_t X11PasteTarget::serverTime() {
    // Appending nothing to a property of our own makes the server report the
    // current time in the PropertyNotify event.
    xcb_connection_t* c = m_connection.get();
    const xcb_atom_t atom = m_connection.atom("VELLOQ_TIMESTAMP");
    xcb_change_property(c, XCB_PROP_MODE_APPEND, m_timeWindow, atom, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    m_connection.waitForEvent(
        [&](xcb_generic_event_t* event) {
            if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (notify->window != m_timeWindow || notify->atom != atom)
                return false;
            time = notify->time;
            return true;
        },
        QDeadlineTimer(200));
    return time;
}
