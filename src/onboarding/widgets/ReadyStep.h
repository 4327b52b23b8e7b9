#pragma once

#include "WizardPage.h"

#include <optional>

class OnboardingCoordinator;

namespace KeyboardShortcuts {
struct Shortcut;
}

// The last page: four tips on using the overlay, the first naming the
// shortcut chosen on the page before.
class ReadyStep : public WizardPage {
    Q_OBJECT

public:
    struct Tip {
        QString symbol;
        QString title;
        QString detail;
    };
    static QList<Tip> tips(const std::optional<KeyboardShortcuts::Shortcut>& shortcut);

    explicit ReadyStep(OnboardingCoordinator& coordinator, QWidget* parent = nullptr);

private:
    QWidget* tipRow(const Tip& tip) const;
};
