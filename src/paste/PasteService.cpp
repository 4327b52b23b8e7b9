#include "PasteService.h"

void PasteService::copy(const ClipContent& content) {
    m_platform.write(content);
    if (onPasteboardWritten)
        onPasteboardWritten(m_platform.changeCount());
}

void PasteService::paste(const ClipItem& item) {
    copy(item.content);
    if (!m_platform.hasAccess()) {
        m_platform.requestAccess();
        return;
    }
    if (const auto pid = m_platform.targetPID())
        m_platform.sendCommandV(*pid);
}
