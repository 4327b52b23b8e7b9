#include "QuietMnemonicStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

QuietMnemonicStyle::QuietMnemonicStyle(QStyle* base) : QProxyStyle(base) {
    qApp->installEventFilter(this);
}

int QuietMnemonicStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                  QStyleHintReturn* returnData) const {
    if (hint == SH_UnderlineShortcut)
        return m_altHeld ? 1 : 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

bool QuietMnemonicStyle::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Alt)
            setAltHeld(event->type() == QEvent::KeyPress);
        break;
    }
    // Alt let go in another window (Alt-Tab) is never seen here.
    case QEvent::ApplicationDeactivate:
        setAltHeld(false);
        break;
    default:
        break;
    }
    return QProxyStyle::eventFilter(watched, event);
}

void QuietMnemonicStyle::setAltHeld(bool held) {
    if (held == m_altHeld)
        return;
    m_altHeld = held;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->update();
    }
}
