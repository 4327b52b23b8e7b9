#pragma once

#include "history/ClipItem.h"

#include <QString>

class QMimeData;

// What a card offers when it is dragged out. Images travel as a PNG file in
// the temporary folder ("Clipboard XXXXXXXX.png", written once per clip, so
// repeated drags reuse it) plus the PNG bytes; a file list offers its first
// file; the other kinds offer what a paste would.
QMimeData* dragItem(const ClipItem& item);

// Where an image clip's drag file lives.
QString dragImagePath(const ClipItem& item);
