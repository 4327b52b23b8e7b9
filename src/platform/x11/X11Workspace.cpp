#include "X11Workspace.h"

#include "platform/xdg/DesktopEntries.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <cstring>
#include <xcb/res.h>

using namespace Qt::StringLiterals;

X11Workspace::X11Workspace(std::shared_ptr<DesktopEntries> desktopEntries, QObject* parent)
    : QObject(parent), m_desktopEntries(std::move(desktopEntries)) {
    if (!m_connection.isValid())
        return;
    m_activeWindowAtom = m_connection.atom("_NET_ACTIVE_WINDOW");
    const uint32_t mask[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_change_window_attributes(m_connection.get(), m_connection.root(), XCB_CW_EVENT_MASK, mask);
    xcb_flush(m_connection.get());
    m_notifier =
        std::make_unique<QSocketNotifier>(m_connection.fileDescriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11Workspace::handleEvents);
    // The application in front at start is no activation.
    frontmost();
}

bool X11Workspace::drainActiveWindowChanges() {
    bool changed = false;
    m_connection.drainEvents([&](xcb_generic_event_t* event) {
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return;
        const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
        changed |= notify->atom == m_activeWindowAtom;
    });
    return changed;
}

void X11Workspace::handleEvents() {
    frontmost();
}

const X11Workspace::Frontmost& X11Workspace::frontmost() {
    // Polled twice a second by the watcher: the answer is kept until the
    // window manager reports another active window.
    if (!drainActiveWindowChanges() && m_frontmost)
        return *m_frontmost;
    Frontmost current;
    current.window = activeWindow();
    if (current.window) {
        current.pid = processOfWindow(*current.window);
        current.bundleID = applicationIdOfWindow(*current.window, current.pid);
    }
    const bool otherWindow = !m_frontmost || m_frontmost->window != current.window;
    m_frontmost = current;
    if (otherWindow)
        Q_EMIT activeWindowChanged();
    // Window managers pass through "no active window" between two windows,
    // sometimes even of one application: that is no activation.
    const auto activation = std::pair(current.pid, current.bundleID);
    if (current.window && m_lastActivation != activation) {
        m_lastActivation = activation;
        Q_EMIT applicationActivated(current.bundleID);
    }
    return *m_frontmost;
}

std::optional<xcb_window_t> X11Workspace::activeWindow() {
    if (!isValid())
        return std::nullopt;
    const auto value =
        m_connection.property(m_connection.root(), m_activeWindowAtom, false, XCB_ATOM_WINDOW);
    xcb_window_t window = XCB_NONE;
    if (value.format != 32 || value.bytes.size() < qsizetype(sizeof window))
        return std::nullopt;
    std::memcpy(&window, value.bytes.constData(), sizeof window);
    return window == XCB_NONE ? std::nullopt : std::optional(window);
}

std::optional<qint32> X11Workspace::processOfWindow(xcb_window_t window) {
    if (auto pid = processFromResourceExtension(window))
        return pid;
    // _NET_WM_PID is what the client claims; inside Flatpak it is the
    // sandbox's own numbering, so it comes second.
    const auto value =
        m_connection.property(window, m_connection.atom("_NET_WM_PID"), false, XCB_ATOM_CARDINAL);
    uint32_t pid = 0;
    if (value.format != 32 || value.bytes.size() < qsizetype(sizeof pid))
        return std::nullopt;
    std::memcpy(&pid, value.bytes.constData(), sizeof pid);
    return pid > 0 ? std::optional(qint32(pid)) : std::nullopt;
}

std::optional<qint32> X11Workspace::processFromResourceExtension(xcb_window_t window) {
    xcb_connection_t* c = m_connection.get();
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(c, &xcb_res_id);
    if (!res || !res->present)
        return std::nullopt;
    const xcb_res_client_id_spec_t pidOfClient{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    XcbReply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &pidOfClient), nullptr));
    if (!reply)
        return std::nullopt;
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem;
         xcb_res_client_id_value_next(&ids)) {
        // Only the process id was asked for, so every value carries one.
        if (xcb_res_client_id_value_value_length(ids.data) >= 1)
            return qint32(*xcb_res_client_id_value_value(ids.data));
    }
    return std::nullopt;
}

std::optional<QString> X11Workspace::applicationIdOfWindow(xcb_window_t window,
                                                           std::optional<qint32> pid) {
    if (pid) {
        if (auto flatpak = flatpakApplicationId(*pid))
            return flatpak;
    }
    for (const QByteArray name : {"_GTK_APPLICATION_ID", "_KDE_NET_WM_DESKTOP_FILE"}) {
        if (auto id = stringProperty(window, name); id && !id->isEmpty())
            return id;
    }
    const QByteArray wmClass =
        m_connection.property(window, XCB_ATOM_WM_CLASS, false, XCB_ATOM_STRING).bytes;
    const QList<QByteArray> parts = wmClass.split('\0');
    const QString instance =
        parts.value(0).isEmpty() ? QString() : QString::fromLocal8Bit(parts[0]);
    const QString className =
        parts.value(1).isEmpty() ? QString() : QString::fromLocal8Bit(parts[1]);
    if (instance.isEmpty() && className.isEmpty())
        return std::nullopt;
    if (m_desktopEntries) {
        if (auto id = m_desktopEntries->applicationIdForWindowClass(instance, className))
            return id;
    }
    return className.isEmpty() ? instance : className;
}

std::optional<QString> X11Workspace::flatpakApplicationId(qint32 pid) {
    const QString path = u"/proc/%1/root/.flatpak-info"_s.arg(pid);
    if (!QFile::exists(path))
        return std::nullopt;
    const QSettings info(path, QSettings::IniFormat);
    const QString name = info.value(u"Application/name"_s).toString();
    return name.isEmpty() ? std::nullopt : std::optional(name);
}

std::optional<QString> X11Workspace::stringProperty(xcb_window_t window, const QByteArray& name) {
    const auto value = m_connection.property(window, m_connection.atom(name));
    if (value.format != 8 || value.type == XCB_ATOM_NONE)
        return std::nullopt;
    return QString::fromUtf8(value.bytes);
}

std::optional<qint32> X11Workspace::frontmostPID() {
    if (!isValid())
        return std::nullopt;
    const auto pid = frontmost().pid;
    if (!pid || *pid == qint32(QCoreApplication::applicationPid()))
        return std::nullopt;
    return pid;
}

std::optional<QString> X11Workspace::frontmostBundleID() {
    if (!isValid())
        return std::nullopt;
    return frontmost().bundleID;
}

QList<xcb_window_t> X11Workspace::windowList(const QByteArray& property) {
    const auto value = m_connection.property(m_connection.root(), m_connection.atom(property),
                                             false, XCB_ATOM_WINDOW);
    QList<xcb_window_t> windows;
    if (value.format != 32)
        return windows;
    windows.resize(value.bytes.size() / qsizetype(sizeof(xcb_window_t)));
    std::memcpy(windows.data(), value.bytes.constData(), windows.size() * sizeof(xcb_window_t));
    return windows;
}

std::optional<xcb_window_t> X11Workspace::topWindowOfProcess(qint32 pid) {
    if (!isValid())
        return std::nullopt;
    QList<xcb_window_t> windows = windowList("_NET_CLIENT_LIST_STACKING");
    if (windows.isEmpty())
        windows = windowList("_NET_CLIENT_LIST");
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (processOfWindow(*it) == pid)
            return *it;
    }
    return std::nullopt;
}
