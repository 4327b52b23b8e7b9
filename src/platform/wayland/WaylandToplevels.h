#pragma once

#include "WaylandActiveWindow.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>

struct wl_array;
struct wl_output;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

// The frontmost application on a wlroots compositor: the app id of the
// activated toplevel, through the foreign-toplevel protocol on a connection
// of our own, handled from the event loop of the thread that made it.
class WaylandToplevels final : public WaylandActiveWindow {
public:
    // None without a compositor ($WAYLAND_DISPLAY) or without the protocol.
    static std::unique_ptr<WaylandToplevels> create(QObject* parent = nullptr);
    ~WaylandToplevels() override;

private:
    // What the compositor said of a toplevel; `pending` is applied on done.
    struct Toplevel {
        QString appId;
        bool activated = false;
        QString pendingAppId;
        bool pendingActivated = false;
    };

    explicit WaylandToplevels(QObject* parent);
    bool bind() override;
    void disconnected() override;
    void applyDone(zwlr_foreign_toplevel_handle_v1* handle);
    void remove(zwlr_foreign_toplevel_handle_v1* handle);
    void updateActivated();

    static void toplevelAdded(void* data, zwlr_foreign_toplevel_manager_v1* manager,
                              zwlr_foreign_toplevel_handle_v1* handle);
    static void managerFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager);
    static void title(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* title);
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId);
    static void outputEnter(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_output* output);
    static void outputLeave(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_output* output);
    static void state(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* state);
    static void done(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void parent(void* data, zwlr_foreign_toplevel_handle_v1* handle,
                       zwlr_foreign_toplevel_handle_v1* parent);

    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    QHash<zwlr_foreign_toplevel_handle_v1*, Toplevel> m_toplevels;
    // The toplevel activated last; several may say so for a moment while
    // the focus moves from one to another.
    zwlr_foreign_toplevel_handle_v1* m_activated = nullptr;
};
