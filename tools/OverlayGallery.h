#pragma once

#include "history/ClipItem.h"

#include <QIcon>
#include <QList>
#include <QString>

// The whole overlay over a picture of a busy desktop, as a person sees it:
// just opened with nothing selected, with a card selected, and with a
// preview open. Writes PREFIX-overlay-*.png.
void renderOverlays(const QString& prefix, const QList<ClipItem>& items, const QIcon& appIcon);
