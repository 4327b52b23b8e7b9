#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class WaylandEventPump;
struct wl_display;

// The frontmost application on a Wayland compositor, as the compositor
// tells a client it trusts: wlroots' foreign-toplevel list, or KWin's
// window management on KDE Plasma.
class WaylandActiveWindow : public QObject {
    Q_OBJECT

public:
    // The first the compositor offers; none when it tells neither.
    static std::unique_ptr<WaylandActiveWindow> create(QObject* parent = nullptr);
    ~WaylandActiveWindow() override;

    // The activated window's app id; none when no window is activated, its
    // app id is empty, or the compositor has gone away.
    std::optional<QString> activatedAppId() const;
    // Whether any window is activated; for a moment while the focus moves
    // from one window to another, none is.
    bool hasActivatedWindow() const { return m_reported != nullptr; }
    // The activated window's process, where the compositor tells it.
    virtual std::optional<qint32> activatedPid() const { return std::nullopt; }

Q_SIGNALS:
    // Another window was activated, or the activated one changed its app id.
    void activated(std::optional<QString> appId);

protected:
    explicit WaylandActiveWindow(QObject* parent = nullptr);

    // Connects to $WAYLAND_DISPLAY and binds what the class needs, then
    // handles the connection's events from the event loop of this thread;
    // false without a compositor or without what `bind` asks for.
    bool connectToCompositor();
    wl_display* display() const { return m_display; }
    virtual bool bind() = 0;
    // The compositor is gone: nothing is known any more and nothing further
    // is told.
    virtual void disconnected() = 0;

    // The window activated last while it still says so, else another that
    // does (several may for a moment while the focus moves), else none.
    template <typename Windows>
    static typename Windows::key_type stillActivated(const Windows& windows,
                                                     typename Windows::key_type last) {
        const auto current = windows.constFind(last);
        if (current != windows.cend() && current->activated)
            return last;
        for (auto it = windows.cbegin(); it != windows.cend(); ++it) {
            if (it->activated)
                return it.key();
        }
        return nullptr;
    }
    // Tells of `window` and its app id when either changed; null when none
    // is activated.
    void report(const void* window, const std::optional<QString>& appId);
    // Nothing is known any more.
    void forgetReported();

private:
    wl_display* m_display = nullptr;
    std::unique_ptr<WaylandEventPump> m_events;
    const void* m_reported = nullptr;
    std::optional<QString> m_reportedAppId;
};
