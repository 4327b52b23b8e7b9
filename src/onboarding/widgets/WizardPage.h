#pragma once

#include "style/TextStyles.h"

#include <QWidget>

class QBoxLayout;
class QLabel;
class QPushButton;

// What the wizard's pages share: a centred column, the title and message
// styles, and two kinds of button. The forward button is the page's
// default: Return presses it.
class WizardPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 22;
    static constexpr int symbolSide = 88;
    static constexpr int messageInset = 48;
    static constexpr int rowInset = 56;

    explicit WizardPage(QWidget* parent = nullptr);

    QPushButton* forwardButton() const { return m_forward; }
    // The page's title, for tests and screen readers.
    QString title() const;

protected:
    // A page's large symbol, centred, in the palette's highlight colour.
    QWidget* symbol(const QString& name) const;
    // The same in a fixed colour.
    QWidget* symbol(const QString& name, const QColor& colour) const;
    QLabel* titleLabel(const QString& text);
    // Secondary text in the title-3 style, wrapped and centred.
    static QLabel* message(const QString& text);
    static QLabel* secondaryText(const QString& text, qreal alpha = secondaryTextAlpha);
    // The page's forward button from now on.
    QPushButton* forward(const QString& text);
    static QPushButton* secondary(const QString& text);
    // Buttons side by side, centred, 14 pixels apart.
    static QWidget* buttonRow(const QList<QPushButton*>& buttons, int inset = 0);
    // A column on `host` whose items are `spacing` apart, in the middle of
    // it, with `bottom` pixels of empty height after the last.
    static QBoxLayout* centredColumn(QWidget* host, int bottom = 20);

    void changeEvent(QEvent* event) override;

private:
    void styleButtons();

    QPushButton* m_forward = nullptr;
    QLabel* m_title = nullptr;
};
