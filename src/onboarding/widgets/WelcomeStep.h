#pragma once

#include "WizardPage.h"

class OnboardingCoordinator;

// The first page: what Velloq is, and "Get Started".
class WelcomeStep : public WizardPage {
    Q_OBJECT

public:
    static QString messageText();
    static constexpr int iconSide = 112;

    explicit WelcomeStep(OnboardingCoordinator& coordinator, QWidget* parent = nullptr);
};
