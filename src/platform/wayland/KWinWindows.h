#pragma once

#include "WaylandActiveWindow.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>

struct org_kde_plasma_window;
struct org_kde_plasma_window_management;

// The frontmost application on KDE Plasma: the app id (its desktop entry's
// name) and process of the active window, through KWin's window management
// on a connection of its own, handled from the event loop of the thread
// that made it. KWin offers it only to programs whose installed desktop
// entry asks for it.
class KWinWindows final : public WaylandActiveWindow {
public:
    // None without a compositor ($WAYLAND_DISPLAY) or where KWin does not
    // offer the interface to this program.
    static std::unique_ptr<KWinWindows> create(QObject* parent = nullptr);
    ~KWinWindows() override;

    std::optional<qint32> activatedPid() const override;

private:
    struct Window {
        QString appId;
        qint32 pid = 0;
        bool activated = false;
    };

    explicit KWinWindows(QObject* parent);
    bool bind() override;
    void disconnected() override;
    void remove(org_kde_plasma_window* window);
    void updateActive();

    static void windowAnnounced(void* data, org_kde_plasma_window_management* management,
                                uint32_t id, const char* uuid);
    static void appIdChanged(void* data, org_kde_plasma_window* window, const char* appId);
    static void stateChanged(void* data, org_kde_plasma_window* window, uint32_t flags);
    static void pidChanged(void* data, org_kde_plasma_window* window, uint32_t pid);
    static void unmapped(void* data, org_kde_plasma_window* window);

    org_kde_plasma_window_management* m_management = nullptr;
    QHash<org_kde_plasma_window*, Window> m_windows;
    org_kde_plasma_window* m_active = nullptr;
};
