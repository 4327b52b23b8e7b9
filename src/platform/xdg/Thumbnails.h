#pragma once

#include <QImage>
#include <QUrl>

// File thumbnails: the freedesktop thumbnail cache first (what file managers
// already made), else the file decoded as an image at the requested size.
// Safe to call from any thread; the views call it off the main thread.
class Thumbnails {
public:
    Thumbnails() = delete;

    // A thumbnail whose longer side is at most `pixelSide`; null when the file
    // is not an image and no cached thumbnail exists.
    static QImage load(const QUrl& url, int pixelSide);

    // The cached thumbnail, if one is there, fresh (its recorded
    // modification time matches the file's) and for this very file.
    static QImage cached(const QUrl& url, int pixelSide);
    static QImage decoded(const QUrl& url, int pixelSide);

    // The cache folder ($XDG_CACHE_HOME/thumbnails).
    static QString cacheFolder();
};
