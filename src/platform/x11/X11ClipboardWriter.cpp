#include "X11ClipboardWriter.h"

#include "paste/ClipMimeData.h"

#include <QClipboard>
#include <QGuiApplication>

X11ClipboardWriter::X11ClipboardWriter() = default;

void X11ClipboardWriter::write(const ClipContent& content) {
    refreshQtTimestamp();
    QGuiApplication::clipboard()->setMimeData(mimeDataFor(content));
}

void X11ClipboardWriter::refreshQtTimestamp() {
    // Qt claims the selection with the time of the last X event it saw. If
    // another client took the clipboard after that, the server refuses the
    // claim and nothing is written. A property change on the root window
    // (which Qt watches) brings Qt a current time first.
    if (!m_connection.isValid())
        return;
    xcb_connection_t* c = m_connection.get();
    xcb_change_property(c, XCB_PROP_MODE_APPEND, m_connection.root(),
                        m_connection.atom("_VELLOQ_TIMESTAMP"), XCB_ATOM_STRING, 8, 0, nullptr);
    // The reply proves the server has sent the notification to Qt as well.
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
