#include "OnboardingWizardView.h"

#include "AccessibilityStep.h"
#include "ReadyStep.h"
#include "ShortcutStep.h"
#include "WelcomeStep.h"
#include "style/Mnemonics.h"

#include <QKeyEvent>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QPushButton>

OnboardingWizardView::OnboardingWizardView(OnboardingCoordinator& coordinator, QWidget* parent)
    : QWidget(parent), m_coordinator(coordinator), m_step(coordinator.step()) {
    setFixedSize(contentWidth, contentHeight);
    showStep(m_step, false);
    connect(&coordinator, &OnboardingCoordinator::stepChanged, this,
            [this](OnboardingCoordinator::Step step) { showStep(step, isVisible()); });
}

void OnboardingWizardView::showStep(OnboardingCoordinator::Step step, bool animated) {
    const bool forward = int(step) >= int(m_step);
    m_step = step;
    // A slide still under way ends at once, taking its leaving page along.
    if (m_slide)
        m_slide->setCurrentTime(m_slide->totalDuration());
    WizardPage* leaving = m_page;
    m_page = makePage(step);
    m_page->setParent(this);
    m_page->setGeometry(rect());
    Mnemonics::assign(*m_page);
    m_page->show();
    // The forward button has the focus, so Return and Space both press it
    // and Tab starts from there.
    m_page->forwardButton()->setFocus();
    if (!leaving)
        return;
    if (animated) {
        slide(leaving, m_page, forward);
    } else {
        delete leaving;
    }
}

WizardPage* OnboardingWizardView::makePage(OnboardingCoordinator::Step step) {
    using Step = OnboardingCoordinator::Step;
    switch (step) {
    case Step::accessibility:
        return new AccessibilityStep(m_coordinator);
    case Step::shortcut:
        return new ShortcutStep(m_coordinator);
    case Step::ready:
        return new ReadyStep(m_coordinator);
    case Step::welcome:
        break;
    }
    return new WelcomeStep(m_coordinator);
}

// A critically damped spring in the original is an ease-out here: quick to
// start, no overshoot.
void OnboardingWizardView::slide(QWidget* leaving, QWidget* entering, bool forward) {
    leaving->setEnabled(false);
    const int distance = forward ? width() : -width();
    auto* group = new QParallelAnimationGroup(this);
    for (const auto& [widget, from, to] :
         {std::tuple(leaving, QPoint(0, 0), QPoint(-distance, 0)),
          std::tuple(entering, QPoint(distance, 0), QPoint(0, 0))}) {
        auto* move = new QPropertyAnimation(widget, "pos", group);
        move->setStartValue(from);
        move->setEndValue(to);
        move->setDuration(slideMilliseconds);
        move->setEasingCurve(QEasingCurve::OutCubic);
        group->addAnimation(move);
    }
    entering->move(distance, 0);
    connect(group, &QAbstractAnimation::finished, leaving, &QObject::deleteLater);
    m_slide = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void OnboardingWizardView::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (isReturn && plain && m_page && m_page->forwardButton()) {
        m_page->forwardButton()->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
