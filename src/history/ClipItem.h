#pragma once

#include "ClipContent.h"

#include <QString>
#include <QUuid>

#include <optional>

// One entry of the history.
struct ClipItem {
    QUuid id;
    double capturedAt = 0; // seconds since 1970-01-01 00:00:00 UTC
    std::optional<QString> sourceBundleID;
    ClipContent content;
    bool isPinned = false;

    friend bool operator==(const ClipItem&, const ClipItem&) = default;
};

size_t qHash(const ClipItem& item, size_t seed = 0);

// Ids are written as 36 upper-case characters without braces, on disk and in
// image file names.
QString idText(const QUuid& id);
