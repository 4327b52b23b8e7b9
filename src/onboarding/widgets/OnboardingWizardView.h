#pragma once

#include "WizardPage.h"
#include "onboarding/OnboardingCoordinator.h"

#include <QPointer>
#include <QWidget>

class QAbstractAnimation;

// The wizard's content: the page of the coordinator's step, built afresh
// on every change and slid in from the right while the old one leaves to
// the left. Return presses the page's forward button.
class OnboardingWizardView : public QWidget {
    Q_OBJECT

public:
    static constexpr int contentWidth = 620;
    static constexpr int contentHeight = 480;
    static constexpr int slideMilliseconds = 350;

    explicit OnboardingWizardView(OnboardingCoordinator& coordinator, QWidget* parent = nullptr);

    WizardPage* page() const { return m_page; }
    OnboardingCoordinator& coordinator() const { return m_coordinator; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showStep(OnboardingCoordinator::Step step, bool animated);
    WizardPage* makePage(OnboardingCoordinator::Step step);
    void slide(QWidget* leaving, QWidget* entering, bool forward);

    OnboardingCoordinator& m_coordinator;
    OnboardingCoordinator::Step m_step;
    QPointer<WizardPage> m_page;
    QPointer<QAbstractAnimation> m_slide;
};
