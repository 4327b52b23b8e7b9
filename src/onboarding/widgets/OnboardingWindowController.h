#pragma once

#include "onboarding/AccessibilityPermission.h"
#include "onboarding/OnboardingCoordinator.h"

#include <QObject>
#include <QPointer>

#include <functional>

class Defaults;
#include "OnboardingWizardView.h"

// The one first-run wizard window: opened at start when needed and from
// the menu's "How to Use", brought forward when already open, and built
// afresh when opened again after closing. It stays above other windows
// while in front, and follows the paste permission while open.
class OnboardingWindowController : public QObject {
    Q_OBJECT

public:
    struct Services {
        // Whether Velloq may paste into other applications.
        std::function<bool()> isTrusted;
        // Asks the desktop to allow it (its prompt or settings).
        std::function<void()> requestAccess;
        // Why pasting cannot be allowed here; empty where it can.
        QString pastingUnavailableReason;
    };

    static QString windowTitle();

    OnboardingWindowController(Defaults& defaults, Services services, QObject* parent = nullptr);
    ~OnboardingWindowController() override;

    void show(OnboardingCoordinator::Step step);

    AccessibilityPermission& permission() { return m_permission; }
    // None before the first show().
    OnboardingWizardView* window() const { return m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow(OnboardingCoordinator::Step step);
    void lowerWindow();
    void raiseWindow();
    void setKeptAbove(bool above);

    Defaults& m_defaults;
    Services m_services;
    AccessibilityPermission m_permission;
    QPointer<OnboardingWizardView> m_window;
};
