#include "WelcomeStep.h"

#include "onboarding/OnboardingCoordinator.h"
#include "style/AppIcon.h"
#include "style/IconView.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

QString WelcomeStep::messageText() {
    return tr(
        "Your clipboard at a glance. Everything you copy shows up as large cards on one screen — "
        "click one to paste it, or drag it anywhere.");
}

WelcomeStep::WelcomeStep(OnboardingCoordinator& coordinator, QWidget* parent) : WizardPage(parent) {
    QBoxLayout* column = centredColumn(this);
    column->addWidget(new IconView(AppIcon::icon(), iconSide), 0, Qt::AlignHCenter);
    column->addWidget(titleLabel(u"Velloq"_s));
    column->addWidget(message(messageText()));
    QPushButton* start = forward(tr("Get Started"));
    column->addWidget(start, 0, Qt::AlignHCenter);
    connect(start, &QPushButton::clicked, &coordinator, &OnboardingCoordinator::next);
}
