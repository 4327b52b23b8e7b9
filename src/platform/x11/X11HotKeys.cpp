#include "X11HotKeys.h"

#include "platform/xdg/VirtualKeyCodes.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>
#include <QVarLengthArray>

#include <xkbcommon/xkbcommon-keysyms.h>

// xcb/xkb.h names a field `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace CarbonModifier = KeyboardShortcuts::CarbonModifier;
using KeyboardShortcuts::EventType;

namespace {

Q_LOGGING_CATEGORY(lcHotKeys, "velloq.x11.hotkeys")

// The modifiers a shortcut can ask for; they are never ignored as locks.
constexpr uint16_t shortcutModifierMasks =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
// The eight modifier bits of an event's state; the rest are buttons and
// the XKB group.
constexpr uint16_t keyboardModifierMasks = 0xff;

uint16_t xModifiersFromCarbon(quint32 carbonModifiers) {
    uint16_t mask = 0;
    if (carbonModifiers & CarbonModifier::control)
        mask |= XCB_MOD_MASK_CONTROL;
    if (carbonModifiers & CarbonModifier::option)
        mask |= XCB_MOD_MASK_1;
    if (carbonModifiers & CarbonModifier::shift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (carbonModifiers & CarbonModifier::command)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

} // namespace

X11HotKeys::X11HotKeys(QObject* parent) : QObject(parent) {
    if (!m_connection.isValid()) {
        logOnce("no X display: global shortcuts are unavailable");
        return;
    }
    setUpXkb();
    readLockMasks();
    m_notifier =
        std::make_unique<QSocketNotifier>(m_connection.fileDescriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11HotKeys::handleEvents);
}

X11HotKeys::~X11HotKeys() {
    if (!m_connection.isValid())
        return;
    for (const Registration& registration : std::as_const(m_registrations))
        ungrab(registration);
    xcb_flush(m_connection.get());
}

void X11HotKeys::setUpXkb() {
    xcb_connection_t* c = m_connection.get();
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(c, &xcb_xkb_id);
    XcbReply<xcb_xkb_use_extension_reply_t> use;
    if (xkb && xkb->present)
        use.reset(xcb_xkb_use_extension_reply(
            c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
    if (!use || !use->supported) {
        logOnce("no XKB: a held shortcut gives a release with every repeat");
        return;
    }
    m_xkbEventBase = xkb->first_event;
    // Once a connection uses XKB, the server stops sending it the core
    // MappingNotify; keymap changes come as these notifications instead.
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    xcb_xkb_select_events_aux(c, XCB_XKB_ID_USE_CORE_KBD, events, 0, 0, 0xff, 0xff, &details);
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    XcbReply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
    if (!flags || !(flags->value & flag))
        logOnce("no detectable auto-repeat: a held shortcut gives a release with every repeat");
}

void X11HotKeys::readLockMasks() {
    xcb_connection_t* c = m_connection.get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto modifierCookie = xcb_get_modifier_mapping(c);
    const auto keyboardCookie = xcb_get_keyboard_mapping(
        c, setup->min_keycode, uint8_t(setup->max_keycode - setup->min_keycode + 1));
    XcbReply<xcb_get_modifier_mapping_reply_t> modifierMap(
        xcb_get_modifier_mapping_reply(c, modifierCookie, nullptr));
    XcbReply<xcb_get_keyboard_mapping_reply_t> keyboardMap(
        xcb_get_keyboard_mapping_reply(c, keyboardCookie, nullptr));
    uint16_t masks = XCB_MOD_MASK_LOCK;
    if (modifierMap && keyboardMap) {
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboardMap.get());
        const int keysymCount = xcb_get_keyboard_mapping_keysyms_length(keyboardMap.get());
        const int perKeyCode = keyboardMap->keysyms_per_keycode;
        const auto isLockKey = [&](xcb_keycode_t keyCode) {
            const int first = (keyCode - setup->min_keycode) * perKeyCode;
            for (int i = first;
                 keyCode >= setup->min_keycode && i < first + perKeyCode && i < keysymCount; ++i) {
                if (keysyms[i] == XKB_KEY_Num_Lock || keysyms[i] == XKB_KEY_Scroll_Lock)
                    return true;
            }
            return false;
        };
        const xcb_keycode_t* keyCodes = xcb_get_modifier_mapping_keycodes(modifierMap.get());
        const int perModifier = modifierMap->keycodes_per_modifier;
        // Rows 3 to 7 of the modifier map are Mod1 to Mod5.
        for (int row = 3; row < 8; ++row) {
            for (int i = 0; i < perModifier; ++i) {
                if (isLockKey(keyCodes[row * perModifier + i]))
                    masks |= uint16_t(1u << row);
            }
        }
    }
    m_lockMasks = masks & ~shortcutModifierMasks;
}

QList<uint16_t> X11HotKeys::lockCombinations() const {
    QList<uint16_t> combinations;
    for (uint16_t subset = m_lockMasks;; subset = (subset - 1) & m_lockMasks) {
        combinations.append(subset);
        if (subset == 0)
            break;
    }
    return combinations;
}

std::optional<X11HotKeys::Registration> X11HotKeys::translate(quint32 carbonKeyCode,
                                                              quint32 carbonModifiers) const {
    if ((carbonModifiers & ~quint32(CarbonModifier::all)) ||
        (carbonModifiers & CarbonModifier::function))
        return std::nullopt;
    const auto evdev = evdevCodeForVirtualKey(carbonKeyCode);
    if (!evdev)
        return std::nullopt;
    const quint32 keyCode = *evdev + xKeycodeOffset;
    const xcb_setup_t* setup = xcb_get_setup(m_connection.get());
    if (keyCode < setup->min_keycode || keyCode > setup->max_keycode)
        return std::nullopt;
    return Registration{xcb_keycode_t(keyCode), xModifiersFromCarbon(carbonModifiers)};
}

bool X11HotKeys::registerHotKey(quint32 id, quint32 carbonKeyCode, quint32 carbonModifiers) {
    unregisterHotKey(id);
    if (!m_connection.isValid())
        return false;
    const auto registration = translate(carbonKeyCode, carbonModifiers);
    if (!registration)
        return false;
    for (const Registration& other : std::as_const(m_registrations)) {
        // The server would let us grab it twice; ungrabbing one would then
        // silently end the other.
        if (other.keyCode == registration->keyCode && other.modifiers == registration->modifiers)
            return false;
    }
    const bool granted = grab(*registration);
    if (granted)
        m_registrations.insert(id, *registration);
    scheduleEventCheck();
    return granted;
}

void X11HotKeys::unregisterHotKey(quint32 id) {
    const auto registration = m_registrations.constFind(id);
    if (registration == m_registrations.constEnd())
        return;
    ungrab(*registration);
    xcb_flush(m_connection.get());
    if (m_down.value(registration->keyCode) == id)
        m_down.remove(registration->keyCode);
    m_registrations.erase(registration);
}

bool X11HotKeys::isTakenBySystem(quint32 carbonKeyCode, quint32 carbonModifiers) {
    const std::optional<Registration> wanted = translate(carbonKeyCode, carbonModifiers);
    if (!wanted)
        return false;
    // Ours: trying it again would release it.
    for (const Registration& registration : std::as_const(m_registrations)) {
        if (registration.keyCode == wanted->keyCode && registration.modifiers == wanted->modifiers)
            return false;
    }
    if (!grab(*wanted))
        return true;
    ungrab(*wanted);
    xcb_flush(m_connection.get());
    return false;
}

bool X11HotKeys::grab(const Registration& registration) {
    xcb_connection_t* c = m_connection.get();
    QVarLengthArray<xcb_void_cookie_t, 8> cookies;
    // Asynchronous modes, so the keyboard never freezes waiting for this
    // process. Owner events off: this connection has no windows of its own,
    // so every event of the grab comes here relative to the root anyway.
    for (const uint16_t locks : lockCombinations())
        cookies.append(xcb_grab_key_checked(c, 0, m_connection.root(),
                                            registration.modifiers | locks, registration.keyCode,
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool granted = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        // BadAccess: another client grabbed this combination first.
        if (XcbReply<xcb_generic_error_t> error{xcb_request_check(c, cookie)})
            granted = false;
    }
    if (!granted) {
        // Ungrabbing only ever releases our own grabs, so the combinations
        // the other client holds stay untouched.
        ungrab(registration);
        xcb_flush(c);
    }
    return granted;
}

void X11HotKeys::ungrab(const Registration& registration) {
    for (const uint16_t locks : lockCombinations())
        xcb_ungrab_key(m_connection.get(), registration.keyCode, m_connection.root(),
                       registration.modifiers | locks);
}

void X11HotKeys::regrabAll() {
    xcb_connection_t* c = m_connection.get();
    // Released under any modifiers: the lock masks they were made with may
    // be gone from the new modifier map.
    for (const Registration& registration : std::as_const(m_registrations))
        xcb_ungrab_key(c, registration.keyCode, m_connection.root(), XCB_MOD_MASK_ANY);
    readLockMasks();
    QList<quint32> lost;
    for (auto it = m_registrations.begin(); it != m_registrations.end();) {
        if (grab(*it)) {
            ++it;
            continue;
        }
        lost.append(it.key());
        if (m_down.value(it->keyCode) == it.key())
            m_down.remove(it->keyCode);
        it = m_registrations.erase(it);
    }
    xcb_flush(c);
    QPointer<X11HotKeys> self(this);
    for (const quint32 id : std::as_const(lost)) {
        if (onRegistrationLost)
            onRegistrationLost(id);
        if (!self)
            return;
    }
}

void X11HotKeys::handleEvents() {
    QPointer<X11HotKeys> self(this);
    xcb_connection_t* c = m_connection.get();
    for (;;) {
        bool mappingChanged = false;
        while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
                const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
                handleKey(type == XCB_KEY_PRESS, key->detail, key->state);
                if (!self)
                    return;
            } else if (type == XCB_MAPPING_NOTIFY) {
                const auto* mapping =
                    reinterpret_cast<const xcb_mapping_notify_event_t*>(event.get());
                mappingChanged |= mapping->request != XCB_MAPPING_POINTER;
            } else if (m_xkbEventBase && type == m_xkbEventBase) {
                // Only the keymap notifications were selected.
                mappingChanged = true;
            }
        }
        if (xcb_connection_has_error(c)) {
            // A closed connection stays readable: stop watching it.
            m_notifier->setEnabled(false);
            logOnce("the X connection was lost: global shortcuts stop working");
            return;
        }
        if (!mappingChanged)
            return;
        // Regrabbing reads replies, which may queue further events.
        regrabAll();
        if (!self)
            return;
    }
}

void X11HotKeys::handleKey(bool press, xcb_keycode_t keyCode, uint16_t state) {
    if (!onHotKeyEvent)
        return;
    // While the grab is active, the releases of the modifiers arrive here as
    // well, and the key may be let go after Super: a release is matched by
    // its key code to the registration that is down, never by modifiers.
    // Detectable auto-repeat makes a held key repeat as presses alone, each
    // one a key-down of the same registration.
    if (const auto down = m_down.constFind(keyCode); down != m_down.constEnd()) {
        const quint32 id = *down;
        if (!press)
            m_down.erase(down);
        onHotKeyEvent(id, press ? EventType::keyDown : EventType::keyUp);
        return;
    }
    if (!press)
        return;
    if (const auto id = registrationFor(keyCode, state)) {
        m_down.insert(keyCode, *id);
        onHotKeyEvent(*id, EventType::keyDown);
    }
}

std::optional<quint32> X11HotKeys::registrationFor(xcb_keycode_t keyCode, uint16_t state) const {
    const uint16_t modifiers = state & keyboardModifierMasks & ~m_lockMasks;
    for (auto it = m_registrations.cbegin(); it != m_registrations.cend(); ++it) {
        if (it->keyCode == keyCode && it->modifiers == modifiers)
            return it.key();
    }
    return std::nullopt;
}

void X11HotKeys::scheduleEventCheck() {
    // Replies read while registering may have brought events along; they
    // sit in xcb's queue, where the socket notifier cannot see them.
    QTimer::singleShot(0, this, &X11HotKeys::handleEvents);
}

void X11HotKeys::logOnce(const char* message) {
    if (m_logged)
        return;
    m_logged = true;
    qCDebug(lcHotKeys) << message;
}
