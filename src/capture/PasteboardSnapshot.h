#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// What one read of the clipboard found. Every representation is read, even
// those that will not win, so classification sees the whole offer.
struct PasteboardSnapshot {
    std::optional<QString> string;
    std::optional<QByteArray> rtf;
    std::optional<QByteArray> png;
    // TIFF, or on Linux any other image type offered instead of PNG.
    std::optional<QByteArray> tiff;
    QList<QUrl> fileURLs;
    QList<QUrl> webURLs;

    friend bool operator==(const PasteboardSnapshot&, const PasteboardSnapshot&) = default;
};
