#include "OnboardingCoordinator.h"

#include "AccessibilityPermission.h"

#include <QStringList>
#include <QTimer>

using namespace Qt::StringLiterals;

std::optional<OnboardingCoordinator::Step> OnboardingCoordinator::stepFromRawValue(int rawValue) {
    if (rawValue < int(Step::welcome) || rawValue > int(Step::ready))
        return std::nullopt;
    return Step(rawValue);
}

std::optional<OnboardingCoordinator::Step>
OnboardingCoordinator::pageAtLaunch(const QStringList& arguments, bool trusted,
                                    bool onboardingShown) {
    if (arguments.contains(u"-ShowOverview"_s) || arguments.contains(u"-SkipOnboarding"_s))
        return std::nullopt;
    if (trusted && onboardingShown)
        return std::nullopt;
    return trusted ? Step::welcome : Step::accessibility;
}

OnboardingCoordinator::OnboardingCoordinator(AccessibilityPermission& permission,
                                             std::function<void()> onComplete, QObject* parent)
    : QObject(parent), m_permission(permission), m_onComplete(std::move(onComplete)) {
    schedule = [this](std::chrono::milliseconds delay, std::function<void()> task) {
        QTimer::singleShot(delay, this, std::move(task));
    };
    connect(&m_permission, &AccessibilityPermission::grantedChanged, this,
            &OnboardingCoordinator::permissionChanged);
}

void OnboardingCoordinator::setStep(Step step) {
    if (step == m_step)
        return;
    m_step = step;
    if (step == Step::accessibility) {
        ++m_accessibilityVisit;
        m_didAutoAdvance = false;
    }
    Q_EMIT stepChanged(step);
}

void OnboardingCoordinator::next() {
    switch (m_step) {
    case Step::welcome:
        m_permission.refresh();
        setStep(m_permission.granted() ? Step::shortcut : Step::accessibility);
        return;
    case Step::accessibility:
        setStep(Step::shortcut);
        return;
    case Step::shortcut:
        setStep(Step::ready);
        return;
    case Step::ready:
        if (m_onComplete)
            m_onComplete();
        return;
    }
}

void OnboardingCoordinator::back() {
    if (m_step != Step::welcome)
        setStep(Step(int(m_step) - 1));
}

void OnboardingCoordinator::lowerWindow() {
    if (m_window.lower)
        m_window.lower();
}

void OnboardingCoordinator::raiseWindow() {
    if (m_window.raise)
        m_window.raise();
}

void OnboardingCoordinator::openAccessibilitySettings() {
    lowerWindow();
    if (requestAccess)
        requestAccess();
}

// The user allowed (or took back) pasting elsewhere: the wizard comes back
// in front, and once allowed it moves on by itself after a moment, unless
// the user has already left the page.
void OnboardingCoordinator::permissionChanged(bool granted) {
    if (m_step != Step::accessibility)
        return;
    raiseWindow();
    if (!granted || m_didAutoAdvance)
        return;
    m_didAutoAdvance = true;
    schedule(autoAdvanceDelay, [this, visit = m_accessibilityVisit] {
        if (m_step == Step::accessibility && visit == m_accessibilityVisit)
            next();
    });
}
