// Asks the test compositor for an activation token, as a launcher does for
// a program it starts, and prints it: `velloq-activation-token APP_ID`.
// KWin hands out tokens without a window of the asker's only to programs
// its desktop entries let see its window list.

#include "xdg-activation-v1-client.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <wayland-client.h>

namespace {

xdg_activation_v1* activation = nullptr;
std::string token;
bool done = false;

void globalAdded(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (!std::strcmp(interface, xdg_activation_v1_interface.name))
        activation = static_cast<xdg_activation_v1*>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

void tokenDone(void*, xdg_activation_token_v1*, const char* value) {
    token = value;
    done = true;
}

} // namespace

int main(int argc, char* argv[]) {
    wl_display* display = wl_display_connect(nullptr);
    if (argc != 2 || !display)
        return 1;
    static const wl_registry_listener registryListener{globalAdded, globalRemoved};
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    if (wl_display_roundtrip(display) < 0 || !activation)
        return 1;
    static const xdg_activation_token_v1_listener tokenListener{tokenDone};
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(request, &tokenListener, nullptr);
    xdg_activation_token_v1_set_app_id(request, argv[1]);
    xdg_activation_token_v1_commit(request);
    while (!done && wl_display_dispatch(display) >= 0) {
    }
    std::printf("%s\n", token.c_str());
    return done ? 0 : 1;
}
