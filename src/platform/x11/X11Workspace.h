#pragma once

#include "XcbConnection.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>
#include <optional>

class DesktopEntries;

// The frontmost application on X11: the window manager's active window
// (_NET_ACTIVE_WINDOW), its process and its application id. Changes of the
// active window are watched on a connection of our own, so Qt's event mask
// on the root window is left alone.
class X11Workspace : public QObject {
    Q_OBJECT

public:
    explicit X11Workspace(std::shared_ptr<DesktopEntries> desktopEntries,
                          QObject* parent = nullptr);

    bool isValid() const { return m_connection.isValid(); }

    std::optional<xcb_window_t> activeWindow();
    std::optional<qint32> processOfWindow(xcb_window_t window);
    std::optional<QString> applicationIdOfWindow(xcb_window_t window, std::optional<qint32> pid);

    // The top-most managed window of that process (stacking order of the
    // window manager), the one to bring forward for a paste.
    std::optional<xcb_window_t> topWindowOfProcess(qint32 pid);

    // The active window's process, or none when there is none or it is ours.
    std::optional<qint32> frontmostPID();
    // The active window's application id, ours included.
    std::optional<QString> frontmostBundleID();

Q_SIGNALS:
    // Another application became active (not another window of the same one).
    void applicationActivated(const std::optional<QString>& bundleID);
    // Another window became active, of any application.
    void activeWindowChanged();

private:
    struct Frontmost {
        std::optional<xcb_window_t> window;
        std::optional<qint32> pid;
        std::optional<QString> bundleID;
    };

    void handleEvents();
    bool drainActiveWindowChanges();
    const Frontmost& frontmost();
    std::optional<qint32> processFromResourceExtension(xcb_window_t window);
    std::optional<QString> flatpakApplicationId(qint32 pid);
    std::optional<QString> stringProperty(xcb_window_t window, const QByteArray& name);

    QList<xcb_window_t> windowList(const QByteArray& property);

    XcbConnection m_connection;
    std::shared_ptr<DesktopEntries> m_desktopEntries;
    std::unique_ptr<QSocketNotifier> m_notifier;
    xcb_atom_t m_activeWindowAtom = XCB_NONE;
    std::optional<Frontmost> m_frontmost;
    std::optional<std::pair<std::optional<qint32>, std::optional<QString>>> m_lastActivation;
};
