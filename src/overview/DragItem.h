#pragma once

#include "history/ClipItem.h"

#include <QList>
#include <QString>

class QMimeData;

// What a card offers when it is dragged out. Images travel as a PNG file
// ("Clipboard XXXXXXXX.png", written anew from the history at each drag) in
// a folder only this user can enter, beside Velloq's socket, plus the PNG
// bytes; a file list offers its first file; the other kinds offer what a
// paste would.
QMimeData* dragItem(const ClipItem& item);

// Where an image clip's drag file lives; empty when there is no private
// folder for it.
QString dragImagePath(const ClipItem& item);

// Removes the drag files of pictures that are not among `items`: those of
// deleted entries, of a cleared history, of an earlier run.
void removeDragImagesNotIn(const QList<ClipItem>& items);
