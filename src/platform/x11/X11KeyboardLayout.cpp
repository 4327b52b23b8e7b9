#include "X11KeyboardLayout.h"

#include "platform/xdg/VirtualKeyCodes.h"

#include <algorithm>
#include <xkbcommon/xkbcommon.h>

// xcb/xkb.h names a field `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#include <xkbcommon/xkbcommon-x11.h>
#undef explicit

namespace {

// The header every XKB event starts with.
struct XkbEventHeader {
    uint8_t responseType;
    uint8_t xkbType;
};

bool isPrintable(const QString& text) {
    const QList<uint> codePoints = text.toUcs4();
    return !codePoints.isEmpty() &&
           std::all_of(codePoints.begin(), codePoints.end(),
                       [](uint codePoint) { return QChar::isPrint(char32_t(codePoint)); });
}

} // namespace

void X11KeyboardLayout::Unref::operator()(xkb_context* context) const {
    xkb_context_unref(context);
}

void X11KeyboardLayout::Unref::operator()(xkb_keymap* keymap) const {
    xkb_keymap_unref(keymap);
}

void X11KeyboardLayout::Unref::operator()(xkb_state* state) const {
    xkb_state_unref(state);
}

X11KeyboardLayout::X11KeyboardLayout() {
    xcb_connection_t* c = m_connection.get();
    if (!c || !xkb_x11_setup_xkb_extension(
                  c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                  XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &m_xkbEventBase, nullptr))
        return;
    // Building the keymap from the server costs about 0.9 ms (measured under
    // Xvfb), and callers may ask for every key in a row; so it is kept, and
    // rebuilt only when XKB reports a new keyboard or keymap, while group
    // switches just update the state. A call then costs about 1.5 µs. Only
    // these rare notifications are selected, so they can wait in the socket
    // until the next call.
    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                            XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const uint16_t groups = XCB_XKB_STATE_PART_GROUP_BASE | XCB_XKB_STATE_PART_GROUP_LATCH |
                            XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = groups;
    details.stateDetails = groups;
    xcb_xkb_select_events_aux(c, XCB_XKB_ID_USE_CORE_KBD, events, 0, 0, 0xff, 0xff, &details);
    xcb_flush(c);
    m_context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
}

X11KeyboardLayout::~X11KeyboardLayout() = default;

void X11KeyboardLayout::applyNotifications() {
    m_connection.drainEvents([this](xcb_generic_event_t* event) {
        if ((event->response_type & 0x7f) != m_xkbEventBase)
            return;
        const auto* header = reinterpret_cast<const XkbEventHeader*>(event);
        if (header->xkbType != XCB_XKB_STATE_NOTIFY) {
            m_keymapOutdated = true;
            return;
        }
        const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
        if (m_state)
            xkb_state_update_mask(m_state.get(), state->baseMods, state->latchedMods,
                                  state->lockedMods, xkb_layout_index_t(state->baseGroup),
                                  xkb_layout_index_t(state->latchedGroup), state->lockedGroup);
    });
    if (m_keymapOutdated)
        loadKeymap();
}

void X11KeyboardLayout::loadKeymap() {
    m_state.reset();
    m_keymap.reset();
    xcb_connection_t* c = m_connection.get();
    const int32_t device = xkb_x11_get_core_keyboard_device_id(c);
    if (device < 0)
        return;
    m_keymap.reset(
        xkb_x11_keymap_new_from_device(m_context.get(), c, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (m_keymap)
        m_state.reset(xkb_x11_state_new_from_device(m_keymap.get(), c, device));
    m_keymapOutdated = !m_state;
}

std::optional<QString> X11KeyboardLayout::character(qint64 virtualKeyCode) {
    const auto evdev = evdevCodeForVirtualKey(virtualKeyCode);
    if (!evdev || !isValid())
        return std::nullopt;
    applyNotifications();
    if (!m_state)
        return std::nullopt;
    const xkb_keycode_t keyCode = *evdev + xKeycodeOffset;
    const xkb_layout_index_t layout = xkb_state_key_get_layout(m_state.get(), keyCode);
    if (layout == XKB_LAYOUT_INVALID)
        return std::nullopt;
    const xkb_keysym_t* keysyms = nullptr;
    const int count =
        xkb_keymap_key_get_syms_by_level(m_keymap.get(), keyCode, layout, 0, &keysyms);
    QString text;
    for (int i = 0; i < count; ++i) {
        char utf8[16] = {};
        if (xkb_keysym_to_utf8(keysyms[i], utf8, sizeof utf8) > 0)
            text += QString::fromUtf8(utf8);
    }
    return isPrintable(text) ? std::optional(text) : std::nullopt;
}
