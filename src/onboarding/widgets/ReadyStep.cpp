#include "ReadyStep.h"

#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "onboarding/OnboardingCoordinator.h"
#include "preferences/Preferences.h"
#include "style/IconView.h"
#include "style/Symbols.h"
#include "style/TextStyles.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int rowSpacing = 18;
// 16 below the stack and 4 of empty height at its end.
constexpr int bottomInset = 20;
constexpr int tipSpacing = 14;
constexpr int symbolColumn = 32;
constexpr int tipSymbolSide = 24;

} // namespace

QList<ReadyStep::Tip> ReadyStep::tips(const std::optional<KeyboardShortcuts::Shortcut>& shortcut) {
    const QString keys = shortcut ? KeyboardShortcuts::description(*shortcut) : tr("your shortcut");
    return {
        {u"command"_s, tr("Press %1").arg(keys),
         tr("Your recent copies appear as cards over the whole screen. Change the shortcut in "
            "Settings.")},
        {u"cursorarrow.click"_s, tr("Click to paste"), tr("Or use the arrow keys and Return.")},
        {u"hand.draw"_s, tr("Drag anywhere"),
         tr("Drop a card into a document, onto the desktop, or into another app.")},
        {u"pin"_s, tr("Pin what you use often"),
         tr("Right-click a card → Pin. Press Tab to switch between Recent and Pinned.")},
    };
}

// Built when shown, so the first tip names the shortcut just chosen.
ReadyStep::ReadyStep(OnboardingCoordinator& coordinator, QWidget* parent) : WizardPage(parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(rowInset, 0, rowInset, bottomInset);
    outer->setSpacing(rowSpacing);
    outer->addStretch(1);
    outer->addWidget(titleLabel(tr("You're all set")));
    for (const Tip& tip :
         tips(KeyboardShortcuts::getShortcut(Preferences::showClipboardShortcut())))
        outer->addWidget(tipRow(tip));
    QPushButton* back = secondary(tr("Back"));
    QPushButton* done = forward(tr("Done"));
    outer->addWidget(buttonRow({back, done}));
    outer->addStretch(1);
    connect(back, &QPushButton::clicked, &coordinator, &OnboardingCoordinator::back);
    connect(done, &QPushButton::clicked, &coordinator, &OnboardingCoordinator::next);
}

QWidget* ReadyStep::tipRow(const Tip& tip) const {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(tipSpacing);
    auto* symbol = new QWidget;
    symbol->setFixedWidth(symbolColumn);
    auto* centred = new QHBoxLayout(symbol);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addWidget(new IconView(Symbols::icon(tip.symbol, QPalette::Highlight), tipSymbolSide),
                       0, Qt::AlignHCenter | Qt::AlignTop);
    layout->addWidget(symbol, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* title = new QLabel(tip.title);
    title->setFont(styledFont(TextStyle::headline));
    texts->addWidget(title);
    QLabel* detail = secondaryText(tip.detail);
    detail->setAlignment(Qt::AlignLeft);
    texts->addWidget(detail);
    layout->addLayout(texts, 1);
    return row;
}
