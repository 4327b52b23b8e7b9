#include "X11ClipboardReader.h"

#include <cstring>
#include <xcb/xfixes.h>

namespace {

// Late answers to a request that timed out must not be taken for the answer
// to the next one, so requests cycle through a few properties.
constexpr unsigned propertyCount = 4;

} // namespace

X11ClipboardReader::X11ClipboardReader() {
    if (!m_connection.isValid())
        return;
    xcb_connection_t* c = m_connection.get();
    m_window = m_connection.createHiddenWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    m_clipboard = m_connection.atom("CLIPBOARD");
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    m_hasXfixes = version != nullptr;
    m_xfixesEventBase = xfixes->first_event;
    xcb_xfixes_select_selection_input(c, m_window, m_clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
}

void X11ClipboardReader::ignoreOwnersOfClient(uint32_t resourceIdBase, uint32_t resourceIdMask) {
    m_ignoredBase = resourceIdBase;
    m_ignoredMask = resourceIdMask;
}

bool X11ClipboardReader::countOwnerChange(xcb_generic_event_t* event) {
    if (!m_hasXfixes ||
        (event->response_type & 0x7f) != m_xfixesEventBase + XCB_XFIXES_SELECTION_NOTIFY)
        return true;
    const auto* notify = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event);
    const bool ours = isIgnoredOwner(notify->owner);
    if (notify->selection != m_clipboard)
        return false;
    ++m_selectionChanges;
    if (!ours)
        ++m_ownerChanges;
    return false;
}

bool X11ClipboardReader::isIgnoredOwner(xcb_window_t owner) const {
    return m_ignoredMask != 0 && owner != XCB_NONE && (owner & ~m_ignoredMask) == m_ignoredBase;
}

bool X11ClipboardReader::startCopy() {
    if (!isValid())
        return false;
    xcb_connection_t* c = m_connection.get();
    // Events sent before the reply are queued by the time it arrives.
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_clipboard), nullptr));
    m_connection.drainEvents([this](xcb_generic_event_t* event) { countOwnerChange(event); });
    m_copyStart = m_selectionChanges;
    return owner && owner->owner != XCB_NONE && !isIgnoredOwner(owner->owner);
}

quint64 X11ClipboardReader::ownerChanges() {
    if (isValid())
        m_connection.drainEvents([this](xcb_generic_event_t* event) { countOwnerChange(event); });
    return m_ownerChanges;
}

void X11ClipboardReader::setWantedTargets(const QByteArrayList& names) {
    m_connection.internAtoms(names);
    m_wantedTargets.clear();
    for (const QByteArray& name : names) {
        if (const xcb_atom_t atom = m_connection.atom(name); atom != XCB_ATOM_NONE)
            m_wantedTargets.insert(atom, name);
    }
}

QByteArrayList X11ClipboardReader::targets(QDeadlineTimer deadline) {
    // A longer list is cut, not refused: the first targets are the usual ones.
    const auto list = convert(m_connection.atom("TARGETS"), deadline,
                              maximumTargets * qint64(sizeof(xcb_atom_t)));
    QByteArrayList names;
    if (!list)
        return names;
    const qsizetype count =
        std::min<qsizetype>(list->bytes.size() / qsizetype(sizeof(xcb_atom_t)), maximumTargets);
    for (qsizetype i = 0; i < count; ++i) {
        xcb_atom_t atom = XCB_ATOM_NONE;
        std::memcpy(&atom, list->bytes.constData() + i * qsizetype(sizeof atom), sizeof atom);
        const auto wanted = m_wantedTargets.constFind(atom);
        if (wanted != m_wantedTargets.constEnd() && !names.contains(*wanted))
            names.append(*wanted);
    }
    return names;
}

std::optional<QByteArray> X11ClipboardReader::read(const QByteArray& target,
                                                   QDeadlineTimer deadline, qint64 limit) {
    const auto transfer =
        convert(m_connection.atom(target), deadline, std::clamp<qint64>(limit, 0, maximumBytes));
    if (!transfer || transfer->truncated)
        return std::nullopt;
    return transfer->bytes;
}

xcb_atom_t X11ClipboardReader::nextProperty() {
    m_propertyIndex = (m_propertyIndex + 1) % propertyCount;
    return m_connection.atom("VELLOQ_SELECTION_" + QByteArray::number(m_propertyIndex));
}

std::optional<X11ClipboardReader::Transfer>
X11ClipboardReader::convert(xcb_atom_t target, QDeadlineTimer deadline, qint64 limit) {
    if (!isValid() || target == XCB_ATOM_NONE || copyReplaced())
        return std::nullopt;
    xcb_connection_t* c = m_connection.get();
    const xcb_atom_t property = nextProperty();
    xcb_delete_property(c, m_window, property);
    xcb_convert_selection(c, m_window, m_clipboard, target, property, XCB_CURRENT_TIME);
    std::optional<xcb_atom_t> answered;
    m_connection.waitForEvent(
        [&](xcb_generic_event_t* event) {
            if (!countOwnerChange(event))
                return copyReplaced();
            if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                return false;
            const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event);
            if (notify->requestor != m_window || notify->selection != m_clipboard ||
                notify->target != target)
                return false;
            answered = notify->property;
            return true;
        },
        deadline);
    if (!answered || *answered == XCB_ATOM_NONE)
        return std::nullopt;
    XcbConnection::Property value =
        m_connection.property(m_window, property, true, XCB_GET_PROPERTY_TYPE_ANY, limit);
    if (value.type == m_connection.atom("INCR"))
        return readIncrementally(property, deadline, limit);
    if (value.type == XCB_ATOM_NONE)
        return std::nullopt;
    if (value.truncated)
        xcb_delete_property(c, m_window, property);
    return Transfer{value.bytes.left(limit), value.truncated};
}

std::optional<X11ClipboardReader::Transfer>
X11ClipboardReader::readIncrementally(xcb_atom_t property, QDeadlineTimer deadline, qint64 limit) {
    // Deleting the INCR property (done when it was read) asks for the first
    // chunk; each chunk read and deleted asks for the next; an empty chunk
    // ends the transfer.
    QByteArray data;
    for (;;) {
        const bool arrived = m_connection.waitForEvent(
            [&](xcb_generic_event_t* event) {
                if (!countOwnerChange(event))
                    return copyReplaced();
                if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
                return notify->window == m_window && notify->atom == property &&
                       notify->state == XCB_PROPERTY_NEW_VALUE;
            },
            deadline);
        if (!arrived || copyReplaced())
            return std::nullopt;
        const XcbConnection::Property chunk = m_connection.property(m_window, property, true);
        if (chunk.bytes.isEmpty())
            return Transfer{data, false};
        data.append(chunk.bytes);
        // Past the limit the owner is left to time out: nothing more is asked.
        if (data.size() > limit)
            return Transfer{data.left(limit), true};
    }
}
