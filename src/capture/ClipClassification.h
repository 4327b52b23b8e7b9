#pragma once

#include "PasteboardSnapshot.h"
#include "history/ClipContent.h"

#include <QImage>

#include <optional>

// Turns what the clipboard offers into at most one clip, by a fixed
// priority: files, PNG, other images, rich text, a link offered as a URL,
// then text (or a typed http/https address).
std::optional<ClipContent> clipContent(const PasteboardSnapshot& snapshot);

// The image re-encoded as PNG; nullopt when it does not decode.
std::optional<QByteArray> convertedToPng(const QByteArray& image);

// A decoded image encoded as PNG; nullopt when encoding fails.
std::optional<QByteArray> encodedPng(const QImage& image);
