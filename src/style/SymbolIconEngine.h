#pragma once

#include <QColor>
#include <QIconEngine>
#include <QPalette>
#include <QString>

#include <optional>
#include <variant>

// Draws an SVG of the resources at whatever size and pixel density it is
// asked for, at the moment it is drawn: a symbol tinted with a palette
// colour repaints in the new colour after a switch to dark, and a window
// moved to a 200 % screen gets sharp pixels, with nothing to redo.
class SymbolIconEngine : public QIconEngine {
public:
    // As drawn, in one fixed colour, or in a colour of the application's
    // palette (its disabled group for disabled icons).
    using Tint = std::variant<std::monostate, QColor, QPalette::ColorRole>;

    SymbolIconEngine(QString resource, Tint tint);

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    // Drawn at any size; these are the ones window and tray icons list.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    std::optional<QColor> colour(QIcon::Mode mode) const;

    QString m_resource;
    Tint m_tint;
};
