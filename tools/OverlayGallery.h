#pragma once

#include "history/ClipItem.h"

#include <QIcon>
#include <QList>
#include <QString>

// The whole overlay over a picture of a busy desktop, as a person sees it:
// just opened with nothing selected, with a card selected, with a preview
// open, and without any blur behind the glass, full and empty. Writes PREFIX-overlay*.png.
void renderOverlays(const QString& prefix, const QList<ClipItem>& items, const QIcon& appIcon);
