#include "WizardPage.h"

#include "style/IconView.h"
#include "style/Symbols.h"
#include "style/TextStyles.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int buttonSpacing = 14;
// A large control: taller than a form's button.
constexpr int buttonHeight = 36;
constexpr int buttonMinimumWidth = 120;
const char* const forwardRole = "wizardForward";

} // namespace

WizardPage::WizardPage(QWidget* parent) : QWidget(parent) {}

QString WizardPage::title() const {
    return m_title ? m_title->text() : QString();
}

namespace {

QWidget* centredIcon(const QIcon& icon, int side) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new IconView(icon, side), 0, Qt::AlignHCenter);
    return holder;
}

} // namespace

QWidget* WizardPage::symbol(const QString& name) const {
    return centredIcon(Symbols::icon(name, QPalette::Highlight), symbolSide);
}

QWidget* WizardPage::symbol(const QString& name, const QColor& colour) const {
    return centredIcon(Symbols::icon(name, colour), symbolSide);
}

QLabel* WizardPage::titleLabel(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = styledFont(TextStyle::largeTitle);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter);
    m_title = label;
    return label;
}

QLabel* WizardPage::message(const QString& text) {
    QLabel* label = secondaryText(text);
    label->setFont(styledFont(TextStyle::title3));
    label->setContentsMargins(messageInset, 0, messageInset, 0);
    return label;
}

QLabel* WizardPage::secondaryText(const QString& text, qreal alpha) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    useSecondaryText(*label, alpha);
    return label;
}

QPushButton* WizardPage::forward(const QString& text) {
    auto* button = new QPushButton(text);
    button->setProperty(forwardRole, true);
    button->setMinimumSize(buttonMinimumWidth, buttonHeight);
    button->setCursor(Qt::PointingHandCursor);
    m_forward = button;
    styleButtons();
    return button;
}

QPushButton* WizardPage::secondary(const QString& text) {
    auto* button = new QPushButton(text);
    button->setMinimumSize(buttonMinimumWidth, buttonHeight);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QWidget* WizardPage::buttonRow(const QList<QPushButton*>& buttons, int inset) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(inset, 0, inset, 0);
    layout->setSpacing(buttonSpacing);
    layout->addStretch(1);
    for (QPushButton* button : buttons)
        layout->addWidget(button);
    layout->addStretch(1);
    return row;
}

QBoxLayout* WizardPage::centredColumn(QWidget* host, int bottom) {
    auto* outer = new QVBoxLayout(host);
    outer->setContentsMargins(0, 0, 0, bottom);
    outer->setSpacing(0);
    auto* column = new QVBoxLayout;
    column->setSpacing(spacing);
    outer->addStretch(1);
    outer->addLayout(column);
    outer->addStretch(1);
    return column;
}

void WizardPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        styleButtons();
}

// Both kinds are rounded; the forward one is filled with the accent colour,
// the other outlined. Drawn from the palette so that they follow the
// appearance.
void WizardPage::styleButtons() {
    const QPalette colours = palette();
    const QColor accent = colours.color(QPalette::Highlight);
    const QColor onAccent = colours.color(QPalette::HighlightedText);
    const QColor surface = colours.color(QPalette::Button);
    const QColor text = colours.color(QPalette::ButtonText);
    const QColor& outline = text; // at 30 %
    const QString sheet =
        u"QPushButton { border-radius: 8px; padding: 0 20px; font-weight: 600;"
        " border: 1px solid %3; background: %4; color: %5; }"
        "QPushButton:hover { background: %6; }"
        "QPushButton:focus { border: 2px solid %1; }"
        "QPushButton[wizardForward=\"true\"] { border: 1px solid %1; background: %1; color: %2; }"
        "QPushButton[wizardForward=\"true\"]:hover { background: %7; }"
        "QPushButton[wizardForward=\"true\"]:pressed { background: %8; }"
        "QPushButton[wizardForward=\"true\"]:focus { border: 2px solid %9; }"_s.arg(
            accent.name(), onAccent.name(),
            u"rgba(%1, %2, %3, 30%)"_s.arg(outline.red()).arg(outline.green()).arg(outline.blue()),
            surface.name(), text.name(), surface.lighter(106).name(), accent.lighter(112).name(),
            accent.darker(112).name(), accent.darker(140).name());
    // Setting a sheet repolishes the page, which must not come back here.
    if (sheet != styleSheet())
        setStyleSheet(sheet);
}
