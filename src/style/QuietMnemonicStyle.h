#pragma once

#include <QProxyStyle>

// Fusion with the Alt letters of labels and buttons underlined only while
// Alt is held, as GNOME and KDE applications show them: always underlined,
// every window reads as a form.
class QuietMnemonicStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Takes the style it draws with; watches the application's keys.
    explicit QuietMnemonicStyle(QStyle* base);

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setAltHeld(bool held);

    bool m_altHeld = false;
};
