#pragma once

#include "ClipItem.h"

#include <QList>
#include <QUuid>

#include <functional>

// What the overview and the settings need of the history.
class ClipStoring {
public:
    virtual ~ClipStoring() = default;

    virtual const QList<ClipItem>& items() const = 0;

    // Called after every change the store makes.
    std::function<void()> onChange;

    virtual void setPinned(bool pinned, const QUuid& id) = 0;
    virtual void deleteItem(const QUuid& id) = 0;
    virtual void restore(const ClipItem& item) = 0;
    virtual void clearAll() = 0;

protected:
    ClipStoring() = default;
    ClipStoring(const ClipStoring&) = default;
    ClipStoring& operator=(const ClipStoring&) = default;
};
