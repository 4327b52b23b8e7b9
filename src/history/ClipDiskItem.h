#pragma once

#include "ClipItem.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// One stored record of the history document, as it appears in "items.json".
struct ClipDiskItem {
    QUuid id;
    double capturedAt = 0;
    std::optional<QString> sourceBundleID;
    bool isPinned = false;
    QString kind;
    std::optional<QString> text;
    std::optional<QString> rtf; // standard Base64 with padding
    std::optional<QString> plain;
    std::optional<QStringList> files; // file-system paths
    std::optional<QString> link;

    static ClipDiskItem fromItem(const ClipItem& item);

    // Whether this version knows the record's kind. Records of other kinds
    // come from a newer Velloq and are kept as they are.
    bool hasKnownKind() const;

    // Strict decoding: nullopt when an always-present member is missing or
    // mistyped, the id is not UUID text, or an optional member is mistyped.
    // Any of these makes the whole document unreadable.
    static std::optional<ClipDiskItem> fromJson(const QJsonObject& object);

    // Appends the record as compact JSON, members always in the same order
    // (id, capturedAt, sourceBundleID, isPinned, kind, then the content's).
    void appendJson(QByteArray& out) const;

    // Lenient conversion: nullopt when the record's content cannot be built
    // (unknown kind, missing member, bad Base64 or URL, missing image file).
    // Such a record is skipped on load.
    std::optional<ClipItem> toItem(const QString& imagesDirectory) const;

private:
    void appendOptionalMembers(QByteArray& out) const;
};

// Base64 as the history file writes it: the standard alphabet, "=" padding
// only at the end, length a multiple of four, and nothing else.
std::optional<QByteArray> decodeStrictBase64(const QString& text);
