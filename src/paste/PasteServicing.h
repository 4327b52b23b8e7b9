#pragma once

#include "history/ClipItem.h"

// Puts a clip back on the clipboard and pastes it where the user was typing.
class PasteServicing {
public:
    virtual ~PasteServicing() = default;
    virtual void paste(const ClipItem& item) = 0;

protected:
    PasteServicing() = default;
    PasteServicing(const PasteServicing&) = default;
    PasteServicing& operator=(const PasteServicing&) = default;
};
