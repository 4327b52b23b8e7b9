#pragma once

#include <QString>

#include <memory>

class QWindow;
struct ext_background_effect_manager_v1;
struct ext_background_effect_surface_v1;
struct org_kde_kwin_blur_manager;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;

// Asks the compositor to blur what lies behind a window of this process:
// through the standard background effect where the compositor says it can
// blur, else through KWin's own blur. The requests name Qt's surfaces, so
// they go on Qt's own connection, on an event queue of their own.
class WaylandCompositorBlur {
public:
    // None when Qt does not run on Wayland or the compositor blurs nothing.
    static std::unique_ptr<WaylandCompositorBlur> create();
    ~WaylandCompositorBlur();

    WaylandCompositorBlur(const WaylandCompositorBlur&) = delete;
    WaylandCompositorBlur& operator=(const WaylandCompositorBlur&) = delete;

    // Blurs behind the whole of `window` from its next frame on; false when
    // the window has no surface (it is not shown). Qt makes a new surface
    // whenever a window is shown again, so this is asked at every showing.
    bool blurBehind(QWindow* window);
    // The protocol asked through, as the compositor names it.
    QString protocolName() const;

private:
    WaylandCompositorBlur() = default;
    bool bind();

    wl_display* m_display = nullptr;
    wl_event_queue* m_queue = nullptr;
    wl_compositor* m_compositor = nullptr;
    ext_background_effect_manager_v1* m_effects = nullptr;
    org_kde_kwin_blur_manager* m_kwinBlur = nullptr;
    bool m_effectsBlur = false;
    // The effect of the surface shown last; it ends with its surface.
    ext_background_effect_surface_v1* m_effect = nullptr;
};
