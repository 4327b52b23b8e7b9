#pragma once

#include "history/ClipContent.h"

class QMimeData;

// The clipboard (and drag-and-drop) representations of a clip: text as
// text/plain; rich text as text/rtf then text/plain; images as PNG only;
// files as text/uri-list plus GNOME's copied-files list, so file managers
// can paste them; links as text/uri-list then text/plain.
QMimeData* mimeDataFor(const ClipContent& content);

// The clip as plain text only (text/plain, UTF-8): rich text without its
// formatting, a link as its address, files as their paths one a line. A
// picture has no text, so it stays a picture and pastes as usual.
ClipContent plainForm(const ClipContent& content);
