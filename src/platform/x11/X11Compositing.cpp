#include "X11Compositing.h"

#include <QByteArray>

#include <cstdlib>

bool compositingManagerRuns(xcb_connection_t* connection, int screenNumber) {
    if (!connection)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()),
        nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool runs = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return runs;
}
