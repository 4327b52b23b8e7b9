#include "AccessibilityStep.h"

#include "onboarding/AccessibilityPermission.h"
#include "onboarding/OnboardingCoordinator.h"
#include "style/StatusColours.h"
#include "style/TextStyles.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QString AccessibilityStep::notGrantedTitle() {
    return tr("Allow click to paste");
}

QString AccessibilityStep::grantedTitle() {
    return tr("Click to paste is on");
}

AccessibilityStep::AccessibilityStep(OnboardingCoordinator& coordinator, QWidget* parent)
    : WizardPage(parent), m_coordinator(coordinator) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    AccessibilityPermission& permission = coordinator.permission();
    connect(&permission, &AccessibilityPermission::grantedChanged, this,
            &AccessibilityStep::showPermission);
    showPermission(permission.granted());
}

// The page keeps its place in the wizard and changes its content.
void AccessibilityStep::showPermission(bool granted) {
    const bool hadFocus = m_content && m_content->isAncestorOf(focusWidget());
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_granted = granted;
    m_content = new QWidget;
    if (granted)
        fillGranted(m_content);
    else
        fillNotGranted(m_content);
    layout()->addWidget(m_content);
    if (hadFocus)
        forwardButton()->setFocus();
}

// This desktop cannot let Velloq paste: say why, and go on.
void AccessibilityStep::fillUnavailable(QBoxLayout* column, const QString& reason) {
    column->addWidget(message(reason));
    QPushButton* next = forward(tr("Continue"));
    column->addWidget(buttonRow({next}));
    connect(next, &QPushButton::clicked, &m_coordinator, &OnboardingCoordinator::next);
}

void AccessibilityStep::fillNotGranted(QWidget* content) {
    QBoxLayout* column = centredColumn(content);
    column->addWidget(symbol(u"accessibility"_s));
    column->addWidget(titleLabel(notGrantedTitle()));
    const QString& unavailableReason = m_coordinator.pastingUnavailableReason;
    if (!unavailableReason.isEmpty()) {
        fillUnavailable(column, unavailableReason);
        return;
    }
    column->addWidget(
        message(tr("To paste a card right where you were typing, Velloq needs Accessibility "
                   "access. Turn on Velloq in System Settings → Privacy & Security → "
                   "Accessibility.")));
    QLabel* fallback =
        secondaryText(tr("Without it, clicking a card only copies it — then press ⌃V yourself."),
                      tertiaryTextAlpha);
    fallback->setFont(styledFont(TextStyle::callout));
    column->addWidget(fallback);
    QPushButton* skip = secondary(tr("Skip"));
    QPushButton* openSettings = forward(tr("Open System Settings"));
    column->addWidget(buttonRow({skip, openSettings}));
    connect(skip, &QPushButton::clicked, &m_coordinator, &OnboardingCoordinator::next);
    connect(openSettings, &QPushButton::clicked, &m_coordinator,
            &OnboardingCoordinator::openAccessibilitySettings);
}

void AccessibilityStep::fillGranted(QWidget* content) {
    QBoxLayout* column = centredColumn(content);
    column->addWidget(symbol(u"checkmark.circle.fill"_s, StatusColours::green));
    column->addWidget(titleLabel(grantedTitle()));
    QLabel* text = message(tr("Clicking a card will paste it where you were typing."));
    text->setContentsMargins(0, 0, 0, 0);
    column->addWidget(text);
    QPushButton* next = forward(tr("Continue"));
    column->addWidget(buttonRow({next}));
    connect(next, &QPushButton::clicked, &m_coordinator, &OnboardingCoordinator::next);
}
