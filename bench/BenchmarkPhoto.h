#pragma once

#include "capture/ClipClassification.h"

#include <QByteArray>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

// A 1920×1080 PNG like a screenshot: a gradient whose colours follow
// `seed` (repeating every ten seeds) with the seed written on it, so every
// seed gives another picture.
inline QByteArray benchmarkPhoto(int seed) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1920, 1080);
    gradient.setColorAt(0, QColor::fromHsv(seed * 36 % 360, 160, 220));
    gradient.setColorAt(1, QColor::fromHsv((seed * 36 + 120) % 360, 160, 120));
    painter.fillRect(image.rect(), gradient);
    painter.drawText(100, 100, QString::number(seed));
    painter.end();
    return encodedPng(image).value_or(QByteArray());
}
