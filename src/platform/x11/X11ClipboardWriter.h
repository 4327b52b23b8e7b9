#pragma once

#include "XcbConnection.h"
#include "history/ClipContent.h"

// Puts a clip on the CLIPBOARD through Qt, which then serves it.
class X11ClipboardWriter {
public:
    X11ClipboardWriter();
    void write(const ClipContent& content);

private:
    void refreshQtTimestamp();

    XcbConnection m_connection;
};
