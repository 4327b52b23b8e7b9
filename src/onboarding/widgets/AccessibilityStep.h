#pragma once

#include "WizardPage.h"

#include <QPointer>

class OnboardingCoordinator;
class QBoxLayout;

// The permission page: why Velloq asks to paste and where to allow it, or,
// once allowed, that clicking a card pastes. It follows the permission
// while shown.
class AccessibilityStep : public WizardPage {
    Q_OBJECT

public:
    static QString notGrantedTitle();
    static QString grantedTitle();

    explicit AccessibilityStep(OnboardingCoordinator& coordinator, QWidget* parent = nullptr);

    bool showsGranted() const { return m_granted; }

private:
    void showPermission(bool granted);
    void fillNotGranted(QWidget* content);
    void fillUnavailable(QBoxLayout* column, const QString& reason);
    void fillGranted(QWidget* content);

    OnboardingCoordinator& m_coordinator;
    QPointer<QWidget> m_content;
    bool m_granted = false;
};
