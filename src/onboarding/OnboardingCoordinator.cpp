#include "OnboardingCoordinator.h"

#include "AccessibilityPermission.h"

#include <QStringList>

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
    : QObject(parent), m_permission(permission), m_onComplete(std::move(onComplete)) {}

void OnboardingCoordinator::setStep(Step step) {
    if (step == m_step)
        return;
    m_step = step;
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
