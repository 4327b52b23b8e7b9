#pragma once

#include "WaylandKeyboard.h"

#include <QString>

#include <cstdint>
#include <memory>

struct wl_display;
struct org_kde_kwin_fake_input;

// Keys typed through KWin's fake input, on a connection of its own, into
// whichever client has the keyboard focus. KWin offers the interface only
// to programs whose installed desktop entry asks for it.
class KWinFakeInput final : public WaylandKeyboard {
public:
    // None without a compositor ($WAYLAND_DISPLAY) or where KWin does not
    // offer the interface to this program. `application` and `reason` are
    // what KWin may show the user.
    static std::unique_ptr<KWinFakeInput> connect(const QString& application,
                                                  const QString& reason);
    ~KWinFakeInput() override;

    KWinFakeInput(const KWinFakeInput&) = delete;
    KWinFakeInput& operator=(const KWinFakeInput&) = delete;

    bool typeControlV() override;
    bool typeKey(uint32_t evdevCode, bool withControl = false) override;

private:
    KWinFakeInput() = default;
    void key(uint32_t evdevCode, uint32_t state);

    wl_display* m_display = nullptr;
    org_kde_kwin_fake_input* m_input = nullptr;
    uint32_t m_version = 0;
};
