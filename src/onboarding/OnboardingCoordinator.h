#pragma once

#include <QObject>

#include <functional>
#include <optional>

class AccessibilityPermission;

// Which page of the first-run wizard is shown, and the way between them:
// the permission page is passed over when pasting is already allowed.
class OnboardingCoordinator : public QObject {
    Q_OBJECT

public:
    enum class Step { welcome = 0, accessibility = 1, shortcut = 2, ready = 3 };
    // None outside 0 to 3.
    static std::optional<Step> stepFromRawValue(int rawValue);

    // What the application shows at start: nothing with -ShowOverview or
    // -SkipOnboarding, nothing when pasting is allowed and the wizard was
    // seen before, else the wizard on the permission page when pasting is
    // not allowed and on the welcome page when it is.
    static std::optional<Step> pageAtLaunch(const QStringList& arguments, bool trusted,
                                            bool onboardingShown);

    OnboardingCoordinator(AccessibilityPermission& permission, std::function<void()> onComplete,
                          QObject* parent = nullptr);

    Step step() const { return m_step; }
    void setStep(Step step);
    void next();
    void back();

Q_SIGNALS:
    void stepChanged(OnboardingCoordinator::Step step);

private:
    AccessibilityPermission& m_permission;
    std::function<void()> m_onComplete;
    Step m_step = Step::welcome;
};
