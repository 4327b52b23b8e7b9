#pragma once

#include "WizardPage.h"

class OnboardingCoordinator;

namespace KeyboardShortcuts {
class Recorder;
}

// The shortcut page: the box in which the user keeps or changes the
// shortcut that shows the overlay.
class ShortcutStep : public WizardPage {
    Q_OBJECT

public:
    static QString messageText();

    explicit ShortcutStep(OnboardingCoordinator& coordinator, QWidget* parent = nullptr);

    KeyboardShortcuts::Recorder* recorder() const { return m_recorder; }

private:
    KeyboardShortcuts::Recorder* m_recorder;
};
