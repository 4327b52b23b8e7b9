#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <optional>

class AccessibilityPermission;

// Which page of the first-run wizard is shown, and the way between them:
// the permission page is passed over when pasting is already allowed, and
// left by itself shortly after the user allows it elsewhere.
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

    static constexpr std::chrono::milliseconds autoAdvanceDelay{700};

    // What the coordinator may do with the wizard's window: put it behind
    // the desktop's settings while the user allows pasting there, and bring
    // it back.
    struct Window {
        std::function<void()> lower;
        std::function<void()> raise;
    };
    // Runs a task after a delay; tests run it when they choose.
    using Scheduler = std::function<void(std::chrono::milliseconds, std::function<void()>)>;

    OnboardingCoordinator(AccessibilityPermission& permission, std::function<void()> onComplete,
                          QObject* parent = nullptr);

    AccessibilityPermission& permission() const { return m_permission; }
    Step step() const { return m_step; }
    void setStep(Step step);
    void next();
    void back();

    void setWindow(Window window) { m_window = std::move(window); }
    void lowerWindow();
    void raiseWindow();
    // Asks the desktop to let Velloq paste (its prompt or settings), with
    // the wizard lowered so that they come to the front.
    void openAccessibilitySettings();
    std::function<void()> requestAccess;
    // Why pasting cannot be allowed on this desktop; empty where it can.
    QString pastingUnavailableReason;
    Scheduler schedule;

Q_SIGNALS:
    void stepChanged(OnboardingCoordinator::Step step);

private:
    void permissionChanged(bool granted);

    AccessibilityPermission& m_permission;
    std::function<void()> m_onComplete;
    Step m_step = Step::welcome;
    Window m_window;
    // Counts the visits of the permission page: it moves on by itself once
    // per visit, and only from the visit that saw the grant.
    int m_accessibilityVisit = 0;
    bool m_didAutoAdvance = false;
};
