#include "WaylandPasteTarget.h"

#include "WaylandActiveWindow.h"
#include "WaylandKeyboard.h"

#include <QTimer>

WaylandPasteTarget::WaylandPasteTarget(WaylandActiveWindow* activeWindow,
                                       KeyboardFactory makeKeyboard, const QString& ownAppId,
                                       QObject* parent)
    : QObject(parent), m_activeWindow(activeWindow), m_makeKeyboard(std::move(makeKeyboard)),
      m_ownAppId(ownAppId) {}

WaylandPasteTarget::WaylandPasteTarget(WaylandActiveWindow* activeWindow, QObject* parent)
    : WaylandPasteTarget(activeWindow, &WaylandKeyboard::connect, QStringLiteral(VELLOQ_APP_ID),
                         parent) {}

WaylandPasteTarget::~WaylandPasteTarget() = default;

bool WaylandPasteTarget::hasAccess() {
    return keyboard() != nullptr;
}

// Made on first use and kept: every keyboard made is a new input device for
// the compositor.
WaylandKeyboard* WaylandPasteTarget::keyboard() {
    if (!m_keyboard && m_makeKeyboard)
        m_keyboard = m_makeKeyboard();
    return m_keyboard.get();
}

void WaylandPasteTarget::sendCommandV() {
    if (!keyboard()) {
        Q_EMIT commandVAbandoned();
        return;
    }
    if (m_activeWindow)
        waitForFocus(QDeadlineTimer(focusDeadlineMs));
    else
        QTimer::singleShot(settleMs, this, [this] { typeControlV(); });
}

void WaylandPasteTarget::waitForFocus(QDeadlineTimer deadline) {
    if (focusIsBack()) {
        QTimer::singleShot(focusSettleMs, this, [this] { typeControlV(); });
        return;
    }
    if (deadline.hasExpired() || !m_activeWindow) {
        Q_EMIT commandVAbandoned();
        return;
    }
    QTimer::singleShot(focusPollMs, Qt::PreciseTimer, this,
                       [this, deadline] { waitForFocus(deadline); });
}

// A window without an app id is another application's as well.
bool WaylandPasteTarget::focusIsBack() const {
    // Between the overlay losing the focus and the previous window getting
    // it, no window is activated; Control-V then would reach nobody.
    if (m_activeWindow && !m_activeWindow->hasActivatedWindow())
        return false;
    const std::optional<QString> appId =
        m_activeWindow ? m_activeWindow->activatedAppId() : std::nullopt;
    return appId != m_ownAppId;
}

// A keyboard whose connection is lost is let go of; the next paste makes a
// new one.
void WaylandPasteTarget::typeControlV() {
    WaylandKeyboard* typing = keyboard();
    if (typing && typing->typeControlV())
        return;
    m_keyboard.reset();
    Q_EMIT commandVAbandoned();
}
