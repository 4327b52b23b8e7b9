#include "KWinFakeInput.h"

#include "WaylandRegistry.h"
#include "kde-fake-input-client.h"

#include <wayland-client.h>

namespace {

// Key codes are the kernel's (linux/input-event-codes.h), which KWin reads
// through the user's own layout; key symbols (version 6) it finds in that
// layout, so Control-V stays Control-V on Dvorak too.
constexpr uint32_t evdevKeyLeftControl = 29;
constexpr uint32_t evdevKeyV = 47;
constexpr uint32_t keysymControlL = 0xffe3;
constexpr uint32_t keysymV = 0x76;
// keyboard_key came with version 4, destroy with 5, keyboard_keysym with 6.
constexpr uint32_t keysVersion = 4;
constexpr uint32_t destroyVersion = 5;
constexpr uint32_t keysymVersion = 6;

} // namespace

std::unique_ptr<KWinFakeInput> KWinFakeInput::connect(const QString& application,
                                                      const QString& reason) {
    std::unique_ptr<KWinFakeInput> input(new KWinFakeInput);
    input->m_display = wl_display_connect(nullptr);
    if (!input->m_display)
        return nullptr;
    const auto versions = WaylandRegistry::read(
        input->m_display,
        {WaylandRegistry::bind(input->m_input, org_kde_kwin_fake_input_interface, keysymVersion)});
    if (!versions || !input->m_input)
        return nullptr;
    input->m_version = org_kde_kwin_fake_input_get_version(input->m_input);
    if (input->m_version < keysVersion)
        return nullptr;
    org_kde_kwin_fake_input_authenticate(input->m_input, application.toUtf8().constData(),
                                         reason.toUtf8().constData());
    if (wl_display_roundtrip(input->m_display) < 0)
        return nullptr;
    return input;
}

KWinFakeInput::~KWinFakeInput() {
    if (m_input && m_version >= destroyVersion)
        org_kde_kwin_fake_input_destroy(m_input);
    else if (m_input)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_input));
    if (m_display)
        wl_display_disconnect(m_display);
}

bool KWinFakeInput::typeControlV() {
    if (m_version < keysymVersion)
        return typeKey(evdevKeyV, true);
    if (wl_display_get_error(m_display) != 0)
        return false;
    for (const uint32_t state : {WL_KEYBOARD_KEY_STATE_PRESSED, WL_KEYBOARD_KEY_STATE_RELEASED}) {
        // Control goes down first and comes up last.
        const bool pressing = state == WL_KEYBOARD_KEY_STATE_PRESSED;
        org_kde_kwin_fake_input_keyboard_keysym(m_input, pressing ? keysymControlL : keysymV,
                                                state);
        org_kde_kwin_fake_input_keyboard_keysym(m_input, pressing ? keysymV : keysymControlL,
                                                state);
    }
    return wl_display_roundtrip(m_display) >= 0;
}

bool KWinFakeInput::typeKey(uint32_t evdevCode, bool withControl) {
    if (wl_display_get_error(m_display) != 0)
        return false;
    if (withControl)
        key(evdevKeyLeftControl, WL_KEYBOARD_KEY_STATE_PRESSED);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_PRESSED);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_RELEASED);
    if (withControl)
        key(evdevKeyLeftControl, WL_KEYBOARD_KEY_STATE_RELEASED);
    return wl_display_roundtrip(m_display) >= 0;
}

void KWinFakeInput::key(uint32_t evdevCode, uint32_t state) {
    org_kde_kwin_fake_input_keyboard_key(m_input, evdevCode, state);
}
