#include "Appearance.h"

#include "QuietMnemonicStyle.h"
#include "TextStyles.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

Appearance::Appearance() : m_desktopPalette(QApplication::palette()) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(new QuietMnemonicStyle(fusion));
}

void Appearance::apply(AppAppearance appearance) {
    m_appearance = appearance;
    QApplication::setPalette(paletteFor(appearance, m_desktopPreference, m_desktopPalette));
}

void Appearance::setDesktopPreference(DesktopPreference prefersDark) {
    m_desktopPreference = prefersDark;
    apply(m_appearance);
}

QPalette Appearance::paletteFor(AppAppearance appearance, DesktopPreference prefersDark,
                                const QPalette& desktopPalette) {
    switch (appearance) {
    case AppAppearance::light:
        return lightPalette();
    case AppAppearance::dark:
        return darkPalette();
    case AppAppearance::automatic:
        break;
    }
    if (!prefersDark || *prefersDark == isDark(desktopPalette))
        return desktopPalette;
    return *prefersDark ? darkPalette() : lightPalette();
}

bool Appearance::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QPalette Appearance::lightPalette() {
    QPalette palette(QColor(0xf2, 0xf2, 0xf4));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
    palette.setColor(QPalette::Highlight, QColor(0x0a, 0x64, 0xd8));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    // Placeholders and links as dark as text on the overlay's glass, which
    // the dimmed screen behind it makes greyer than a window.
    palette.setColor(QPalette::PlaceholderText, secondaryTextColour(palette));
    palette.setColor(QPalette::Link, QColor(0x00, 0x40, 0xb8));
    return palette;
}

QPalette Appearance::darkPalette() {
    QPalette palette(QColor(0x2a, 0x2a, 0x2e));
    const QColor text(0xec, 0xec, 0xee);
    palette.setColor(QPalette::Window, QColor(0x26, 0x26, 0x2a));
    palette.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1f));
    palette.setColor(QPalette::AlternateBase, QColor(0x2c, 0x2c, 0x30));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::ToolTipBase, QColor(0x33, 0x33, 0x38));
    palette.setColor(QPalette::PlaceholderText, secondaryTextColour(palette));
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x7d, 0xf6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    // Light enough for dark glass over a white screen.
    palette.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    return palette;
}
