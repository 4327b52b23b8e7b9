#include "X11ButtonPresses.h"

#include <xcb/xinput.h>

namespace {

// Buttons 4 to 7 are the wheel's turns, which move nothing elsewhere.
bool isWheel(uint32_t button) {
    return button >= 4 && button <= 7;
}

} // namespace

X11ButtonPresses::X11ButtonPresses(QObject* parent) : QObject(parent) {}

X11ButtonPresses::~X11ButtonPresses() = default;

bool X11ButtonPresses::connect() {
    if (m_connection)
        return m_inputOpcode != 0;
    m_connection = std::make_unique<XcbConnection>();
    if (!m_connection->isValid())
        return false;
    xcb_connection_t* c = m_connection->get();
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(c, &xcb_input_id);
    if (!input || !input->present)
        return false;
    // Raw events reach every client that selects them, grabs or not, from
    // version 2.1 on.
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || (version->major_version == 2 && version->minor_version < 1))
        return false;
    m_inputOpcode = input->major_opcode;
    m_notifier =
        std::make_unique<QSocketNotifier>(m_connection->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this,
                     &X11ButtonPresses::handleEvents);
    return true;
}

void X11ButtonPresses::setWatching(bool watching) {
    if (watching == m_watching || (watching && !connect()))
        return;
    m_watching = watching;
    selectPresses(watching);
}

void X11ButtonPresses::selectPresses(bool selected) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           selected ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
    xcb_input_xi_select_events(m_connection->get(), m_connection->root(), 1, &mask.head);
    xcb_flush(m_connection->get());
}

void X11ButtonPresses::handleEvents() {
    bool pressedAButton = false;
    m_connection->drainEvents([&](xcb_generic_event_t* event) {
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
            return;
        const auto* raw = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
        pressedAButton |= raw->extension == m_inputOpcode &&
                          raw->event_type == XCB_INPUT_RAW_BUTTON_PRESS && !isWheel(raw->detail);
    });
    // Presses that arrive after watching ended are old news.
    if (pressedAButton && m_watching)
        Q_EMIT pressed(topLevelWindowUnderPointer());
}

xcb_window_t X11ButtonPresses::topLevelWindowUnderPointer() {
    xcb_connection_t* c = m_connection->get();
    XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, m_connection->root()), nullptr));
    return pointer && pointer->same_screen ? pointer->child : xcb_window_t(XCB_NONE);
}
