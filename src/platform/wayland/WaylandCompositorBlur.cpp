#include "WaylandCompositorBlur.h"

#include "ext-background-effect-v1-client.h"
#include "kde-blur-client.h"

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <climits>
#include <cstring>
#include <functional>
#include <wayland-client.h>

namespace {

void globalAdded(void* data, wl_registry* registry, uint32_t name, const char* interface,
                 uint32_t) {
    auto* found = static_cast<std::function<void(wl_registry*, uint32_t, const char*)>*>(data);
    (*found)(registry, name, interface);
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

void capabilities(void* data, ext_background_effect_manager_v1*, uint32_t flags) {
    *static_cast<bool*>(data) = flags & EXT_BACKGROUND_EFFECT_MANAGER_V1_CAPABILITY_BLUR;
}

} // namespace

std::unique_ptr<WaylandCompositorBlur> WaylandCompositorBlur::create() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native || QGuiApplication::platformName() != QLatin1String("wayland"))
        return nullptr;
    std::unique_ptr<WaylandCompositorBlur> blur(new WaylandCompositorBlur);
    blur->m_display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    if (!blur->m_display || !blur->bind())
        return nullptr;
    return blur;
}

WaylandCompositorBlur::~WaylandCompositorBlur() {
    if (m_effect)
        ext_background_effect_surface_v1_destroy(m_effect);
    if (m_effects)
        ext_background_effect_manager_v1_destroy(m_effects);
    if (m_kwinBlur)
        org_kde_kwin_blur_manager_destroy(m_kwinBlur);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_queue)
        wl_event_queue_destroy(m_queue);
}

// The globals, read on a queue of our own so that Qt's events stay Qt's;
// then, where the standard effect is offered, whether it can blur.
bool WaylandCompositorBlur::bind() {
    m_queue = wl_display_create_queue(m_display);
    auto* display = static_cast<wl_display*>(wl_proxy_create_wrapper(m_display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(display), m_queue);
    wl_registry* registry = wl_display_get_registry(display);
    wl_proxy_wrapper_destroy(display);
    std::function<void(wl_registry*, uint32_t, const char*)> found =
        [this](wl_registry* registry, uint32_t name, const char* interface) {
            if (!std::strcmp(interface, wl_compositor_interface.name) && !m_compositor)
                m_compositor = static_cast<wl_compositor*>(
                    wl_registry_bind(registry, name, &wl_compositor_interface, 1));
            else if (!std::strcmp(interface, ext_background_effect_manager_v1_interface.name))
                m_effects = static_cast<ext_background_effect_manager_v1*>(wl_registry_bind(
                    registry, name, &ext_background_effect_manager_v1_interface, 1));
            else if (!std::strcmp(interface, org_kde_kwin_blur_manager_interface.name))
                m_kwinBlur = static_cast<org_kde_kwin_blur_manager*>(
                    wl_registry_bind(registry, name, &org_kde_kwin_blur_manager_interface, 1));
        };
    static const wl_registry_listener registryListener{globalAdded, globalRemoved};
    wl_registry_add_listener(registry, &registryListener, &found);
    const bool answered = wl_display_roundtrip_queue(m_display, m_queue) >= 0;
    wl_registry_destroy(registry);
    if (!answered)
        return false;
    if (m_effects) {
        static const ext_background_effect_manager_v1_listener effectsListener{capabilities};
        ext_background_effect_manager_v1_add_listener(m_effects, &effectsListener, &m_effectsBlur);
        if (wl_display_roundtrip_queue(m_display, m_queue) < 0)
            return false;
    }
    return m_compositor && ((m_effects && m_effectsBlur) || m_kwinBlur);
}

QString WaylandCompositorBlur::protocolName() const {
    return QString::fromLatin1(m_effects && m_effectsBlur
                                   ? ext_background_effect_manager_v1_interface.name
                                   : org_kde_kwin_blur_manager_interface.name);
}

bool WaylandCompositorBlur::blurBehind(QWindow* window) {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* surface =
        window ? static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window))
               : nullptr;
    if (!surface)
        return false;
    if (m_effects && m_effectsBlur) {
        // The previous surface, and with it its effect, is gone.
        if (m_effect)
            ext_background_effect_surface_v1_destroy(m_effect);
        m_effect = ext_background_effect_manager_v1_get_background_effect(m_effects, surface);
        wl_region* everything = wl_compositor_create_region(m_compositor);
        wl_region_add(everything, 0, 0, INT_MAX, INT_MAX);
        ext_background_effect_surface_v1_set_blur_region(m_effect, everything);
        wl_region_destroy(everything);
    } else {
        // No region: the whole surface.
        org_kde_kwin_blur* blur = org_kde_kwin_blur_manager_create(m_kwinBlur, surface);
        org_kde_kwin_blur_set_region(blur, nullptr);
        org_kde_kwin_blur_commit(blur);
        org_kde_kwin_blur_release(blur);
    }
    wl_display_flush(m_display);
    window->requestUpdate();
    return true;
}
