// A newly started Wayland application's view of the seat's keyboard, as a
// browser has it: prints "ready", then "seat without keyboard" or, with a
// wl_keyboard of its own asked for before its window is shown, "keymap
// FORMAT SIZE compiled|unusable" for each keymap it is handed (format 1 is
// xkb_v1), "enter" when its window gets the keyboard and "modifiers
// applied" or "modifiers without keymap" for each modifiers event. Chromium
// hands the latter straight to xkb_state_update_mask and crashes.

#include <QGuiApplication>
#include <QRasterWindow>
#include <QTextStream>
#include <qpa/qplatformnativeinterface.h>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

struct Probe {
    QTextStream out{stdout};
    wl_seat* seat = nullptr;
    bool told = false;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
};

// As Chromium does: the text up to its closing NUL.
xkb_keymap* compile(xkb_context* context, int fd, uint32_t size) {
    void* data = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    if (data == MAP_FAILED)
        return nullptr;
    const auto* text = static_cast<const char*>(data);
    const QByteArray copy(text, qsizetype(::strnlen(text, size)));
    ::munmap(data, size);
    return xkb_keymap_new_from_string(context, copy.constData(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                      XKB_KEYMAP_COMPILE_NO_FLAGS);
}

void keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    auto* probe = static_cast<Probe*>(data);
    xkb_state_unref(probe->state);
    xkb_keymap_unref(probe->keymap);
    probe->keymap =
        format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? compile(probe->context, fd, size) : nullptr;
    probe->state = probe->keymap ? xkb_state_new(probe->keymap) : nullptr;
    ::close(fd);
    probe->out << "keymap " << format << ' ' << size << ' '
               << (probe->state ? "compiled" : "unusable") << Qt::endl;
}

void enter(void* data, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {
    static_cast<Probe*>(data)->out << "enter" << Qt::endl;
}

void modifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
               uint32_t locked, uint32_t group) {
    auto* probe = static_cast<Probe*>(data);
    if (probe->state)
        xkb_state_update_mask(probe->state, depressed, latched, locked, 0, 0, group);
    probe->out << (probe->state ? "modifiers applied" : "modifiers without keymap") << Qt::endl;
}

void leave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void repeat(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener keyboardListener{keymap, enter, leave, key, modifiers, repeat};

void capabilities(void* data, wl_seat* seat, uint32_t offered) {
    auto* probe = static_cast<Probe*>(data);
    if (probe->told)
        return;
    probe->told = true;
    if (offered & WL_SEAT_CAPABILITY_KEYBOARD)
        wl_keyboard_add_listener(wl_seat_get_keyboard(seat), &keyboardListener, probe);
    else
        probe->out << "seat without keyboard" << Qt::endl;
}

void seatName(void*, wl_seat*, const char*) {}

// A seat of our own beside Qt's, whose listener is Qt's.
void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* probe = static_cast<Probe*>(data);
    if (probe->seat || std::strcmp(interface, wl_seat_interface.name) != 0)
        return;
    static const wl_seat_listener listener{capabilities, seatName};
    probe->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 5));
    wl_seat_add_listener(probe->seat, &listener, probe);
}

void globalRemove(void*, wl_registry*, uint32_t) {}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    auto* display = static_cast<wl_display*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForIntegration("wl_display"));
    if (!display)
        return 1;
    Probe probe;
    probe.out << "ready" << Qt::endl;
    static const wl_registry_listener listener{global, globalRemove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &probe);
    // Qt dispatches the events; the window waits for the seat's answer.
    wl_display_flush(display);
    while (!probe.told)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    wl_display_flush(display);
    QRasterWindow window;
    window.show();
    return app.exec();
}
