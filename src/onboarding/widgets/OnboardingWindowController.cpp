#include "OnboardingWindowController.h"

#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "style/WindowKeys.h"
#include "style/WindowPlacement.h"

#include <QEvent>
#include <QWindow>

using namespace Qt::StringLiterals;

QString OnboardingWindowController::windowTitle() {
    return tr("Welcome to Velloq");
}

OnboardingWindowController::OnboardingWindowController(Defaults& defaults, Services services,
                                                       QObject* parent)
    : QObject(parent), m_defaults(defaults), m_services(std::move(services)),
      m_permission(m_services.isTrusted) {}

OnboardingWindowController::~OnboardingWindowController() {
    if (m_window) {
        m_window->removeEventFilter(this);
        delete m_window;
    }
}

// Opening counts as having seen the wizard, even if it is closed at once.
void OnboardingWindowController::show(OnboardingCoordinator::Step step) {
    m_defaults.set(Preferences::onboardingShownKey, true);
    if (m_window && m_window->isVisible()) {
        raiseWindow();
        return;
    }
    buildWindow(step);
    m_permission.startPolling();
    m_window->show();
    raiseWindow();
}

void OnboardingWindowController::buildWindow(OnboardingCoordinator::Step step) {
    if (m_window) {
        m_window->removeEventFilter(this);
        m_window->deleteLater();
    }
    auto* coordinator = new OnboardingCoordinator(m_permission, [this] {
        if (m_window)
            m_window->close();
    });
    coordinator->setStep(step);
    coordinator->requestAccess = m_services.requestAccess;
    coordinator->pastingUnavailableReason = m_services.pastingUnavailableReason;
    coordinator->setWindow({[this] { lowerWindow(); }, [this] { raiseWindow(); }});
    m_window = new OnboardingWizardView(*coordinator);
    coordinator->setParent(m_window);
    m_window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    m_window->setWindowTitle(windowTitle());
    m_window->installEventFilter(this);
    // As the title bar's close button would: the wizard is over.
    WindowKeys::closeOnEscape(*m_window);
    centreOnScreenOfPointer(*m_window);
}

// However the window closes, the permission is no longer watched.
bool OnboardingWindowController::eventFilter(QObject* watched, QEvent* event) {
    // The type first: a window being destroyed is no longer a wizard view.
    if (event->type() == QEvent::Close && watched == m_window)
        m_permission.stopPolling();
    return QObject::eventFilter(watched, event);
}

// Behind other windows, so that the desktop's settings come to the front.
void OnboardingWindowController::lowerWindow() {
    if (!m_window)
        return;
    setKeptAbove(false);
    m_window->lower();
}

void OnboardingWindowController::raiseWindow() {
    if (!m_window)
        return;
    setKeptAbove(true);
    m_window->raise();
    m_window->activateWindow();
}

// On the native window, which changes its state in place; changing the
// widget's flags would hide and re-create it.
void OnboardingWindowController::setKeptAbove(bool above) {
    if (QWindow* native = m_window->windowHandle())
        native->setFlag(Qt::WindowStaysOnTopHint, above);
}
