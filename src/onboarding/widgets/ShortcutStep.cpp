#include "ShortcutStep.h"

#include "KeyboardShortcuts/widgets/Recorder.h"
#include "onboarding/OnboardingCoordinator.h"
#include "preferences/Preferences.h"
#include "style/TextStyles.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

QString ShortcutStep::messageText() {
    return tr(
        "Press it anywhere to see your clipboard. Click the field and type a new combination, or "
        "keep ⇧⌘V.");
}

namespace {

// A large control: the box and its label a size up from a form's.
constexpr int recorderHeight = 32;
constexpr int recorderWidth = 200;

} // namespace

ShortcutStep::ShortcutStep(OnboardingCoordinator& coordinator, QWidget* parent)
    : WizardPage(parent), m_recorder(new KeyboardShortcuts::Recorder(
                              tr("Show clipboard:"), Preferences::showClipboardShortcut())) {
    QBoxLayout* column = centredColumn(this);
    column->addWidget(symbol(u"keyboard"_s));
    column->addWidget(titleLabel(tr("Choose your shortcut")));
    column->addWidget(message(messageText()));
    const QFont larger = styledFont(TextStyle::title3);
    m_recorder->label()->setFont(larger);
    m_recorder->control()->setFont(larger);
    m_recorder->control()->setFixedSize(recorderWidth, recorderHeight);
    column->addWidget(m_recorder, 0, Qt::AlignHCenter);
    QPushButton* back = secondary(tr("Back"));
    QPushButton* next = forward(tr("Continue"));
    column->addWidget(buttonRow({back, next}, rowInset));
    connect(back, &QPushButton::clicked, &coordinator, &OnboardingCoordinator::back);
    connect(next, &QPushButton::clicked, &coordinator, &OnboardingCoordinator::next);
}
