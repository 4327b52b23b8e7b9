#include "ClipItem.h"

size_t qHash(const ClipItem& item, size_t seed) {
    seed = qHashMulti(seed, item.id, item.capturedAt, item.sourceBundleID.has_value());
    if (item.sourceBundleID)
        seed = qHashMulti(seed, *item.sourceBundleID);
    return qHashMulti(seed, item.content, item.isPinned);
}

QString idText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}
